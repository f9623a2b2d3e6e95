#include "dialogs/save_rules.h"

QString DefaultSaveName(const QString &listEntry) {
    if (listEntry.size() <= 4)
        return {};
    return listEntry.left(listEntry.size() - 4);
}

QString SaveTargetPath(const QString &folder, const QString &name) {
    const bool endsInSeparator =
        folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/'));
    return folder + (endsInSeparator ? QString() : QStringLiteral("\\")) + name +
           QStringLiteral(".bmp");
}
