#include "dialogs/desktop_rules.h"

QString MainWallpaperQuestion(const QString &imageTitle) {
    return QStringLiteral("Create wallpaper from '") + imageTitle + QStringLiteral("' image?");
}

QString ViewerWallpaperQuestion(const QString &imageTitle) {
    return QStringLiteral("Create desktop wallpaper from '") + TextAfterLastBackslash(imageTitle) +
           QStringLiteral("' image?");
}

QString TextAfterLastBackslash(const QString &text) {
    return text.mid(text.lastIndexOf(QLatin1Char('\\')) + 1);
}
