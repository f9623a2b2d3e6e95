// The main window's preview: how long selecting a large picture takes, and what it costs in
// memory, against the cheapest way to get the same pixels on screen.

#include "bench/bench.h"

#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "platform/imaging/lookahead.h"
#include "platform/imaging/picture.h"
#include "tools/mksample/gif_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

#ifdef ORVANE_HAVE_TURBOJPEG
#include <turbojpeg.h>
#endif

namespace {

// Smooth shapes at a few scales plus grain: compresses like a photo, not like a drawing.
QImage photoLike(QSize size, quint32 seed) {
    QRandomGenerator random(seed);
    auto noiseLayer = [&](int divisor) {
        QImage small(std::max(2, size.width() / divisor), std::max(2, size.height() / divisor),
                     QImage::Format_RGB32);
        for (int y = 0; y < small.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(small.scanLine(y));
            for (int x = 0; x < small.width(); ++x)
                line[x] = random.generate() | 0xff000000u;
        }
        return small.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const QImage coarse = noiseLayer(400);
    const QImage medium = noiseLayer(40);
    QImage image(size, QImage::Format_RGB32);
    quint32 grain = seed * 2654435761u + 1;
    for (int y = 0; y < size.height(); ++y) {
        const auto *c = reinterpret_cast<const QRgb *>(coarse.constScanLine(y));
        const auto *m = reinterpret_cast<const QRgb *>(medium.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        const int sky = 255 * y / size.height();
        for (int x = 0; x < size.width(); ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int g = static_cast<int>(grain >> 27) - 16;
            auto channel = [&](int coarseValue, int mediumValue, int base) {
                return std::clamp((base + coarseValue * 2 + mediumValue) / 4 + g, 0, 255);
            };
            out[x] = qRgb(channel(qRed(c[x]), qRed(m[x]), 255 - sky),
                          channel(qGreen(c[x]), qGreen(m[x]), 160),
                          channel(qBlue(c[x]), qBlue(m[x]), sky));
        }
    }
    return image;
}

// A CD folder holding images/<name>, made once and kept for later runs.
QString benchCd(const QString &caseName, const QString &name,
                const std::function<bool(const QString &)> &write) {
    const QString cd = BenchDataDir(caseName);
    const QString path = cd + QStringLiteral("/images/") + name;
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).path());
        std::fprintf(stderr, "generating %s\n", qPrintable(path));
        if (!write(path + QStringLiteral(".part")) ||
            !QFile::rename(path + QStringLiteral(".part"), path))
            qFatal("cannot write %s", qPrintable(path));
    }
    return cd;
}

QString photoCd() {
    return benchCd(QStringLiteral("preview-24mp"), QStringLiteral("photo.jpg"), [](auto path) {
        // Qt's writer keeps libjpeg's default 4:2:0 sampling.
        return photoLike(QSize(6000, 4000), 24).save(path, "JPG", 90);
    });
}

// Starts the main window on a CD folder, as the program does, and shows it.
Form1 &mainWindowOn(const QString &cd) {
    Unload<Form1>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    g = Globals{};
    QDir::setCurrent(cd);
    Form1 &form = Instance<Form1>();
    form.show();
    QCoreApplication::processEvents();
    return form;
}

// Selecting the row again runs the whole preview; the repaint draws the scaled picture.
void preview(Form1 &form) {
    // As for a row not previewed just before: the preview shown last would be shown again.
    platform::ForgetPictures();
    form.List1->SetSelected(0);
    ShowReadPictures();
    form.Image1->repaint();
}

// Keeps a result alive so the work that made it can't be skipped.
void keep(const QImage &image) {
    static volatile qint64 sink = 0;
    sink = sink + image.width();
}

QImage plainRead(const QString &path) {
    QImageReader reader(path);
    return reader.read();
}

QString fileSizeNote(const QString &path) {
    return QStringLiteral("file=%1MB").arg(double(QFileInfo(path).size()) / 1048576.0, 0, 'f', 1);
}

void compareWithPlainDecode(const char *name, const QString &cd, const QString &file) {
    Form1 &form = mainWindowOn(cd);
    const QString path = cd + QStringLiteral("/images/") + file;
    const Medians m =
        MeasureSideBySide([&form] { preview(form); }, [&path] { keep(plainRead(path)); }, 15);
    ReportRatio(name, m, fileSizeNote(path));
}

} // namespace

