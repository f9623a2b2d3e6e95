// Start-up figures: the catalogue scan against a bare directory walk, and the whole start-up
// against a program that shows one empty window.

#include "app/form6.h"
#include "app/forms.h"
#include "app/globals.h"
#include "bench/bench.h"
#include "catalogue/scan.h"
#include "mainwindow/form1.h"
#include "platform/desktop/services.h"
#include "platform/files/files.h"
#include "platform/runtime/accessibility.h"
#include "platform/runtime/listbox.h"
#include "platform/runtime/warmup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTimer>

#include <dirent.h>
#include <vector>

namespace {

// 10,000 files, about 80% pictures, in about 200 folders up to six deep.
QString makeTree() {
    const QString root = BenchDataDir(QStringLiteral("cd-10k"));
    const QString images = root + QStringLiteral("/images");
    if (QFile::exists(images + QStringLiteral("/.complete-3")))
        return root;
    QDir(images).removeRecursively();
    std::vector<QString> folders{images};
    quint32 seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    while (folders.size() < 200) {
        const QString parent = folders[next() % folders.size()];
        if (parent.count(QLatin1Char('/')) - images.count(QLatin1Char('/')) >= 6)
            continue;
        const QString folder = parent + QStringLiteral("/folder%1").arg(folders.size());
        QDir().mkpath(folder);
        folders.push_back(folder);
    }
    const char *const kinds[] = {".jpg", ".gif", ".bmp", ".JPG", ".txt"};
    for (int i = 0; i < 10000; ++i) {
        const QString folder = folders[next() % folders.size()];
        QFile(folder + QStringLiteral("/file%1%2").arg(i).arg(QLatin1String(kinds[i % 5])))
            .open(QIODevice::WriteOnly);
    }
    // The first row is previewed at start-up, so the top folder's pictures are real ones (the
    // loader goes by content, so JPEG data serves every name).
    QImage photo(1024, 768, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x / 4, y / 3, (x + y) / 8));
    for (const QString &name : QDir(images).entryList(QDir::Files))
        if (!name.endsWith(QLatin1String(".txt")))
            photo.save(images + QLatin1Char('/') + name, "JPG", 90);
    QFile(images + QStringLiteral("/.complete-3")).open(QIODevice::WriteOnly);
    return root;
}

int bareWalk(const QByteArray &path) {
    DIR *d = ::opendir(path.constData());
    if (!d)
        return 0;
    int count = 0;
    while (dirent *e = ::readdir(d)) {
        if (e->d_name[0] == '.' && (!e->d_name[1] || (e->d_name[1] == '.' && !e->d_name[2])))
            continue;
        if (e->d_type == DT_DIR)
            count += bareWalk(path + '/' + e->d_name);
        else
            ++count;
    }
    ::closedir(d);
    return count;
}

} // namespace

BENCH_CASE(scan10k, "scan-10k") {
    const QString root = makeTree();
    const QString previous = QDir::currentPath();
    QDir::setCurrent(root);
    int found = 0;
    platform::ListBox list;
    const Medians m = MeasureSideBySide(
        [&] {
            g.ImagesFolder = QStringLiteral("images\\");
            list.Clear();
            ScanParams params;
            params.Recurse = true;
            params.AddToList = true;
            params.Folder = g.ImagesFolder;
            params.Pattern = QStringLiteral("*.*");
            ScanFolder(params, list);
            found = list.ListCount();
        },
        [] { bareWalk("images"); }, 9);
    QDir::setCurrent(previous);
    ReportRatio("scan-10k", m, QStringLiteral("pictures=%1").arg(found));
}

BENCH_CASE(startup10k, "startup-10k") {
    const QString root = makeTree();
    std::vector<double> ours, ref;
    for (int i = 0; i < 7; ++i) {
        ours.push_back(RunChildMs(QStringLiteral("startup"), {}, root));
        ref.push_back(RunChildMs(QStringLiteral("empty-window"), {}, root));
    }
    std::sort(ours.begin(), ours.end());
    std::sort(ref.begin(), ref.end());
    ReportRatio("startup-10k", {ours[ours.size() / 2], ref[ref.size() / 2]});
}

namespace {
// Quits the child at the first paint of the watched window.
class QuitOnPaint : public QObject {
  public:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        return false;
    }
};
} // namespace

// The program's own start, as main() makes it once the application object exists.
BENCH_CHILD(startup, "startup") {
    // The folder the main window lists at its start.
    platform::WarmUpInBackground(QStringLiteral("images\\"));
    QApplication::setApplicationName(QStringLiteral("orvane"));
    platform::SilenceMultimediaWarnings();
    platform::InstallAccessibility();
    platform::StartFolder();
    QuitOnPaint quit;
    Instance<Form6>();
    Instance<Form1>().installEventFilter(&quit);
    return QApplication::exec();
}

BENCH_CHILD(emptyWindow, "empty-window") {
    QuitOnPaint quit;
    QWidget window;
    window.installEventFilter(&quit);
    window.show();
    return QApplication::exec();
}
