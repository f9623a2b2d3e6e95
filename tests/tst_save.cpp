// The save dialog end to end: the name it proposes, the folder it saves into, the bitmap it
// writes, and what happens when the save cannot be done.

#include "support/testsupport.h"

#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/form5.h"
#include "dialogs/save_rules.h"
#include "mainwindow/form1.h"
#include "platform/files/files.h"
#include "platform/runtime/folderlists.h"
#include "platform/imaging/picture.h"
#include "platform/desktop/services.h"
#include "viewer/form2.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <functional>
#include <unistd.h>

namespace {

// Runs `work` on the dialog while `open` holds it modal. Should `work` leave it open, it is
// cancelled, so a failing test cannot hang.
void WithDialog(const std::function<void()> &open, const std::function<void(Form5 &)> &work) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = IsLoaded<Form5>();
        if (ran)
            work(Instance<Form5>());
        if (IsLoaded<Form5>())
            Instance<Form5>().Command2_Click();
    });
    open();
    QVERIFY(ran);
}

QSize BitmapSize(const QString &file) {
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    return reader.format() == "bmp" ? reader.read().size() : QSize();
}

// The length a bitmap's own header declares.
qint64 DeclaredLength(const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray header = f.read(6);
    return header.size() == 6 ? qFromLittleEndian<quint32>(header.constData() + 2) : -1;
}

// Highlights a folder in the folder list without opening it.
void Highlight(Form5 &form, const QString &folder) {
    const auto found = form.Dir1->findItems(folder, Qt::MatchExactly | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);
    form.Dir1->setCurrentItem(found.first());
}

} // namespace

class TestSave : public QObject {
    Q_OBJECT

    std::unique_ptr<TempCd> cd;
    QString out;

    // A CD with a big photo and a small GIF, the main window loaded on it, the photo previewed
    // from a reduced decode.
    Form1 &startMainWindow() {
        cd->writePicture(QStringLiteral("images/Beach.jpg"), 640, 480, "JPG");
        cd->writeGif(QStringLiteral("images/tall.gif"), 30, 50);
        Form1 &form = Instance<Form1>();
        const int beach = form.List1->List(0) == QLatin1String("Beach.jpg") ? 1 : 2;
        g.CurrentIndex = beach;
        form.Picture5 = *platform::LoadPictureFile(cd->path(QStringLiteral("images/Beach.jpg")),
                                                   QSize(120, 90));
        g.ActiveWindow = 1;
        return form;
    }

    // Opens the dialog with the main window's button, opens `out` in it, then runs `work`.
    void fromMainWindow(const std::function<void(Form5 &)> &work) {
        WithDialog([] { Instance<Form1>().Command2_Click(); },
                   [&](Form5 &form) {
                       QVERIFY(form.Dir1->SetPath(out));
                       work(form);
                   });
    }

  private slots:
    void init() {
        ResetProgram();
        cd = std::make_unique<TempCd>();
        cd->mkdir(QStringLiteral("out"));
        out = cd->path(QStringLiteral("out"));
    }
    void cleanup() {
        Unload<Form5>();
        ResetProgram();
        cd.reset();
    }

