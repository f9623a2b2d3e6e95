// Both windows' wallpaper commands against a recording desktop: the questions word for word, the
// file written, the call made, and nothing set after Cancel or a failed write. And the viewer's
// Open With item: the path it hands to a recording chooser.

#include "support/testsupport.h"

#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/desktop_rules.h"
#include "mainwindow/form1.h"
#include "platform/desktop/desktop.h"
#include "platform/files/files.h"
#include "platform/imaging/picture.h"
#include "platform/desktop/services.h"
#include "viewer/form2.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

class TestWallpaper : public QObject {
    Q_OBJECT

    std::unique_ptr<TempCd> cd;
    std::unique_ptr<QTemporaryDir> dataHome;
    QStringList wallpaperCalls;
    QStringList openedWith;
    bool desktopAccepts = true;
    QString wallpaperFolder;

    QString picture(const char *name, int width, int height) {
        cd->writePicture(QString::fromLatin1(name), width, height, "JPG");
        return cd->path(QString::fromLatin1(name));
    }

    static QSize bitmapSize(const QString &file) {
        QImageReader reader(file);
        reader.setDecideFormatFromContent(true);
        return reader.format() == "bmp" ? reader.read().size() : QSize();
    }

    void expectOneMessage(const QString &prompt, int style, const QString &title) {
        QCOMPARE(RecordedMessages().size(), 1);
        QCOMPARE(RecordedMessages().first().prompt, prompt);
        QCOMPARE(RecordedMessages().first().style, style);
        QCOMPARE(RecordedMessages().first().title, title);
    }

  private slots:
    void init() {
        ResetProgram();
        cd = std::make_unique<TempCd>();
        dataHome = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", dataHome->path().toUtf8());
        wallpaperFolder = dataHome->path() + QStringLiteral("/orvane");
        wallpaperCalls.clear();
        openedWith.clear();
        platform::services().openWith = [this](const QString &path) { openedWith.append(path); };
        desktopAccepts = true;
        platform::services().setWallpaper = [this](const QString &path) {
            wallpaperCalls.append(path);
            return desktopAccepts;
        };
    }
    void cleanup() {
        ResetProgram();
        cd.reset();
        dataHome.reset();
    }

    // The main window names the title as it stands; the viewer only what follows the last "\".
    void questions() {
        QCOMPARE(MainWallpaperQuestion(QStringLiteral("Animals\\dog")),
                 QStringLiteral("Create wallpaper from 'Animals\\dog' image?"));
        QCOMPARE(ViewerWallpaperQuestion(QStringLiteral("A\\b\\CAT")),
                 QStringLiteral("Create desktop wallpaper from 'CAT' image?"));
        QCOMPARE(MainWallpaperQuestion(QString()),
                 QStringLiteral("Create wallpaper from '' image?"));
        QCOMPARE(ViewerWallpaperQuestion(QString()),
                 QStringLiteral("Create desktop wallpaper from '' image?"));
    }

    void mainWindowOkWritesAndSets() {
        Form1 &form = Instance<Form1>();
        platform::ActivateForm(&form);
        form.Picture5 = *platform::LoadPictureFile(picture("Sunset.jpg", 800, 600), QSize(120, 90));
        g.ImageTitle = QStringLiteral("Sunset");
        bool greyed = false;
        platform::services().msgBox = [&](const QString &prompt, int style, const QString &title) {
            RecordedMessages().append({prompt, style, title});
            greyed = !form.Command1->isEnabled() && !form.Command5->isEnabled();
            return platform::vbOK;
        };
        form.Command5_Click();

        expectOneMessage("Create wallpaper from 'Sunset' image?", platform::vbOKCancel,
                         "Change Desktop Wallpaper");
        QVERIFY(greyed);
        QVERIFY(form.Command1->isEnabled() && form.Command5->isEnabled());
        QCOMPARE(form.focusWidget(), form.List1);
        const QString file = wallpaperFolder + QStringLiteral("/Orvane.bmp");
        QCOMPARE(wallpaperCalls, QStringList{file});
        QCOMPARE(bitmapSize(file), QSize(800, 600));
    }

    void viewerOkWritesAndSets() {
        Form2 &viewer = Instance<Form2>();
        viewer.Picture1 = *platform::LoadPictureFile(picture("dog.jpg", 1600, 400), QSize(64, 64));
        g.ImageTitle = QStringLiteral("Animals\\dog");
        viewer.mnuOptionsWallpaper_Click();

        expectOneMessage("Create desktop wallpaper from 'dog' image?", platform::vbOKCancel,
                         "Change desktop wallpaper");
        QCOMPARE(g.ImageTitle, QStringLiteral("Animals\\dog"));
        const QString file = wallpaperFolder + QStringLiteral("/Orvane.bmp");
        QCOMPARE(wallpaperCalls, QStringList{file});
        QCOMPARE(bitmapSize(file), QSize(1600, 400));
    }

    void cancelChangesNothing() {
        Form1 &form = Instance<Form1>();
        form.Picture5 = *platform::LoadPictureFile(picture("a.jpg", 40, 30));
        Form2 &viewer = Instance<Form2>();
        viewer.Picture1 = form.Picture5;
        SetMessageAnswer(platform::vbCancel);
        form.Command5_Click();
        viewer.mnuOptionsWallpaper_Click();
        QCOMPARE(RecordedMessages().size(), 2);
        QVERIFY(wallpaperCalls.isEmpty());
        QVERIFY(!QDir(wallpaperFolder).exists() || QDir(wallpaperFolder).isEmpty());
        QVERIFY(form.Command5->isEnabled());
    }

