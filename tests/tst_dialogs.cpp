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
#include <QImageReader>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

namespace {

const QString PortalService = "org.freedesktop.portal.Desktop";
const QString PortalPath = "/org/freedesktop/portal/desktop";
QString busSocket;

// Answers the way the desktop portal does: a Request path at once, and for the wallpaper a
// Response signal on it a little later. A call is kept as its method, the first bytes read
// through the descriptor and the options looked at.
class FakePortal : public QDBusVirtualObject {
  public:
    explicit FakePortal(const QDBusConnection &bus) : bus_(bus) {}
    std::atomic<uint> answer{0};
    QStringList calls() {
        QMutexLocker lock(&mutex_);
        return calls_;
    }
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override {
        const auto options = qdbus_cast<QVariantMap>(message.arguments().value(2));
        const auto fd = message.arguments().value(1).value<QDBusUnixFileDescriptor>();
        QFile file;
        const bool read = fd.isValid() && file.open(fd.fileDescriptor(), QIODevice::ReadOnly);
        {
            QMutexLocker lock(&mutex_);
            calls_ << QStringList{message.interface() + "." + message.member(),
                                  read ? file.read(2).toHex() : "", options["set-on"].toString(),
                                  options["ask"].toString()}
                          .join(' ');
        }
        const QString request = PortalPath + "/request/" +
                                message.service().mid(1).replace('.', '_') + "/" +
                                options.value("handle_token").toString();
        bus_.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        if (message.member() == "SetWallpaperFile")
            QTimer::singleShot(200, this, [this, request, code = uint(answer)] {
                QDBusMessage response = QDBusMessage::createSignal(
                    request, "org.freedesktop.portal.Request", "Response");
                bus_.send(response << code << QVariantMap());
            });
        return true;
    }

