// The full-screen viewer on a 1920 x 1080 screen with 24-megapixel photos: a cold display against
// a plain TurboJPEG decode, a step with the picture read ahead, and the memory of a slideshow.
// The viewer runs in child processes, each started on its own offscreen screen.

#include "app/forms.h"
#include "app/globals.h"
#include "bench/bench.h"
#include "platform/files/files.h"
#include "platform/imaging/lookahead.h"
#include "platform/imaging/picture.h"
#include "platform/runtime/controls.h"
#include "viewer/form2.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QKeyEvent>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#ifdef ORVANE_HAVE_TURBOJPEG
#include <turbojpeg.h>
#endif

namespace {

constexpr int PhotoCount = 20;
constexpr QSize PhotoSize(6000, 4000);
constexpr QSize Fitted(1620, 1080); // 6000 x 4000 fitted to 1920 x 1080

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Ms(const QElapsedTimer &t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// A photo-like picture: soft gradients, some texture and sensor-like noise, so that the JPEG
// carries about as much detail as a camera's.
QImage PhotoLike(int seed, QSize size = PhotoSize) {
    QImage image(size, QImage::Format_RGB32);
    std::vector<float> column(static_cast<size_t>(size.width()) * 3);
    for (int x = 0; x < size.width(); ++x)
        for (int c = 0; c < 3; ++c)
            column[static_cast<size_t>(x * 3 + c)] =
                50.0f * std::sin(x * (0.0011f + 0.0003f * c) + seed) +
                18.0f * std::sin(x * (0.05f + 0.01f * c) + seed * 0.7f);
    quint32 noise = 0x9e3779b9u * static_cast<quint32>(seed + 1);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        float row[3];
        for (int c = 0; c < 3; ++c)
            row[c] = 110.0f + 10.0f * c + 45.0f * std::cos(y * (0.0017f + 0.0004f * c) - seed) +
                     12.0f * std::sin(y * 0.031f + c);
        for (int x = 0; x < size.width(); ++x) {
            int rgb[3];
            for (int c = 0; c < 3; ++c) {
                noise = noise * 1664525u + 1013904223u;
                const float v = row[c] + column[static_cast<size_t>(x * 3 + c)] +
                                static_cast<float>((noise >> 24) & 15) - 7.5f;
                rgb[c] = std::clamp(static_cast<int>(v), 0, 255);
            }
            line[x] = qRgb(rgb[0], rgb[1], rgb[2]);
        }
    }
    return image;
}

} // namespace

namespace {

// A CD in the bench data folder with photos of the given sizes, made once and kept.
QString PhotoCdOf(const QString &name, const std::vector<QSize> &sizes) {
    const QString cd = BenchDataDir(name);
    QDir(cd).mkpath(QStringLiteral("images"));
    for (int i = 1; i <= static_cast<int>(sizes.size()); ++i) {
        const QString file = cd + QStringLiteral("/images/photo%1.jpg").arg(i, 2, 10, QChar('0'));
        if (QFile::exists(file))
            continue;
        std::fprintf(stderr, "making %s\n", qPrintable(file));
        QImageWriter writer(file + QStringLiteral(".part"), "jpeg");
        writer.setQuality(93); // about 5.9 MB at 24 megapixels, as a camera writes them
        if (!writer.write(PhotoLike(i, sizes[static_cast<size_t>(i - 1)])) ||
            !QFile::rename(file + QStringLiteral(".part"), file))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    }
    return cd;
}

// Photos of other shapes: landscape, portrait, wide and square.
QString ShapesCd() {
    return PhotoCdOf(QStringLiteral("shapes-cd"),
                     {{3088, 2056}, {2056, 3088}, {6028, 3391}, {4096, 4096}});
}

} // namespace