BENCH_CASE(preview_24mp, "preview-24mp") {
#ifdef ORVANE_HAVE_TURBOJPEG
    const QString cd = photoCd();
    const QString path = cd + QStringLiteral("/images/photo.jpg");
    Form1 &form = mainWindowOn(cd);
    const QSize drawn = form.Image1->size() * form.Image1->devicePixelRatioF();

    auto turbo = [&path, drawn] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QByteArray bytes = file.readAll();
        tjhandle handle = tjInitDecompress();
        int width = 0, height = 0, subsampling = 0, colourspace = 0;
        auto *data = reinterpret_cast<unsigned char *>(const_cast<char *>(bytes.constData()));
        tjDecompressHeader3(handle, data, static_cast<unsigned long>(bytes.size()), &width, &height,
                            &subsampling, &colourspace);
        QImage eighth(TJSCALED(width, (tjscalingfactor{1, 8})),
                      TJSCALED(height, (tjscalingfactor{1, 8})), QImage::Format_RGB32);
        tjDecompress2(handle, data, static_cast<unsigned long>(bytes.size()), eighth.bits(),
                      eighth.width(), static_cast<int>(eighth.bytesPerLine()), eighth.height(),
                      TJPF_BGRX, 0);
        tjDestroy(handle);
        keep(eighth.scaled(drawn, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    };
    const Medians m = MeasureSideBySide([&form] { preview(form); }, turbo, 15);
    const double full = MedianMs(
        [&path, drawn] {
            keep(plainRead(path).scaled(drawn, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        },
        3);
    ReportRatio("preview-24mp", m,
                QStringLiteral("full-decode-then-scale=%1ms %2")
                    .arg(full, 0, 'f', 2)
                    .arg(fileSizeNote(path)));
#else
    std::printf("preview-24mp skipped: built without libturbojpeg\n");
#endif
}

BENCH_CASE(preview_gif, "preview-gif") {
    const QString cd =
        benchCd(QStringLiteral("preview-gif"), QStringLiteral("picture.gif"), [](auto path) {
            return writeGif(path, photoLike({2000, 1500}, 7));
        });
    compareWithPlainDecode("preview-gif", cd, QStringLiteral("picture.gif"));
}

BENCH_CASE(preview_bmp, "preview-bmp") {
    const QString cd =
        benchCd(QStringLiteral("preview-bmp"), QStringLiteral("picture.bmp"), [](auto path) {
            return photoLike({2000, 1500}, 8)
                .convertToFormat(QImage::Format_RGB888)
                .save(path, "BMP");
        });
    compareWithPlainDecode("preview-bmp", cd, QStringLiteral("picture.bmp"));
}

// Starts on a CD and selects every row in turn, each long enough for it to be read ahead for the
// viewer; "full" decodes each picture whole instead.
BENCH_CHILD(preview_walk, "preview-walk") {
    const bool full = args.value(0) == QLatin1String("full");
    Form1 &form = mainWindowOn(QDir::currentPath());
    for (int row = 0; row < form.List1->ListCount(); ++row) {
        if (full) {
            g.CurrentIndex = row + 1;
            auto picture = platform::LoadPicture(g.ImagesFolder + g.ImageArray[row + 1]);
            if (!picture)
                return 1;
            form.Image1->SetPicture(picture->image);
        } else {
            form.List1->SetSelected(row);
            QElapsedTimer dwell;
            dwell.start();
            while (dwell.elapsed() < 350)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            platform::WaitForLookAhead();
        }
        form.Image1->repaint();
        QCoreApplication::processEvents();
    }
    return form.List1->ListCount() == 20 ? 0 : 1;
}

BENCH_CASE(preview_memory, "preview-memory") {
    const QString photo = photoCd() + QStringLiteral("/images/photo.jpg");
    const QString cd = BenchDataDir(QStringLiteral("preview-memory"));
    QDir().mkpath(cd + QStringLiteral("/images"));
    for (int i = 1; i <= 20; ++i) {
        const QString copy =
            cd + QStringLiteral("/images/photo%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        if (!QFileInfo::exists(copy))
            QFile::copy(photo, copy);
    }
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", FullHdPlatform());
    const double scaled = PeakRssOfChild(QStringLiteral("preview-walk"), {}, cd);
    const double full =
        PeakRssOfChild(QStringLiteral("preview-walk"), {QStringLiteral("full")}, cd);
    qputenv("QT_QPA_PLATFORM", platform);
    ReportMemory("preview-memory", scaled, full,
                 QStringLiteral("pictures=20 of 6000x4000, each read ahead for a 1920x1080 viewer "
                                "(limit 80MB)"));
}
