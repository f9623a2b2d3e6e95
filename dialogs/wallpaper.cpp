#include "dialogs/wallpaper.h"

#include "platform/desktop/desktop.h"
#include "platform/imaging/picture.h"
#include "platform/desktop/services.h"

void CreateWallpaper(const QString &sourceNativePath) {
    const auto file = platform::WallpaperFile();
    const bool set = file && platform::SavePictureAsBitmap(sourceNativePath, *file) &&
                     platform::services().setWallpaper(*file);
    if (!set)
        platform::MsgBox(QStringLiteral("Sorry, the wallpaper could not be set"),
                         platform::vbOKOnly, QString::fromLatin1(platform::AppTitle));
}
