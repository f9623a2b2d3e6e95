#include "platform/desktop/app_chooser.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/portal.h"
#include "platform/runtime/activation.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

namespace {

const QString WallpaperNames[2] = {QStringLiteral("Orvane.bmp"), QStringLiteral("Orvane2.bmp")};

constexpr int ProcessTimeoutMs = 15'000;

// Runs a program by argument list, never through a shell; true when it ran and exited with 0.
bool run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr) {
    if (QStandardPaths::findExecutable(program).isEmpty())
        return false;
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForFinished(ProcessTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool setOnGnome(const QString &nativePath) {
    const auto calls = GsettingsWallpaperArguments(FileUri(nativePath));
    if (!run(QStringLiteral("gsettings"), calls.at(0)))
        return false;
    run(QStringLiteral("gsettings"), calls.at(1));
    return true;
}

bool setOnKde(const QString &nativePath) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
        QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"));
    call << PlasmaWallpaperScript(FileUri(nativePath));
    return bus.call(call, QDBus::Block, ProcessTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

bool setOnXfce(const QString &nativePath) {
    QByteArray listing;
    if (!run(QStringLiteral("xfconf-query"), XfconfListArguments(), &listing))
        return false;
    bool set = false;
    for (const QString &property : XfconfImageProperties(listing))
        set = run(QStringLiteral("xfconf-query"), XfconfSetArguments(property, nativePath)) || set;
    return set;
}

bool setByDesktop(const QString &nativePath) {
    switch (DesktopKindOf(qEnvironmentVariable("XDG_CURRENT_DESKTOP"))) {
    case DesktopKind::Gnome:
        return setOnGnome(nativePath);
    case DesktopKind::Kde:
        return setOnKde(nativePath);
    case DesktopKind::Xfce:
        return setOnXfce(nativePath);
    case DesktopKind::Other:
        break;
    }
    return false;
}

// Once the desktop shows the new file, the one it showed before is no longer needed.
void removeOtherWallpaperFile(const QString &shown) {
    const QFileInfo info(shown);
    for (int i = 0; i < 2; ++i)
        if (info.fileName() == WallpaperNames[i])
            QFile::remove(info.dir().filePath(WallpaperNames[1 - i]));
}

} // namespace

std::optional<QString> WallpaperFile() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return std::nullopt;
    const QDir folder(data + QStringLiteral("/orvane"));
    if (!folder.mkpath(QStringLiteral(".")))
        return std::nullopt;
    const QFileInfo first(folder.filePath(WallpaperNames[0]));
    const QFileInfo second(folder.filePath(WallpaperNames[1]));
    // The name not in use. Both are left only by a set the desktop refused, which wrote the newer
    // one: the older is on show, so the newer is written again.
    if (!first.exists())
        return first.filePath();
    if (!second.exists())
        return second.filePath();
    return first.lastModified() > second.lastModified() ? first.filePath() : second.filePath();
}

bool SetDesktopWallpaper(const QString &nativePath) {
    bool set = false;
    switch (PortalSetWallpaper(nativePath)) {
    case PortalAnswer::Done:
        set = true;
        break;
    case PortalAnswer::Refused:
        break;
    case PortalAnswer::Absent:
        set = setByDesktop(nativePath);
        break;
    }
    if (set)
        removeOtherWallpaperFile(nativePath);
    return set;
}

void OpenWithChooser(const QString &nativePath) {
    PortalOpenFile(nativePath, [nativePath, owner = QPointer<QWidget>(OwnerForm())] {
        ShowApplicationChooser(nativePath, owner);
    });
}

} // namespace platform