  private:
    QDBusConnection bus_;
    QMutex mutex_;
    QStringList calls_;
};

QSize BitmapSize(const QString &file) {
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    return reader.format() == "bmp" ? reader.read().size() : QSize();
}

QWidget *OpenChooser() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == "Open With")
            return w;
    return nullptr;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
    std::unique_ptr<TempCd> cd;
    QString out, wallpaperFolder;
    QStringList wallpaperCalls, openedWith;
    bool desktopAccepts = true;
    QProcess daemon;
    QThread portalThread;
    FakePortal *portal = nullptr;

    // A CD with a photo and a small GIF, the main window previewing the photo.
    Form1 &startMainWindow() {
        cd->writePicture("images/Beach.jpg", 640, 480, "JPG");
        cd->writeFile("images/tall.gif", MakeGif(30, 50));
        Form1 &form = Instance<Form1>();
        form.List1->SetSelected(RowOf(form, "Beach.jpg"));
        platform::ActivateForm(&form);
        return form;
    }
    // The save dialog from the main window's button, with `out` opened in it.
    bool saveFromMainWindow(const std::function<void(Form5 &)> &work) {
        return WhileModal<Form5>([] { Instance<Form1>().Command2_Click(); },
                                 [&](Form5 &form) {
                                     QVERIFY(form.Dir1->SetPath(out));
                                     work(form);
                                 });
    }
    QString picture(const char *name, int width, int height, const char *format = "JPG") {
        cd->writePicture(name, width, height, format);
        return cd->path(name);
    }

  private slots:
    void initTestCase() {
        platform::InstallAccessibility();
        const QString program = QStandardPaths::findExecutable("dbus-daemon");
        if (program.isEmpty())
            return; // the portal's tests skip
        daemon.start(program,
                     {"--session", "--nofork", "--nopidfile", "--address=unix:path=" + busSocket});
        QVERIFY(daemon.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(busSocket), 5000);
        QDBusConnection portalBus =
            QDBusConnection::connectToBus("unix:path=" + busSocket, "portal");
        portal = new FakePortal(portalBus);
        portal->moveToThread(&portalThread);
        portalThread.start();
        QVERIFY(portalBus.registerVirtualObject(PortalPath, portal));
        QVERIFY(portalBus.registerService(PortalService));
        qputenv("XDG_CURRENT_DESKTOP", "");
    }
    void cleanupTestCase() {
        if (!portal)
            return;
        QDBusConnection("portal").unregisterObject(PortalPath);
        QDBusConnection::disconnectFromBus("portal");
        portalThread.quit();
        portalThread.wait();
        delete portal;
        daemon.kill();
        daemon.waitForFinished();
    }
    void init() {
        ResetProgram();
        cd = std::make_unique<TempCd>();
        cd->mkdir("out");
        out = cd->path("out");
        qputenv("XDG_DATA_HOME", cd->path("data").toUtf8());
        wallpaperFolder = cd->path("data/orvane");
        wallpaperCalls.clear();
        openedWith.clear();
        desktopAccepts = true;
        platform::services().openWith = [this](const QString &path) { openedWith << path; };
        platform::services().setWallpaper = [this](const QString &path) {
            wallpaperCalls << path;
            return desktopAccepts;
        };
    }
    void cleanup() {
        ResetProgram();
        cd.reset();
    }

    // At its natural size from the reduced preview, into the opened folder (not the highlighted
    // one), ".bmp" always appended, by a new file renamed into place in the letter case typed.
    void savesTheMainWindowsPicture() {
        Form1 &main = startMainWindow();
        cd->writeFile("out/photo.bmp.bmp", QByteArray(3'000'000, 'x'));
        cd->writeFile("out/BEACH.BMP", "old picture");
        cd->mkdir("out/sub");
        const auto highlight = [](Form5 &form) {
            const auto found = form.Dir1->findItems("sub", Qt::MatchExactly | Qt::MatchRecursive);
            QCOMPARE(found.size(), 1);
            form.Dir1->setCurrentItem(found.first());
        };
        bool greyed = false;
        QVERIFY(WhileModal<Form5>([] { Instance<Form1>().Command2_Click(); },
                                  [&](Form5 &form) {
                                      // Both lists start at the current folder.
                                      QCOMPARE(platform::NativePath(form.Dir1->Path()), cd->path());
                                      QCOMPARE(form.File1->Path(), form.Dir1->Path());
                                      QCOMPARE(form.focusWidget(), form.Dir1);
                                      greyed = !main.Command1->isEnabled();
                                      QVERIFY(form.Dir1->SetPath(out));
                                      highlight(form);
                                      form.Text1->setText("photo.bmp");
                                      form.Command1->click();
                                  }));
        QVERIFY(greyed && main.Command1->isEnabled());
        QCOMPARE(BitmapSize(out + "/photo.bmp.bmp"), QSize(640, 480));
        QVERIFY(QFileInfo(out + "/photo.bmp.bmp").size() < 3'000'000); // not written over in place
        QVERIFY(saveFromMainWindow([](Form5 &form) {
            QCOMPARE(form.Text1->text(), "Beach");
            form.Command1_Click();
        }));
        QVERIFY(saveFromMainWindow([&](Form5 &form) {
            highlight(form);
            form.Dir1->setFocus();
            QTest::keyClick(form.Dir1, Qt::Key_Return);
            QCOMPARE(platform::NativePath(form.File1->Path()), out + "/sub");
            form.Text1->setText("Second");
            form.Command1_Click();
        }));
        QCOMPARE(QDir(out + "/sub").entryList(QDir::Files), QStringList{"Second.bmp"});
        QVERIFY(saveFromMainWindow([](Form5 &form) {
            QCOMPARE(form.Drive1->itemData(0).toString(), "/");
            form.Drive1->setCurrentIndex(0);
            form.Drive1_Change();
            QCOMPARE(form.Dir1->Path() + form.File1->Path(), "\\\\");
            form.Command2_Click();
        }));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"BEACH.BMP", "Beach.bmp", "photo.bmp.bmp"}));
        QFile old(out + "/BEACH.BMP");
        QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old picture");
        QVERIFY(RecordedMessages().isEmpty());
    }

    // A failed save says so and stays open; a folder that takes no new file keeps its file
    // whole; Cancel or a close write nothing, and the main window's row is selected again.
    void failedSaveStaysOpenAndCancelWritesNothing() {
        Form1 &main = startMainWindow();
        cd->writeFile("out/notes.txt", "text");
        cd->writeFile("out/Beach.bmp", "old picture");
        main.List1->SetSelected(RowOf(main, "tall.gif"));
        g.CurrentIndex = RowOf(main, "Beach.jpg") + 1;
        QVERIFY(saveFromMainWindow([&](Form5 &form) {
            for (const char *name : {"notes.txt/pic", "", "Beach"}) {
                if (!*name)
                    QFile::setPermissions(out, QFile::ReadOwner | QFile::ExeOwner);
                form.Text1->setText(name);
                const WithoutFileOverride rootless;
                QVERIFY(rootless.ok());
                form.Command1_Click();
                QVERIFY(IsLoaded<Form5>() && &Instance<Form5>() == &form);
            }
            form.Command2->click();
        }));
        QFile::setPermissions(out, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(saveFromMainWindow([](Form5 &form) { form.close(); }));
        QCOMPARE(RecordedMessages(),
                 (QStringList{"Sorry, the image could not be saved", "Please enter a file name",
                              "Sorry, the image could not be saved"}));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"Beach.bmp", "notes.txt"}));
        QFile old(out + "/Beach.bmp");
        QVERIFY(old.open(QIODevice::ReadOnly) && old.readAll() == "old picture");
        QCOMPARE(main.List1->ListIndex(), RowOf(main, "Beach.jpg"));
        // From the viewer, its own picture.
        g.CurrentIndex = RowOf(main, "tall.gif") + 1;
        Form2 &viewer = Instance<Form2>();
        viewer.Picture1 = *platform::LoadPictureFile(cd->path("images/tall.gif"));
        g.ActiveWindow = 2;
        QVERIFY(WhileModal<Form5>([&viewer] { viewer.mnuOptionsSave_Click(); },
                                  [&](Form5 &form) {
                                      QCOMPARE(form.Text1->text(), "tall");
                                      form.Dir1->SetPath(out);
                                      form.Command1_Click();
                                  }));
        QCOMPARE(BitmapSize(out + "/tall.bmp"), QSize(30, 50));
    }

    // At the picture's natural size, from the main window and from the viewer, each time by a
    // name the desktop is not showing yet; Cancel changes nothing.
    void wallpaper() {
        Form1 &form = Instance<Form1>();
        platform::ActivateForm(&form);
        form.Picture5 = *platform::LoadPictureFile(picture("Sunset.jpg", 800, 600), QSize(120, 90));
        g.ImageTitle = "Animals\\Sunset";
        bool greyed = false;
        int answer = platform::vbOK, asked = 0;
        platform::services().msgBox = [&](const QString &prompt, int style, const QString &) {
            RecordedMessages() << prompt;
            greyed = !form.Command1->isEnabled() && !form.Command5->isEnabled();
            asked = style;
            return answer;
        };
        form.Command5_Click();
        QCOMPARE(asked, platform::vbOKCancel);
        QVERIFY(greyed && form.Command5->isEnabled());
        QCOMPARE(form.focusWidget(), form.List1);
        Form2 &viewer = Instance<Form2>();
        viewer.Picture1 = *platform::LoadPictureFile(picture("dog.jpg", 1600, 400), QSize(64, 64));
        g.ImageTitle = "Animals\\dog";
        viewer.mnuOptionsWallpaper_Click();
        QCOMPARE(RecordedMessages(), (QStringList{"Create wallpaper from 'Animals\\Sunset' image?",
                                                  "Create desktop wallpaper from 'dog' image?"}));
        const QStringList files{wallpaperFolder + "/Orvane.bmp", wallpaperFolder + "/Orvane2.bmp"};
        QCOMPARE(wallpaperCalls, files);
        QCOMPARE(BitmapSize(files[0]), QSize(800, 600));
        QCOMPARE(BitmapSize(files[1]), QSize(1600, 400));
        answer = platform::vbCancel;
        viewer.mnuOptionsWallpaper_Click();
        form.Command5_Click();
        QCOMPARE(wallpaperCalls, files);
    }

    // A set the desktop refused leaves both names; the newer one never showed, so it goes next.
    void wallpaperNameNotOnShow() {
        const auto write = [](const QString &path, int secondsAgo) {
            QFile file(path);
            return file.open(QIODevice::ReadWrite) &&
                   file.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                                    QFileDevice::FileModificationTime);
        };
        const QString first = platform::WallpaperFile().value_or("");
        QVERIFY(write(first, 0));
        const QString second = platform::WallpaperFile().value_or("");
        QVERIFY(second != first && write(second, 0));
        for (const auto &[older, newer] : {std::pair{first, second}, std::pair{second, first}}) {
            QVERIFY(write(older, 60) && write(newer, 0));
            QCOMPARE(platform::WallpaperFile().value_or(""), newer);
        }
    }

    // Nothing to write, no data folder, or the desktop refuses; only a written file is handed on.
    void wallpaperFailureSaysSo() {
        for (const auto &[fromViewer, folderBlocked, desktopRefuses] :
             {std::tuple{false, false, false},
              {true, false, false},
              {false, true, false},
              {false, false, true}}) {
            cleanup();
            init();
            desktopAccepts = !desktopRefuses;
            if (folderBlocked) {
                // A file where the data folder would be: no folder can be made under it.
                cd->writeFile("file", "x");
                qputenv("XDG_DATA_HOME", cd->path("file").toUtf8());
            }
            if (folderBlocked || desktopRefuses)
                Instance<Form1>().Picture5 = *platform::LoadPictureFile(picture("a.jpg", 40, 30));
            if (fromViewer)
                Instance<Form2>().mnuOptionsWallpaper_Click();
            else
                Instance<Form1>().Command5_Click();
            QCOMPARE(RecordedMessages().value(1), "Sorry, the wallpaper could not be set");
            QCOMPARE(wallpaperCalls.size(), desktopRefuses ? 1 : 0);
        }
    }

    // The start folder (by default the one the program started in) and the entry, found on disk
    // in any letter case; nothing for an index outside the catalogue.
    void openWithPath() {
        cd->writePicture("disk/IMAGES/ANIMALS/CAT.JPG", 10, 10, "JPG");
        g.ImageArray[7] = "animals\\cat.jpg";
        for (const auto &[start, index, path] :
             {std::tuple{QString("/"), 7, QString("/images/animals/cat.jpg")},
              {cd->path("disk"), 7, cd->path("disk/IMAGES/ANIMALS/CAT.JPG")},
              {"", 7, platform::StartFolder() + "/images/animals/cat.jpg"},
              {"/cd", -1, ""},
              {"/cd", 10001, ""}}) {
            openedWith.clear();
            g.AppPath = start;
            g.CurrentIndex = index;
            Instance<Form2>().mnuOptionsOpen_Click();
            QCOMPARE(openedWith, path.isEmpty() ? QStringList() : QStringList{path});
        }
    }

    // What the portal is sent and how its answer is taken; without it, the desktop's own way for
    // the wallpaper (none known here) and the program's own chooser for Open With.
    void desktopPortal() {
        if (!portal)
            QSKIP("dbus-daemon is not installed");
        for (uint answer : {0u, 1u}) {
            const QString old = picture("Orvane.bmp", 8, 8, "BMP");
            const QString shown = picture("Orvane2.bmp", 8, 8, "BMP");
            portal->answer = answer;
            QCOMPARE(platform::SetDesktopWallpaper(shown), answer == 0);
            QCOMPARE(portal->calls().last(),
                     "org.freedesktop.portal.Wallpaper.SetWallpaperFile 424d background ");
            // The picture shown before is no longer needed, unless the new one was refused.
            QCOMPARE(QFile::exists(old), answer != 0);
        }
        platform::OpenWithChooser(picture("it's a picture.jpg", 8, 8));
        QTRY_COMPARE(portal->calls().size(), 3);
        QCOMPARE(portal->calls().last(), "org.freedesktop.portal.OpenURI.OpenFile ffd8  true");
        QTest::qWait(100);
        QVERIFY(!OpenChooser());
        QDBusConnection portalBus("portal");
        QVERIFY(portalBus.unregisterService(PortalService));
        QVERIFY(!platform::SetDesktopWallpaper(picture("Orvane.bmp", 8, 8)));
        platform::OpenWithChooser(picture("b.jpg", 8, 8));
        QTRY_VERIFY(OpenChooser());
        OpenChooser()->close();
    }

    // Modeless, it closes by itself five seconds after it loads (the maker's label only brings
    // it forward), or at a click on any part.
    void aboutBox() {
        Instance<Form1>().Label1_Click();
        QPointer<Form3> form(&Instance<Form3>());
        QVERIFY(form->isVisible() && !form->isModal() && Instance<Form1>().isEnabled());
        QVERIFY(form->Timer1->remainingTime() > 4600);
        QTest::qWait(1000);
        Instance<Form1>().Label3_Click();
        QCOMPARE(&Instance<Form3>(), form.data());
        QVERIFY(form->Timer1->remainingTime() < 4600);
        QTRY_VERIFY_WITH_TIMEOUT(!IsLoaded<Form3>(), 4500);
        for (QWidget *label : {Instance<Form1>().Label1, Instance<Form1>().Label3}) {
            QTest::mouseClick(label, Qt::RightButton);
            QVERIFY2(!IsLoaded<Form3>(), "the main window's labels take the left button only");
        }
        for (int i = 0; i < 18; ++i) {
            const int part = i % 6;
            const Qt::MouseButton button =
                std::array{Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}[size_t(i / 6)];
            Instance<Form1>().Label1_Click();
            Form3 &about = Instance<Form3>();
            QWidget *target[] = {&about,       about.Frame1,   about.Label1,
                                 about.Label2, about.Picture1, about.Image1};
            // The background and the frame are clicked where no other control lies.
            const QPoint where = part == 0   ? QPoint(1, 60)
                                 : part == 1 ? QPoint(5, 60)
                                             : QPoint(3, 3);
            QVERIFY(!target[part]->childAt(where));
            QTest::mouseClick(target[part], button, {}, where);
            QVERIFY2(!IsLoaded<Form3>(), qPrintable(QString::number(i)));
        }
    }

    // The roles of the controls the platform draws itself (a modal window's, "dialog", is what
    // the real-window checks find the dialogs by).
    void screenReaderRoles() {
        Form1 &form = Instance<Form1>();
        QCOMPARE(QAccessible::queryAccessibleInterface(form.Image1)->role(), QAccessible::Graphic);
        QCOMPARE(QAccessible::queryAccessibleInterface(form.Picture1)->role(), QAccessible::Pane);
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
