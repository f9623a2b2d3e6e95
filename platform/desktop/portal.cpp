#include "platform/desktop/portal.h"

#include "platform/files/files.h"
#include "platform/runtime/activation.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace platform {

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// The portal may show a dialog of its own before it answers.
constexpr int CallTimeoutMs = 10'000;
constexpr int AnswerTimeoutMs = 120'000;

// Receives a Request's Response signal.
class ResponseWaiter : public QObject {
    Q_OBJECT
  public:
    QEventLoop loop;
    std::optional<uint> response;
    std::function<void()> whenAnswered;

  public slots:
    void Response(uint code, const QVariantMap &) {
        response = code;
        loop.quit();
        if (whenAnswered)
            whenAnswered();
    }
};

bool usable(const QDBusConnection &bus) {
    return bus.isConnected() &&
           bus.connectionCapabilities().testFlag(QDBusConnection::UnixFileDescriptorPassing);
}

// The window the portal's own dialogs belong to, so they open above it and the window manager
// gives it the keyboard back (X11 only: Wayland needs a handle exported through a protocol Qt 6.4
// does not offer).
QString parentWindow(QWidget *owner) {
    if (!owner || QGuiApplication::platformName() != QLatin1String("xcb"))
        return {};
    return QStringLiteral("x11:") + QString::number(owner->winId(), 16);
}

QString nextToken() {
    static int count = 0;
    return QStringLiteral("orvane%1").arg(++count);
}

// Where the portal puts its Request object for a token: known before the call, so the answer
// cannot slip past.
QString requestPath(const QDBusConnection &bus, const QString &token) {
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return PortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

bool listen(QDBusConnection &bus, const QString &path, ResponseWaiter *waiter, bool on) {
    const char *slot = SLOT(Response(uint, QVariantMap));
    return on ? bus.connect(PortalService, path, RequestInterface, QStringLiteral("Response"),
                            waiter, slot)
              : bus.disconnect(PortalService, path, RequestInterface, QStringLiteral("Response"),
                               waiter, slot);
}

} // namespace

PortalAnswer PortalSetWallpaper(const QString &nativePath) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!usable(bus))
        return PortalAnswer::Absent;
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly))
        return PortalAnswer::Refused;

    const QPointer<QWidget> owner = OwnerForm();
    const QString token = nextToken();
    ResponseWaiter waiter;
    QString path = requestPath(bus, token);
    listen(bus, path, &waiter, true);

    QDBusMessage call = QDBusMessage::createMethodCall(
        PortalService, PortalPath, QStringLiteral("org.freedesktop.portal.Wallpaper"),
        QStringLiteral("SetWallpaperFile"));
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("set-on"), QStringLiteral("background")},
                              {QStringLiteral("show-preview"), false}};
    call << parentWindow(owner) << QVariant::fromValue(QDBusUnixFileDescriptor(file.handle()))
         << options;
    const QDBusMessage reply = bus.call(call, QDBus::Block, CallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        listen(bus, path, &waiter, false);
        return PortalAnswer::Absent;
    }
    // Older portals choose the Request's path themselves.
    const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != path) {
        listen(bus, path, &waiter, false);
        path = handle;
        listen(bus, path, &waiter, true);
    }
    if (!waiter.response) {
        QTimer::singleShot(AnswerTimeoutMs, &waiter.loop, &QEventLoop::quit);
        waiter.loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    listen(bus, path, &waiter, false);
    HandBack(owner);
    return waiter.response == 0u ? PortalAnswer::Done : PortalAnswer::Refused;
}

void PortalOpenFile(const QString &nativePath, std::function<void()> whenAbsent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QFile file;
    if (!OpenRegularFile(file, nativePath))
        return;
    if (!usable(bus)) {
        QTimer::singleShot(0, qApp, whenAbsent);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        PortalService, PortalPath, QStringLiteral("org.freedesktop.portal.OpenURI"),
        QStringLiteral("OpenFile"));
    const QString token = nextToken();
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("ask"), true}};
    QWidget *owner = OwnerForm();
    call << parentWindow(owner) << QVariant::fromValue(QDBusUnixFileDescriptor(file.handle()))
         << options;
    // Once the portal's chooser has answered, its owner has the keyboard back. The waiter goes
    // with the answer, or after a while without one.
    auto *waiter = new ResponseWaiter;
    waiter->setParent(qApp);
    const QString path = requestPath(bus, token);
    waiter->whenAnswered = [owner = QPointer<QWidget>(owner), waiter, path] {
        QDBusConnection bus = QDBusConnection::sessionBus();
        listen(bus, path, waiter, false);
        HandBack(owner);
        waiter->deleteLater();
    };
    listen(bus, path, waiter, true);
    QTimer::singleShot(AnswerTimeoutMs, waiter, &QObject::deleteLater);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, CallTimeoutMs), qApp);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, qApp,
        [whenAbsent, waiter = QPointer<ResponseWaiter>(waiter)](QDBusPendingCallWatcher *finished) {
            if (finished->isError()) {
                if (waiter)
                    waiter->deleteLater();
                whenAbsent();
            }
            finished->deleteLater();
        });
}

} // namespace platform

#include "portal.moc"
