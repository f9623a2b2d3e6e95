#pragma once
// The desktop's wallpaper and its Open With chooser on Linux: the desktop portal first, and when
// no portal answers, the desktop's own way (wallpaper) or the program's own chooser (Open With).
// The argument building is kept apart from the calls so it can be checked without a desktop.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

// The bitmap file the next wallpaper is written to, in a folder "orvane" of the user's data folder
// (made when missing). Desktops that keep showing a picture they have already loaded under the
// same name (KDE Plasma, XFCE; GNOME ignores a setting that did not change) would not show a new
// picture written over the old file, so two names take turns: the one not shown now. Nothing when
// the folder cannot be made.
std::optional<QString> WallpaperFile();

// The real services of the table in services.h.
bool SetDesktopWallpaper(const QString &nativePath);
void OpenWithChooser(const QString &nativePath);

// Which desktop's own way to take, from XDG_CURRENT_DESKTOP ("ubuntu:GNOME", "KDE", "XFCE").
enum class DesktopKind { Other, Gnome, Kde, Xfce };
DesktopKind DesktopKindOf(const QString &xdgCurrentDesktop);

// "file://" URI of an on-disk path, with blanks, quotes and non-ASCII percent-encoded.
QString FileUri(const QString &nativePath);

// gsettings calls, in order: the light and the dark style's picture (older GNOME lacks the dark
// one, so only the first must succeed).
QList<QStringList> GsettingsWallpaperArguments(const QString &uri);

// The script plasmashell's evaluateScript runs to show the picture on every desktop.
QString PlasmaWallpaperScript(const QString &uri);

// xfconf-query calls: listing the desktop's properties, picking each monitor's and workspace's
// picture property from that listing, and setting one of them.
QStringList XfconfListArguments();
QStringList XfconfImageProperties(const QByteArray &listing);
QStringList XfconfSetArguments(const QString &property, const QString &nativePath);

} // namespace platform
