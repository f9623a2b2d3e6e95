// The dialogs and the desktop commands through the real windows: Save (the name it proposes, the
// folder it saves into, the bitmap, the failures), the wallpaper and Open With against recording
// stand-ins and against a stand-in portal on a private session bus, the About box, and the roles
// a screen reader is told.

#include "app/globals.h"
#include "dialogs/form3.h"
#include "dialogs/form5.h"
#include "mainwindow/form1.h"
#include "platform/desktop/desktop.h"
#include "platform/desktop/services.h"
#include "platform/files/files.h"
#include "platform/imaging/picture.h"
#include "platform/runtime/accessibility.h"
#include "support/rootless.h"
#include "support/testsupport.h"
#include "viewer/form2.h"

#include <QAccessible>
#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QDateTime>
#include <QDialog>
#include <QProcess>
#include <QSessionManager>
#include <QTest>
#include <QThread>

namespace {

const QString PortalPath = "/org/freedesktop/portal/desktop";
QString busSocket;

// Answers as the desktop portal does: the Request's path, then its Response with `answer`. Each
// call is kept as its interface and method, the first bytes read through the descriptor handed
// over and its options.
class FakePortal : public QDBusVirtualObject {
  public:
    std::atomic<uint> answer{0};
    QStringList calls; // the test's thread only
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &call, const QDBusConnection &bus) override {
        const auto options = qdbus_cast<QVariantMap>(call.arguments().value(2));
        QFile file;
        file.open(call.arguments().value(1).value<QDBusUnixFileDescriptor>().fileDescriptor(),
                  QIODevice::ReadOnly);
        QStringList kept{call.interface() + "." + call.member(), file.read(2).toHex()};
        for (const auto &[key, value] : options.asKeyValueRange())
            if (key != "handle_token")
                kept << key + "=" + value.toString();
        QMetaObject::invokeMethod(qApp, [this, kept] { calls << kept.join(' '); });
        const QString request = PortalPath + "/request/" + call.service().mid(1).replace('.', '_') +
                                "/" + options["handle_token"].toString();
        bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        return bus.send(
            QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response")
            << uint(answer) << QVariantMap());
    }
};