    void defaultName_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("name");
        QTest::newRow("upper case") << QString("SUNSET.JPG") << QString("SUNSET");
        QTest::newRow("only an extension") << QString(".jpg") << QString();
        QTest::newRow("shorter than four") << QString("a.b") << QString();
        QTest::newRow("no entry") << QString() << QString();
    }
    void defaultName() {
        QFETCH(QString, entry);
        QFETCH(QString, name);
        QCOMPARE(DefaultSaveName(entry), name);
    }

    void targetPathInARoot_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("target");
        QTest::newRow("drive root") << QString("C:\\") << QString("C:\\Beach.bmp");
        QTest::newRow("root") << QString("\\") << QString("\\Beach.bmp");
        QTest::newRow("disk root") << QString("/") << QString("/Beach.bmp");
    }
    void targetPathInARoot() {
        QFETCH(QString, folder);
        QFETCH(QString, target);
        QCOMPARE(SaveTargetPath(folder, QStringLiteral("Beach")), target);
    }

    void driveRoots() {
        const QStringList mounted{
            "/", "/proc", "/media/ann/USB STICK", "/boot/efi", "/run/media/ann/CAM", "/mnt/cdrom"};
        QCOMPARE(platform::DriveRoots(mounted, "/home/ann", "/"),
                 (QStringList{"/", "/home/ann", "/media/ann/USB STICK", "/run/media/ann/CAM",
                              "/mnt/cdrom"}));
        // The file system of the current folder is offered even when it is none of those.
        QCOMPARE(platform::DriveRoots({"/", "/tmp"}, "/root", "/tmp"),
                 (QStringList{"/", "/root", "/tmp"}));
    }

    void design() {
        startMainWindow();
        WithDialog([] { Instance<Form1>().Command2_Click(); },
                   [this](Form5 &form) {
                       QCOMPARE(QApplication::activeModalWidget(), &form);
                       QCOMPARE(form.Frame1->title(), QStringLiteral("Save Image"));
                       QCOMPARE(form.Command1->text(), QStringLiteral("&Save"));
                       QCOMPARE(form.Command2->text(), QStringLiteral("&Cancel"));
                       QCOMPARE(form.Label1->text(), QStringLiteral("Filename"));
                       QVERIFY(!form.windowIcon().isNull());
                       QVERIFY(form.File1->isHidden());
                       QCOMPARE(form.focusWidget(), form.Dir1);
                       // Both lists start at the current folder.
                       QCOMPARE(platform::NativePath(form.Dir1->Path()), cd->path());
                       QCOMPARE(form.File1->Path(), form.Dir1->Path());
                       QCOMPARE(form.Text1->text(), QStringLiteral("Beach"));
                   });
    }

    // Choosing a drive opens its root in the folder list, which the hidden file list follows.
    void choosingADriveOpensItsRoot() {
        WithDialog([] { ShowModal<Form5>(); },
                   [](Form5 &form) {
                       QCOMPARE(form.Drive1->itemData(0).toString(), QStringLiteral("/"));
                       form.Drive1->setCurrentIndex(0);
                       form.Drive1_Change();
                       QCOMPARE(form.Dir1->Path(), QStringLiteral("\\"));
                       QCOMPARE(form.File1->Path(), QStringLiteral("\\"));
                   });
    }

    void savesTheMainWindowsPictureAtNaturalSize() {
        Form1 &main = startMainWindow();
        bool greyedMeanwhile = false;
        fromMainWindow([&](Form5 &form) {
            greyedMeanwhile = !main.Command1->isEnabled() && !main.Command2->isEnabled();
            form.Command1->click();
            QVERIFY(!IsLoaded<Form5>() || !Instance<Form5>().isVisible());
        });
        QVERIFY(greyedMeanwhile);
        QVERIFY(main.Command1->isEnabled() && main.Command5->isEnabled());
        QCOMPARE(BitmapSize(out + "/Beach.bmp"), QSize(640, 480));
        QVERIFY(RecordedMessages().isEmpty());
    }

    void appendsBmpAndReplacesAnExistingFileWhole() {
        startMainWindow();
        const QString target = out + "/photo.bmp.bmp";
        cd->writeFile(QStringLiteral("out/photo.bmp.bmp"), QByteArray(3'000'000, 'x'));
        fromMainWindow([](Form5 &form) {
            form.Text1->setText(QStringLiteral("photo.bmp"));
            form.Command1_Click();
        });
        QCOMPARE(BitmapSize(target), QSize(640, 480));
        QCOMPARE(QFileInfo(target).size(), DeclaredLength(target));
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{"photo.bmp.bmp"});
    }

    void savesIntoTheOpenedFolderNotTheHighlightedOne() {
        startMainWindow();
        cd->mkdir(QStringLiteral("out/sub"));
        fromMainWindow([](Form5 &form) {
            Highlight(form, QStringLiteral("sub"));
            form.Command1_Click();
        });
        QVERIFY(QFile::exists(out + "/Beach.bmp"));
        QVERIFY(!QFile::exists(out + "/sub/Beach.bmp"));

        fromMainWindow([this](Form5 &form) {
            Highlight(form, QStringLiteral("sub"));
            form.Dir1->setFocus();
            QTest::keyClick(form.Dir1, Qt::Key_Return);
            QCOMPARE(platform::NativePath(form.File1->Path()), out + "/sub");
            form.Text1->setText(QStringLiteral("Second"));
            form.Command1_Click();
        });
        QVERIFY(QFile::exists(out + "/sub/Second.bmp"));
    }

    void failedSaveSaysSoAndStaysOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message");
        QTest::newRow("under a file")
            << "notes.txt/pic" << false << "Sorry, the image could not be saved";
        QTest::newRow("read-only folder")
            << "Beach" << true << "Sorry, the image could not be saved";
        QTest::newRow("empty name") << "" << false << "Please enter a file name";
    }
    void failedSaveSaysSoAndStaysOpen() {
        QFETCH(QString, name);
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        if (readOnly && ::geteuid() == 0)
            QSKIP("permissions do not hold for root");
        startMainWindow();
        cd->writeFile(QStringLiteral("out/notes.txt"), "text");
        if (readOnly)
            QFile::setPermissions(out, QFile::ReadOwner | QFile::ExeOwner);
        bool stayedOpen = false;
        fromMainWindow([&](Form5 &form) {
            form.Text1->setText(name);
            form.Command1_Click();
            stayedOpen = IsLoaded<Form5>() && &Instance<Form5>() == &form;
        });
        QFile::setPermissions(out, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(stayedOpen);
        QCOMPARE(RecordedMessages().size(), 1);
        QCOMPARE(RecordedMessages().first().prompt, message);
        QCOMPARE(RecordedMessages().first().style, platform::vbOKOnly);
        QCOMPARE(RecordedMessages().first().title, QStringLiteral("orvane"));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"notes.txt"});
    }

    void cancelAndCloseWriteNothing() {
        Form1 &main = startMainWindow();
        fromMainWindow([](Form5 &form) { form.Command2->click(); });
        fromMainWindow([](Form5 &form) { form.close(); });
        QVERIFY(!IsLoaded<Form5>());
        QVERIFY(QDir(out).isEmpty());
        QVERIFY(main.Command2->isEnabled());
    }

    void closingReselectsTheMainWindowsRow() {
        Form1 &main = startMainWindow();
        platform::ActivateForm(&main);
        main.List1->SetSelected(0);
        g.CurrentIndex = 2;
        WithDialog([&main] { main.Command2_Click(); }, [](Form5 &form) { form.Command2_Click(); });
        QCOMPARE(main.List1->ListIndex(), 1);
    }

    void savesTheViewersPictureWhenOpenedFromTheViewer() {
        startMainWindow();
        // The viewer on the small GIF; the main window keeps previewing the photo.
        g.CurrentIndex = Instance<Form1>().List1->List(0) == QLatin1String("tall.gif") ? 1 : 2;
        Form2 &viewer = Instance<Form2>();
        viewer.Picture1 = *platform::LoadPictureFile(cd->path(QStringLiteral("images/tall.gif")));
        g.ActiveWindow = 2;
        WithDialog([&viewer] { viewer.mnuOptionsSave_Click(); },
                   [&](Form5 &form) {
                       QCOMPARE(form.Text1->text(), QStringLiteral("tall"));
                       form.Dir1->SetPath(out);
                       form.Command1_Click();
                   });
        QCOMPARE(BitmapSize(out + "/tall.bmp"), QSize(30, 50));
    }
};

QTEST_MAIN(TestSave)
#include "tst_save.moc"
