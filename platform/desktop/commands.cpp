#include "platform/desktop/desktop.h"

#include <QUrl>

namespace platform {

namespace {

// A JavaScript string literal holding text exactly, whatever characters it has.
QString scriptString(const QString &text) {
    QString literal = QStringLiteral("\"");
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            literal += QLatin1Char('\\') + c;
        else if (u < 0x20 || u > 0x7e)
            literal += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        else
            literal += c;
    }
    return literal + QLatin1Char('"');
}

} // namespace

DesktopKind DesktopKindOf(const QString &xdgCurrentDesktop) {
    for (const QString &name : xdgCurrentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString token = name.trimmed().toUpper();
        if (token == QLatin1String("GNOME") || token == QLatin1String("UNITY"))
            return DesktopKind::Gnome;
        if (token == QLatin1String("KDE"))
            return DesktopKind::Kde;
        if (token == QLatin1String("XFCE"))
            return DesktopKind::Xfce;
    }
    return DesktopKind::Other;
}

QString FileUri(const QString &nativePath) {
    return QUrl::fromLocalFile(nativePath).toString(QUrl::FullyEncoded);
}

QList<QStringList> GsettingsWallpaperArguments(const QString &uri) {
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    return {{QStringLiteral("set"), schema, QStringLiteral("picture-uri"), uri},
            {QStringLiteral("set"), schema, QStringLiteral("picture-uri-dark"), uri}};
}

QString PlasmaWallpaperScript(const QString &uri) {
    return QStringLiteral("var uri = %1;\n"
                          "desktops().forEach(function (d) {\n"
                          "    d.wallpaperPlugin = \"org.kde.image\";\n"
                          "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", "
                          "\"General\"];\n"
                          "    d.writeConfig(\"Image\", uri);\n"
                          "});\n")
        .arg(scriptString(uri));
}

QStringList XfconfListArguments() {
    return {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-l")};
}

QStringList XfconfImageProperties(const QByteArray &listing) {
    QStringList properties;
    for (const QByteArray &line : listing.split('\n')) {
        const QString property = QString::fromUtf8(line.trimmed());
        if (property.startsWith(QLatin1String("/backdrop/")) &&
            property.endsWith(QLatin1String("/last-image")))
            properties.append(property);
    }
    return properties;
}

QStringList XfconfSetArguments(const QString &property, const QString &nativePath) {
    return {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"),
            QStringLiteral("-p"), property,
            QStringLiteral("-s"), nativePath};
}

} // namespace platform
