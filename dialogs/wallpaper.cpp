#include "dialogs/wallpaper.h"

#include "platform/desktop.h"
#include "platform/picture.h"
#include "platform/services.h"

void CreateWallpaper(const QString &sourceNativePath) {
    const auto file = platform::WallpaperFile();
    const bool set = file && platform::SavePictureAsBitmap(sourceNativePath, *file) &&
                     platform::services().setWallpaper(*file);
    if (!set)
        platform::MsgBox(QStringLiteral("Sorry, the wallpaper could not be set"),
                         platform::vbOKOnly, QString::fromLatin1(platform::AppTitle));
}
