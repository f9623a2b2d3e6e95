// The desktop services against a stand-in desktop portal on a private session bus: what the
// portal is sent, how its answer is taken, and the program's own chooser when no portal answers.

#include "platform/desktop/desktop.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QDialog>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

struct PortalCall {
    QString interface;
    QString member;
    QByteArray fileStart; // the first bytes read through the descriptor
    QVariantMap options;
};

// Answers both requests the way the desktop portal does: a Request path at once, and for the
// wallpaper a Response signal on it a little later.
class FakePortal : public QDBusVirtualObject {
  public:
    explicit FakePortal(const QDBusConnection &bus) : bus_(bus) {}

    std::atomic<uint> answer{0};

    QList<PortalCall> calls() {
        QMutexLocker lock(&mutex_);
        return calls_;
    }

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override {
        const QList<QVariant> args = message.arguments();
        PortalCall call{message.interface(), message.member(), {}, {}};
        QFile file;
        const auto fd = args.value(1).value<QDBusUnixFileDescriptor>();
        if (fd.isValid() && file.open(fd.fileDescriptor(), QIODevice::ReadOnly))
            call.fileStart = file.read(2);
        call.options = qdbus_cast<QVariantMap>(args.value(2));
        {
            QMutexLocker lock(&mutex_);
            calls_.append(call);
        }
        QString sender = message.service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request =
            PortalPath + "/request/" + sender + "/" + call.options.value("handle_token").toString();
        bus_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        if (call.member == QLatin1String("SetWallpaperFile")) {
            const uint code = answer;
            QTimer::singleShot(200, this, [this, request, code] {
                QDBusMessage response = QDBusMessage::createSignal(
                    request, QStringLiteral("org.freedesktop.portal.Request"),
                    QStringLiteral("Response"));
                response << code << QVariantMap();
                bus_.send(response);
            });
        }
        return true;
    }

  private:
    QDBusConnection bus_;
    QMutex mutex_;
    QList<PortalCall> calls_;
};

QString busSocket;

} // namespace

class TestWallpaperPortal : public QObject {
    Q_OBJECT

    QProcess daemon;
    QThread portalThread;
    FakePortal *portal = nullptr;
    QTemporaryDir files;

    QString writeBitmap(const QString &name) {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        image.save(files.filePath(name), "BMP");
        return files.filePath(name);
    }

    static QDialog *openChooser() {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QDialog *>(w);
                dialog && dialog->isVisible() && dialog->windowTitle() == "Open With")
                return dialog;
        return nullptr;
    }

  private slots:
    void initTestCase() {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (program.isEmpty())
            QSKIP("dbus-daemon is not installed");
        daemon.start(program,
                     {"--session", "--nofork", "--nopidfile", "--address=unix:path=" + busSocket});
        QVERIFY(daemon.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(busSocket), 5000);
        QVERIFY(QDBusConnection::sessionBus().isConnected());

        QDBusConnection portalBus =
            QDBusConnection::connectToBus("unix:path=" + busSocket, QStringLiteral("portal"));
        QVERIFY(portalBus.isConnected());
        portal = new FakePortal(portalBus);
        portal->moveToThread(&portalThread);
        portalThread.start();
        QVERIFY(portalBus.registerVirtualObject(PortalPath, portal));
        QVERIFY(portalBus.registerService(PortalService));
        qputenv("XDG_CURRENT_DESKTOP", "");
    }
    void cleanupTestCase() {
        QDBusConnection(QStringLiteral("portal")).unregisterObject(PortalPath);
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        portalThread.quit();
        portalThread.wait();
        delete portal;
        if (daemon.state() != QProcess::NotRunning) {
            daemon.kill();
            daemon.waitForFinished();
        }
    }

    void wallpaperThroughThePortal_data() {
        QTest::addColumn<uint>("answer");
        QTest::newRow("set") << 0u;
        QTest::newRow("refused") << 1u;
    }
    void wallpaperThroughThePortal() {
        QFETCH(uint, answer);
        const QString old = writeBitmap(QStringLiteral("Orvane.bmp"));
        const QString shown = writeBitmap(QStringLiteral("Orvane2.bmp"));
        portal->answer = answer;
        QCOMPARE(platform::SetDesktopWallpaper(shown), answer == 0);

        const PortalCall call = portal->calls().last();
        QCOMPARE(call.interface, QStringLiteral("org.freedesktop.portal.Wallpaper"));
        QCOMPARE(call.member, QStringLiteral("SetWallpaperFile"));
        QCOMPARE(call.fileStart, QByteArray("BM"));
        QCOMPARE(call.options.value("set-on").toString(), QStringLiteral("background"));
        QVERIFY(!call.options.value("handle_token").toString().isEmpty());
        // The picture shown before is no longer needed, unless the new one was refused.
        QCOMPARE(QFile::exists(old), answer != 0);
        QVERIFY(QFile::exists(shown));
    }

    void openWithAsksThePortalsChooser() {
        const int before = static_cast<int>(portal->calls().size());
        platform::OpenWithChooser(writeBitmap(QStringLiteral("it's a picture.bmp")));
        QTRY_COMPARE(static_cast<int>(portal->calls().size()), before + 1);
        const PortalCall call = portal->calls().last();
        QCOMPARE(call.interface, QStringLiteral("org.freedesktop.portal.OpenURI"));
        QCOMPARE(call.member, QStringLiteral("OpenFile"));
        QCOMPARE(call.options.value("ask").toBool(), true);
        QCOMPARE(call.fileStart, QByteArray("BM"));
        QTest::qWait(100);
        QVERIFY(!openChooser());
    }

    // Without a portal: the wallpaper falls back on the desktop's own way (none known here), and
    // Open With on the program's own chooser.
    void withoutAPortal() {
        QDBusConnection portalBus(QStringLiteral("portal"));
        QVERIFY(portalBus.unregisterService(PortalService));
        QVERIFY(!platform::SetDesktopWallpaper(writeBitmap(QStringLiteral("Orvane.bmp"))));
        platform::OpenWithChooser(writeBitmap(QStringLiteral("b.bmp")));
        QTRY_VERIFY(openChooser());
        openChooser()->close();
        QVERIFY(portalBus.registerService(PortalService));
    }
};

int main(int argc, char *argv[]) {
    // The program's session bus is the private one started by the test.
    QTemporaryDir busFolder;
    busSocket = busFolder.filePath(QStringLiteral("bus"));
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + busSocket).toUtf8());
    QApplication app(argc, argv);
    TestWallpaperPortal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wallpaper_portal.moc"