QByteArray FullHdPlatform() {
    const QString config = BenchDataDir(QStringLiteral("viewer")) + QStringLiteral("/screen.json");
    QFile json(config);
    if (json.open(QIODevice::WriteOnly | QIODevice::Truncate))
        json.write(R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": false,
  "screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920, "height": 1080,
               "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    json.close();
    return "offscreen:configfile=" + QFile::encodeName(config);
}

QString PhotoCd() {
    return PhotoCdOf(QStringLiteral("photo-cd"), std::vector<QSize>(PhotoCount, PhotoSize));
}

namespace {

QString Entry(int i) {
    return QStringLiteral("photo%1.jpg").arg(i, 2, 10, QChar('0'));
}

// Runs a child job on a 1920 x 1080 offscreen screen inside the photo CD; its peak memory in MB.
double RunOnFullHdScreen(const QString &job, const QString &cd = PhotoCd()) {
    const QByteArray before = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", FullHdPlatform());
    const double peak = PeakRssOfChild(job, {}, cd);
    qputenv("QT_QPA_PLATFORM", before);
    if (peak < 0)
        std::printf("%s failed\n", qPrintable(job));
    return peak;
}

// The catalogue of the photo CD and the viewer open on picture 1.
Form2 &OpenViewerOnPhotos() {
    g.ImagesFolder = QStringLiteral("images\\");
    const QStringList files = QDir(QStringLiteral("images")).entryList(QDir::Files, QDir::Name);
    for (int i = 1; i <= files.size(); ++i)
        g.ImageArray[static_cast<size_t>(i)] = files[i - 1];
    g.ImageCount = static_cast<int>(files.size());
    g.CurrentIndex = 1;
    Form2 &viewer = Instance<Form2>();
    viewer.Show();
    QCoreApplication::processEvents();
    return viewer;
}

void Idle(int milliseconds) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A display of picture 1 that nothing has read ahead; the time to paint it comes apart.
struct Cold {
    double display = 0;
    double paint = 0;
};
Cold ColdDisplay(Form2 &viewer) {
    // The look-ahead the last display asked for runs before, not beside this one's decode.
    Idle(200);
    platform::ForgetPictures();
    platform::WaitForLookAhead();
    g.CurrentIndex = 1;
    Cold cold;
    QElapsedTimer t;
    t.start();
    viewer.DisplayImage();
    ShowReadPictures();
    cold.display = Ms(t);
    t.restart();
    viewer.repaint();
    cold.paint = Ms(t);
    return cold;
}

#ifdef ORVANE_HAVE_TURBOJPEG
// What a viewer built straight on TurboJPEG would do: the file at a fixed scale, then scaled
// smoothly to the fitted size.
QImage TurboDecode(const QString &file, int denominator) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray jpeg = f.readAll();
    tjhandle handle = tjInitDecompress();
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    auto *data = reinterpret_cast<unsigned char *>(const_cast<char *>(jpeg.constData()));
    QImage image;
    if (tjDecompressHeader3(handle, data, static_cast<unsigned long>(jpeg.size()), &width, &height,
                            &subsampling, &colourspace) == 0) {
        const tjscalingfactor factor{1, denominator};
        image = QImage(TJSCALED(width, factor), TJSCALED(height, factor), QImage::Format_RGB32);
        if (tjDecompress2(handle, data, static_cast<unsigned long>(jpeg.size()), image.bits(),
                          image.width(), static_cast<int>(image.bytesPerLine()), image.height(),
                          TJPF_BGRX, 0) != 0)
            image = QImage();
    }
    tjDestroy(handle);
    return image.scaled(Fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
#endif

} // namespace

double DisplayOnFullHdScreenMs() {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromUtf8(FullHdPlatform()));
    child.setProcessEnvironment(env);
    child.setWorkingDirectory(PhotoCd());
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), QStringLiteral("viewer-display")});
    child.waitForFinished(120000);
    const auto match = QRegularExpression(QStringLiteral(" ours=([0-9.]+)ms"))
                           .match(QString::fromUtf8(child.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

BENCH_CASE(display24mp, "display-24mp") {
    RunOnFullHdScreen(QStringLiteral("viewer-display"));
}

BENCH_CHILD(viewerDisplay, "viewer-display") {
    Q_UNUSED(args);
    Form2 &viewer = OpenViewerOnPhotos();
#ifdef ORVANE_HAVE_TURBOJPEG
    const QString file = platform::NativePath(QStringLiteral("images\\") + Entry(1));
    QImage sink;
    std::vector<double> ours, paint, ref, full;
    for (int run = 0; run < 16; ++run) {
        const Cold o = ColdDisplay(viewer);
        QElapsedTimer t;
        t.start();
        sink = TurboDecode(file, 2);
        const double r = Ms(t);
        t.restart();
        sink = TurboDecode(file, 1);
        const double f = Ms(t);
        if (run == 0)
            continue; // warm-up
        ours.push_back(o.display);
        paint.push_back(o.paint);
        ref.push_back(r);
        full.push_back(f);
    }
    if (viewer.Image1->Picture().size() != Fitted)
        std::printf("display-24mp decoded at %dx%d\n", viewer.Image1->Picture().width(),
                    viewer.Image1->Picture().height());
    ReportRatio("display-24mp", {Median(ours), Median(ref)},
                QStringLiteral("full-decode+scale=%1ms (ours: DisplayImage, then painting %2ms)")
                    .arg(Median(full), 0, 'f', 2)
                    .arg(Median(paint), 0, 'f', 2));
#else
    std::printf("display-24mp ours=%.2fms ref=none (built without TurboJPEG)\n",
                ColdDisplay(viewer).display);
#endif
    return 0;
}

BENCH_CASE(step24mp, "step-24mp") {
    RunOnFullHdScreen(QStringLiteral("viewer-step"));
}

BENCH_CHILD(viewerStep, "viewer-step") {
    Q_UNUSED(args);
    Form2 &viewer = OpenViewerOnPhotos();
    std::vector<double> cold;
    for (int run = 0; run < 6; ++run) {
        const Cold c = ColdDisplay(viewer);
        cold.push_back(c.display + c.paint);
    }
    cold.erase(cold.begin());
    g.CurrentIndex = 1;
    viewer.DisplayImage();
    ShowReadPictures();

    std::vector<double> steps, laidOut;
    for (int shown = 0; shown < PhotoCount; ++shown) {
        Idle(1000);
        const int next = g.CurrentIndex % PhotoCount + 1;
        const QString title = QStringLiteral("Photo%1").arg(next, 2, 10, QChar('0'));
        QElapsedTimer t;
        t.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(&viewer, &press);
        while (g.ImageTitle != title && t.elapsed() < 5000)
            QCoreApplication::processEvents();
        laidOut.push_back(Ms(t));
        viewer.repaint();
        steps.push_back(Ms(t));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(&viewer, &release);
    }
    ReportRatio("step-24mp", {Median(steps), Median(cold)},
                QStringLiteral("(ours: step with look-ahead, ref: display-24mp cold; limit 16ms; "
                               "laid out after %1ms; slowest step %2ms)")
                    .arg(Median(laidOut), 0, 'f', 2)
                    .arg(*std::max_element(steps.begin(), steps.end()), 0, 'f', 2));
    return 0;
}

BENCH_CASE(viewerMemory, "viewer-memory") {
    const double ours = RunOnFullHdScreen(QStringLiteral("viewer-slideshow"));
    const double shapes = RunOnFullHdScreen(QStringLiteral("viewer-slideshow"), ShapesCd());
    const double full = RunOnFullHdScreen(QStringLiteral("viewer-slideshow-full"));
    ReportMemory("viewer-memory", std::max(ours, shapes), full,
                 QStringLiteral("(24 MP photos %1MB, 3088x2056 to 4096x4096 %2MB; ref: the same "
                                "show decoding every picture whole; limit 120MB)")
                     .arg(ours, 0, 'f', 0)
                     .arg(shapes, 0, 'f', 0));
}

// The slideshow over every photo, as the viewer runs it.
BENCH_CHILD(viewerSlideshow, "viewer-slideshow") {
    Q_UNUSED(args);
    g.SlideshowOn = 1;
    g.SlideshowDelay = 250;
    OpenViewerOnPhotos();
    QElapsedTimer t;
    t.start();
    while (g.CurrentIndex != 1 || t.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (t.elapsed() > 60000)
            return 1;
    }
    return 0;
}

// The same show with each picture decoded whole and scaled by the image control as it draws.
BENCH_CHILD(viewerSlideshowFull, "viewer-slideshow-full") {
    Q_UNUSED(args);
    QWidget window;
    window.setGeometry(0, 0, 1920, 1080);
    auto *image = new platform::ImageBox(&window);
    image->setGeometry((1920 - Fitted.width()) / 2, 0, Fitted.width(), Fitted.height());
    window.show();
    for (int shown = 0; shown <= PhotoCount; ++shown) {
        const QString file =
            platform::NativePath(QStringLiteral("images\\") + Entry(shown % PhotoCount + 1));
        if (auto picture = platform::LoadPictureFile(file))
            image->SetPicture(picture->image);
        window.repaint();
        Idle(250);
    }
    return 0;
}