    void failureSaysSo_data() {
        QTest::addColumn<bool>("fromViewer");
        QTest::addColumn<bool>("folderBlocked");
        QTest::addColumn<bool>("desktopRefuses");
        QTest::newRow("main, nothing previewed") << false << false << false;
        QTest::newRow("viewer, nothing loaded") << true << false << false;
        QTest::newRow("main, data folder unusable") << false << true << false;
        QTest::newRow("desktop refuses") << false << false << true;
    }
    void failureSaysSo() {
        QFETCH(bool, fromViewer);
        QFETCH(bool, folderBlocked);
        QFETCH(bool, desktopRefuses);
        desktopAccepts = !desktopRefuses;
        if (folderBlocked) {
            // A file where the data folder would be: no folder can be made under it.
            QFile blocker(dataHome->path() + QStringLiteral("/file"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            qputenv("XDG_DATA_HOME", blocker.fileName().toUtf8());
        }
        if (folderBlocked || desktopRefuses)
            Instance<Form1>().Picture5 = *platform::LoadPictureFile(picture("a.jpg", 40, 30));
        if (fromViewer)
            Instance<Form2>().mnuOptionsWallpaper_Click();
        else
            Instance<Form1>().Command5_Click();
        QCOMPARE(RecordedMessages().size(), 2);
        QCOMPARE(RecordedMessages().at(1).prompt,
                 QStringLiteral("Sorry, the wallpaper could not be set"));
        QCOMPARE(RecordedMessages().at(1).style, platform::vbOKOnly);
        QCOMPARE(RecordedMessages().at(1).title, QStringLiteral("orvane"));
        // Only a written file is handed to the desktop.
        QCOMPARE(wallpaperCalls.size(), desktopRefuses ? 1 : 0);
    }

    // The desktop is handed a name it is not showing yet, so it loads the new picture.
    void namesTakeTurns() {
        Form1 &form = Instance<Form1>();
        form.Picture5 = *platform::LoadPictureFile(picture("a.jpg", 40, 30));
        form.Command5_Click();
        form.Picture5 = *platform::LoadPictureFile(picture("b.jpg", 50, 20));
        form.Command5_Click();
        QCOMPARE(wallpaperCalls,
                 (QStringList{wallpaperFolder + "/Orvane.bmp", wallpaperFolder + "/Orvane2.bmp"}));
        QCOMPARE(bitmapSize(wallpaperCalls.last()), QSize(50, 20));
        // With both left behind (the real desktop service removes the one no longer shown), the
        // older one is written next.
        QFile second(wallpaperFolder + "/Orvane2.bmp");
        QVERIFY(second.open(QIODevice::ReadWrite));
        QVERIFY(second.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                   QFileDevice::FileModificationTime));
        QCOMPARE(platform::WallpaperFile(), second.fileName());
    }

    void openWithPath_data() {
        QTest::addColumn<QString>("start"); // empty: the folder the program started in
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("path"); // empty: nothing started
        QTest::newRow("subfolder") << "/media/cdrom" << 7 << "Animals\\cat.jpg"
                                   << "/media/cdrom/images/Animals/cat.jpg";
        QTest::newRow("root with separator") << "/" << 7 << "cat.jpg"
                                             << "/images/cat.jpg";
        QTest::newRow("blanks, quotes, non-ASCII")
            << "/media/My CD" << 7 << "Ferien \"Über\"\\Strand 1.jpg"
            << "/media/My CD/images/Ferien \"Über\"/Strand 1.jpg";
        QTest::newRow("start folder by default")
            << "" << 7 << "cat.jpg" << platform::StartFolder() + QStringLiteral("/images/cat.jpg");
        QTest::newRow("index below the catalogue") << "/cd" << -1 << "cat.jpg" << QString();
        QTest::newRow("index above the catalogue") << "/cd" << 10001 << "cat.jpg" << QString();
    }
    void openWithPath() {
        QFETCH(QString, start);
        QFETCH(int, index);
        QFETCH(QString, entry);
        QFETCH(QString, path);
        g.AppPath = start;
        g.ImageArray[7] = entry;
        g.CurrentIndex = index;
        Instance<Form2>().mnuOptionsOpen_Click();
        QCOMPARE(openedWith, path.isEmpty() ? QStringList() : QStringList{path});
    }

    // On disk the names may differ in letter case, as on a CD mounted with upper-case names.
    void openWithFindsTheFileOnDisk() {
        cd->writePicture(QStringLiteral("IMAGES/ANIMALS/CAT.JPG"), 10, 10, "JPG");
        g.AppPath = cd->path();
        g.ImageArray[1] = QStringLiteral("animals\\cat.jpg");
        g.CurrentIndex = 1;
        Instance<Form2>().mnuOptionsOpen_Click();
        QCOMPARE(openedWith, QStringList{cd->path(QStringLiteral("IMAGES/ANIMALS/CAT.JPG"))});
    }
};

QTEST_MAIN(TestWallpaper)
#include "tst_wallpaper.moc"
