// Both windows' wallpaper commands against a recording desktop: the questions word for word, the
// file written, the call made, and nothing set after Cancel or a failed write.

#include "support/testsupport.h"

#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/desktop_rules.h"
#include "mainwindow/form1.h"
#include "platform/desktop.h"
#include "platform/picture.h"
#include "platform/services.h"
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

    void expectFailureAfterQuestion() {
        QCOMPARE(RecordedMessages().size(), 2);
        QCOMPARE(RecordedMessages().at(1).prompt,
                 QStringLiteral("Sorry, the wallpaper could not be set"));
        QCOMPARE(RecordedMessages().at(1).style, platform::vbOKOnly);
        QCOMPARE(RecordedMessages().at(1).title, QStringLiteral("orvane"));
    }

  private slots:
    void init() {
        ResetProgram();
        cd = std::make_unique<TempCd>();
        dataHome = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", dataHome->path().toUtf8());
        wallpaperFolder = dataHome->path() + QStringLiteral("/orvane");
        wallpaperCalls.clear();
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

    void questions_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("mainQuestion");
        QTest::addColumn<QString>("viewerQuestion");
        QTest::newRow("plain") << "Sunset"
                               << "Create wallpaper from 'Sunset' image?"
                               << "Create desktop wallpaper from 'Sunset' image?";
        QTest::newRow("folder") << "Animals\\dog"
                                << "Create wallpaper from 'Animals\\dog' image?"
                                << "Create desktop wallpaper from 'dog' image?";
        QTest::newRow("two folders, case kept") << "A\\b\\CAT"
                                                << "Create wallpaper from 'A\\b\\CAT' image?"
                                                << "Create desktop wallpaper from 'CAT' image?";
        QTest::newRow("empty") << ""
                               << "Create wallpaper from '' image?"
                               << "Create desktop wallpaper from '' image?";
    }
    void questions() {
        QFETCH(QString, title);
        QFETCH(QString, mainQuestion);
        QFETCH(QString, viewerQuestion);
        QCOMPARE(MainWallpaperQuestion(title), mainQuestion);
        QCOMPARE(ViewerWallpaperQuestion(title), viewerQuestion);
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

    void failedWriteSetsNothing_data() {
        QTest::addColumn<bool>("fromViewer");
        QTest::addColumn<bool>("folderBlocked");
        QTest::newRow("main, nothing previewed") << false << false;
        QTest::newRow("viewer, nothing loaded") << true << false;
        QTest::newRow("main, data folder unusable") << false << true;
    }
    void failedWriteSetsNothing() {
        QFETCH(bool, fromViewer);
        QFETCH(bool, folderBlocked);
        if (folderBlocked) {
            // A file where the data folder would be: no folder can be made under it.
            QFile blocker(dataHome->path() + QStringLiteral("/file"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            qputenv("XDG_DATA_HOME", blocker.fileName().toUtf8());
            Instance<Form1>().Picture5 = *platform::LoadPictureFile(picture("a.jpg", 40, 30));
        }
        if (fromViewer)
            Instance<Form2>().mnuOptionsWallpaper_Click();
        else
            Instance<Form1>().Command5_Click();
        expectFailureAfterQuestion();
        QVERIFY(wallpaperCalls.isEmpty());
    }

    void desktopRefusalSaysSo() {
        desktopAccepts = false;
        Form1 &form = Instance<Form1>();
        form.Picture5 = *platform::LoadPictureFile(picture("a.jpg", 40, 30));
        form.Command5_Click();
        QCOMPARE(wallpaperCalls.size(), 1);
        expectFailureAfterQuestion();
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
};

QTEST_MAIN(TestWallpaper)
#include "tst_wallpaper.moc"
