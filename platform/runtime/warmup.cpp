#include "platform/runtime/warmup.h"

#include "platform/files/folders.h"
#include "platform/imaging/picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QTimer>

#include <thread>
#include <vector>

namespace platform {

namespace {
std::vector<std::thread> *warming = nullptr;

// The windows are laid out with Arial's metrics. Where the machine has neither Arial nor Liberation
// Sans, which has the same metrics, the fonts carried in fonts/ beside the program stand in.
void AddCarriedFonts() {
    if (QFontDatabase::hasFamily(QStringLiteral("Arial")) ||
        QFontDatabase::hasFamily(QStringLiteral("Liberation Sans")))
        return;
    const QDir carried(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    for (const QString &name : carried.entryList({QStringLiteral("*.ttf")}, QDir::Files))
        QFontDatabase::addApplicationFont(carried.filePath(name));
}
} // namespace

void WarmUpInBackground(const QString &catalogueFolder) {
    if (warming)
        return;
    warming = new std::vector<std::thread>;
    BeginReadingAhead();
    // Reading the font configuration is most of the first text laid out, which the window waits
    // for after its walk; each thread allocates from a heap of its own, so neither holds up the
    // walk's many small allocations.
    warming->emplace_back([] {
        QFontDatabase::families();
        AddCarriedFonts();
    });
    warming->emplace_back([catalogueFolder] {
        ReadAhead(catalogueFolder);
        LoadDecoders();
    });
    // The listings serve the walk of the first window's start only: a later walk lists afresh.
    QTimer::singleShot(0, QCoreApplication::instance(), [] { EndReadingAhead(); });
    // Done before the application object takes the font database and the plugins with it.
    qAddPostRoutine([] {
        for (std::thread &t : *warming)
            t.join();
        delete warming;
        warming = nullptr;
    });
}

} // namespace platform
