#include "dialogs/wallpaper.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/services.h"
#include "platform/imaging/picture.h"
#include "platform/imaging/reads.h"

#include <QCoreApplication>

namespace {

void failed() {
    platform::MsgBox(QStringLiteral("Sorry, the wallpaper could not be set"), platform::vbOKOnly,
                     QString::fromLatin1(platform::AppTitle));
}

} // namespace

void CreateWallpaper(const QString &sourceNativePath) {
    const auto file = platform::WallpaperFile();
    if (!file)
        return failed();
    // The picture is read again from the CD on a worker.
    platform::OffThread<std::optional<QImage>>(
        QCoreApplication::instance(),
        [sourceNativePath] { return platform::ReadPictureWhole(sourceNativePath); },
        [target = *file](std::optional<QImage> image) {
            if (!image || !platform::WriteBitmap(std::move(*image), target) ||
                !platform::services().setWallpaper(target))
                failed();
        });
}