QByteArray Contents(const QString &file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QSize BitmapSize(const QString &file) {
    return Contents(file).startsWith("BM") ? QImage(file).size() : QSize();
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
    std::unique_ptr<TempCd> cd;
    QString out;
    QStringList wallpaperCalls, openedWith;
    bool desktopAccepts = true;
    QProcess daemon;
    FakePortal portal;
    QThread portalThread;

  private slots:
    void initTestCase() {
        platform::InstallAccessibility();
        // The address is printed once the bus listens; its socket file shows a moment before.
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address",
                                     "--address=unix:path=" + busSocket});
        if (!daemon.waitForStarted())
            return; // the portal's test skips
        QVERIFY(daemon.waitForReadyRead(30000));
        QDBusConnection bus = QDBusConnection::connectToBus("unix:path=" + busSocket, "portal");
        portal.moveToThread(&portalThread);
        portalThread.start();
        QVERIFY(bus.registerVirtualObject(PortalPath, &portal) &&
                bus.registerService("org.freedesktop.portal.Desktop"));
        qputenv("XDG_CURRENT_DESKTOP", "");
    }
    void cleanupTestCase() {
        ResetProgram();
        portalThread.quit();
        portalThread.wait();
        daemon.kill();
        daemon.waitForFinished();
    }
    void init() {
        ResetProgram();
        cd.reset(); // back in the folder the test started in first
        cd = std::make_unique<TempCd>();
        cd->mkdir("out/sub");
        out = cd->path("out");
        qputenv("XDG_DATA_HOME", cd->path("data").toUtf8());
        platform::services().openWith = [this](const QString &path) { openedWith << path; };
        platform::services().setWallpaper = [this](const QString &path) {
            wallpaperCalls << path;
            return desktopAccepts;
        };
    }

    // From the main window at the natural size of the picture it previews, into the opened folder
    // (not the highlighted one), ".bmp" always appended, by a new file renamed into place in the
    // letter case given; a failed save says so and stays open, a folder that takes no new file
    // keeps its file whole, and a close writes nothing and selects the main window's row again.
    // From the viewer, its own picture.
    void save() {
        cd->writePicture("images/Beach.jpg", 640, 480, "JPG");
        cd->writePicture("images/tall.jpg", 30, 50);
        for (const char *old : {"out/Beach.bmp", "out/PHOTO.BMP.BMP"})
            cd->writeFile(old, "old picture");
        Form1 &main = Instance<Form1>();
        main.List1->SetSelected(RowOf(main, "tall.jpg"));
        g.CurrentIndex = RowOf(main, "Beach.jpg") + 1;
        platform::ActivateForm(&main);
        ShowReads();
        const auto save = [] { Instance<Form1>().Command2_Click(); };
        bool greyed = false;
        QVERIFY(WhileModal<Form5>(save, [&](Form5 &form) {
            QCOMPARE(platform::NativePath(form.File1->Path()), cd->path()); // where the program is
            greyed = !main.Command1->isEnabled();
            form.Drive1->setCurrentIndex(0);
            form.Drive1_Change();
            QCOMPARE(form.Dir1->Path() + form.File1->Path(), "\\\\");
            QVERIFY(form.Dir1->SetPath(out));
            QFile::setPermissions(out, QFile::ReadOwner | QFile::ExeOwner);
            const WithoutFileOverride rootless;
            QVERIFY(rootless.ok());
            for (const char *name : {"Beach", ""}) {
                QCOMPARE(form.Text1->text(), name); // the first proposed by the dialog
                form.Command1_Click();
                ShowReads();
                QVERIFY(IsLoaded<Form5>() && &Instance<Form5>() == &form);
                form.Text1->clear();
            }
            form.close();
        }));
        QVERIFY(greyed && main.Command1->isEnabled());
        QCOMPARE(main.List1->ListIndex(), RowOf(main, "Beach.jpg"));
        QFile::setPermissions(out, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ShowReads();
        QVERIFY(WhileModal<Form5>(save, [&](Form5 &form) {
            for (const char *folder : {"out", "sub"}) {
                form.Dir1->setCurrentItem(
                    form.Dir1->findItems(folder, Qt::MatchExactly | Qt::MatchRecursive).value(0));
                if (*folder == 'o') // opened; the other only highlighted
                    QTest::keyClick(form.Dir1, Qt::Key_Return);
            }
            QCOMPARE(platform::NativePath(form.File1->Path()), out);
            form.Text1->setText("photo.bmp");
            form.Command1->click();
            ShowReads();
        }));
        QCOMPARE(BitmapSize(out + "/photo.bmp.bmp"), QSize(640, 480));
        g.CurrentIndex = RowOf(main, "tall.jpg") + 1;
        Instance<Form2>();
        ShowReads();
        g.ActiveWindow = 2;
        QVERIFY(WhileModal<Form5>([] { Instance<Form2>().mnuOptionsSave_Click(); },
                                  [&](Form5 &form) {
                                      QCOMPARE(form.Text1->text(), "tall");
                                      form.Dir1->SetPath(out);
                                      form.Command1_Click();
                                      ShowReads();
                                  }));
        QCOMPARE(BitmapSize(out + "/tall.bmp"), QSize(30, 50));
        // A logout while it is open unloads the viewer under it; its close then goes back to none.
        platform::ActivateForm(&Instance<Form2>());
        ShowReads();
        QVERIFY(WhileModal<Form5>(
            [] { Instance<Form2>().mnuOptionsSave_Click(); },
            [](Form5 &form) {
                emit qApp->commitDataRequest(*qApp->findChild<QSessionManager *>());
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QVERIFY(!IsLoaded<Form2>());
                form.close();
            }));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"Beach.bmp", "photo.bmp.bmp", "PHOTO.BMP.BMP", "tall.bmp"}));
        for (const char *old : {"/Beach.bmp", "/PHOTO.BMP.BMP"})
            QCOMPARE(Contents(out + old), "old picture");
        QCOMPARE(RecordedMessages(),
                 (QStringList{"Sorry, the image could not be saved", "Please enter a file name"}));
    }

    // At the picture's natural size, from the main window and from the viewer, each time under the
    // name the desktop is not showing; nothing to write, no data folder or a refusal say so; Cancel
    // changes nothing.
    void wallpaper() {
        Form1 &form = Instance<Form1>();
        Form2 &viewer = Instance<Form2>();
        platform::ActivateForm(&form);
        ShowReads();
        bool greyed = false;
        int answer = platform::vbOK;
        platform::services().msgBox = [&](const QString &prompt, int, const QString &) {
            RecordedMessages() << prompt;
            greyed = !form.Command1->isEnabled() && !form.Command5->isEnabled();
            return answer;
        };
        form.Command5_Click(); // nothing to write yet
        ShowReads();
        viewer.mnuOptionsWallpaper_Click();
        ShowReads();
        form.Picture5 =
            *platform::LoadPictureFile(cd->writePicture("Sunset.jpg", 800, 600), QSize(120, 90));
        g.ImageTitle = "Animals\\Sunset";
        form.Command5_Click();
        ShowReads();
        QVERIFY(greyed && form.Command5->isEnabled());
        viewer.Picture1 =
            *platform::LoadPictureFile(cd->writePicture("dog.jpg", 1600, 400), QSize(64, 64));
        g.ImageTitle = "Animals\\dog";
        viewer.mnuOptionsWallpaper_Click();
        ShowReads();
        QCOMPARE(RecordedMessages().mid(4),
                 (QStringList{"Create wallpaper from 'Animals\\Sunset' image?",
                              "Create desktop wallpaper from 'dog' image?"}));
        const QString folder = cd->path("data/orvane/");
        const QStringList files{folder + "Orvane.bmp", folder + "Orvane2.bmp"};
        QCOMPARE(wallpaperCalls, files);
        QCOMPARE(BitmapSize(files[0]), QSize(800, 600));
        QCOMPARE(BitmapSize(files[1]), QSize(1600, 400));
        // Both names are left only by a refused set, which wrote the newer: the older is on show.
        desktopAccepts = false;
        for (const auto &[older, ago] : {std::pair{files[0], 60}, {files[1], 120}}) {
            QFile file(older);
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(QDateTime::currentDateTime().addSecs(-ago),
                                     QFileDevice::FileModificationTime));
            form.Command5_Click();
            ShowReads();
            QCOMPARE(wallpaperCalls.last(), files[older == files[0]]);
        }
        cd->writeFile("file", "x"); // where the data folder would be: none can be made under it
        qputenv("XDG_DATA_HOME", cd->path("file").toUtf8());
        form.Command5_Click();
        answer = platform::vbCancel;
        viewer.mnuOptionsWallpaper_Click();
        form.Command5_Click();
        ShowReads();
        QCOMPARE(wallpaperCalls.size(), 4);
        QCOMPARE(RecordedMessages().count("Sorry, the wallpaper could not be set"), 5);
    }

    // The start folder (by default the one the program started in) and the entry, found on disk
    // in any letter case; nothing for an index outside the catalogue.
    void openWithPath() {
        cd->writePicture("disk/IMAGES/ANIMALS/CAT.JPG", 10, 10, "JPG");
        g.ImageArray[7] = "animals\\cat.jpg";
        for (const auto &[start, index] :
             {std::pair{cd->path("disk"), 7}, {"", 7}, {"/cd", -1}, {"/cd", 10001}}) {
            g.AppPath = start;
            g.CurrentIndex = index;
            Instance<Form2>().mnuOptionsOpen_Click();
            ShowReads();
        }
        QCOMPARE(openedWith, (QStringList{cd->path("disk/IMAGES/ANIMALS/CAT.JPG"),
                                          platform::StartFolder() + "/images/animals/cat.jpg"}));
    }

    // What the portal is sent and how its answer is taken; without it, the desktop's own way for
    // the wallpaper and the program's own chooser for Open With.
    void desktopPortal() {
        if (!portalThread.isRunning())
            QSKIP("dbus-daemon is not installed");
        for (uint answer : {0u, 1u}) {
            const QString old = cd->writePicture("Orvane.bmp", 8, 8, "BMP");
            portal.answer = answer;
            QCOMPARE(platform::SetDesktopWallpaper(cd->writePicture("Orvane2.bmp", 8, 8, "BMP")),
                     !answer);
            // The picture shown before is no longer needed, unless the new one was refused.
            QCOMPARE(QFile::exists(old), answer != 0);
            QTRY_COMPARE(portal.calls.value(int(answer)),
                         "org.freedesktop.portal.Wallpaper.SetWallpaperFile 424d set-on=background "
                         "show-preview=false");
        }
        // Once the portal's chooser, another program's window, has answered, the keyboard is back
        // with the window it was opened from, and the program's own chooser stays away.
        Form1 &main = Instance<Form1>();
        platform::ActivateForm(&main);
        platform::OpenWithChooser(cd->writePicture("it's a picture.jpg", 8, 8));
        QWidget chooser;
        platform::ActivateForm(&chooser);
        QTRY_COMPARE(portal.calls.value(2),
                     "org.freedesktop.portal.OpenURI.OpenFile ffd8 ask=true");
        QTRY_COMPARE(QApplication::activeWindow(), &main);
        QVERIFY(QDBusConnection("portal").unregisterService("org.freedesktop.portal.Desktop"));
        // Nor a desktop's own way without its tools: a failure, never reported as success.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", cd->path("bin").toUtf8());
        for (const char *desktop : {"GNOME", "KDE", "XFCE", ""}) {
            qputenv("XDG_CURRENT_DESKTOP", desktop);
            QVERIFY2(!platform::SetDesktopWallpaper(cd->writePicture("Orvane.bmp", 8, 8)), desktop);
        }
        qputenv("PATH", path);
        platform::OpenWithChooser(cd->writePicture("b.jpg", 8, 8));
        QTRY_VERIFY(qobject_cast<QDialog *>(QApplication::activeWindow()));
        QApplication::activeWindow()->close();
    }

    // Modeless; the maker's label only brings an open one forward. A click with any button on any
    // part closes it. The roles of the controls the platform draws itself.
    void aboutBoxAndRoles() {
        Form1 &main = Instance<Form1>();
        QCOMPARE(QAccessible::queryAccessibleInterface(main.Image1)->role(), QAccessible::Graphic);
        QCOMPARE(QAccessible::queryAccessibleInterface(main.Picture1)->role(), QAccessible::Pane);
        platform::ActivateForm(&main);
        main.Command4->setFocus();
        main.Label1_Click();
        QPointer<Form3> form(&Instance<Form3>());
        QVERIFY(form->isVisible() && !form->isModal() && main.isEnabled());
        main.Label3_Click();
        QCOMPARE(&Instance<Form3>(), form.data());
        Unload<Form3>();
        platform::ActivateForm(&main); // as the window manager does
        QTRY_COMPARE(QApplication::focusWidget(), main.List1);
        for (QWidget *label : {main.Label1, main.Label3}) {
            QTest::mouseClick(label, Qt::RightButton);
            QVERIFY2(!IsLoaded<Form3>(), "the main window's labels take the left button only");
        }
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
            for (int part = 0; part < 6; ++part) {
                main.Label1_Click();
                Form3 &about = Instance<Form3>();
                QWidget *target =
                    QList<QWidget *>{&about,       about.Frame1,   about.Label1,
                                     about.Label2, about.Picture1, about.Image1}[part];
                // The background and the frame are clicked where no other control lies.
                const QPoint where = part < 2 ? QPoint(1 + 4 * part, 60) : QPoint(3, 3);
                QVERIFY(!target->childAt(where));
                QTest::mouseClick(target, button, {}, where);
                QVERIFY2(!IsLoaded<Form3>(), qPrintable(QString::number(part)));
            }
    }
};

int main(int argc, char *argv[]) {
    // The program's session bus is the private one started by the test.
    QTemporaryDir busFolder;
    busSocket = busFolder.filePath("bus");
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + busSocket).toUtf8());
    QApplication app(argc, argv);
    TestDialogs test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dialogs.moc"
