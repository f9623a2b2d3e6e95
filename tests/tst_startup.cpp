// Program start through the real windows: splash hand-over, settings, scan and sound.

#include "app/form6.h"
#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "platform/services.h"
#include "platform/twips.h"
#include "support/testsupport.h"

#include <QTest>

namespace {

QColor titleColour() {
    return Instance<Form1>().Label1->palette().color(QPalette::WindowText);
}

QStringList playedSounds;

void recordSounds() {
    playedSounds.clear();
    platform::services().playSound = [](const QString &path) { playedSounds << path; };
}

void writeIni(const TempCd &cd, const QByteArray &lineTwo, const QByteArray &lineFive) {
    cd.writeFile("orvane.ini",
                 "[orvane]\r\n" + lineTwo + "\r\nx\r\ny\r\n" + lineFive + "\r\nz\r\n");
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        ResetProgram();
        recordSounds();
    }
    void cleanup() { ResetProgram(); }

    void mainWindowStartsFromTheCdFolder() {
        TempCd cd;
        writeIni(cd, "12", "Holiday Pictures");
        cd.writePicture("images/one.jpg", 64, 48, "JPG");
        cd.writePicture("images/sub/two.bmp", 64, 48, "BMP");
        cd.writeFile("orvane.wav", "RIFF");
        Form1 &form = Instance<Form1>();
        QCOMPARE(form.windowTitle(), QString("Orvane v3.0"));
        QCOMPARE(form.Label1->text(), QString("Holiday Pictures"));
        QCOMPARE(titleColour(), QColor(255, 0, 0));
        QCOMPARE(g.ImagesFolder, QString("images\\"));
        QCOMPARE(g.ImageCount, 2);
        QCOMPARE(form.List1->ListCount(), 2);
        QCOMPARE(g.CurrentIndex, 1);
        QCOMPARE(form.List1->ListIndex(), 0);
        QCOMPARE(g.ActiveWindow, 1);
        QCOMPARE(g.SlideshowOn, 0);
        QCOMPARE(playedSounds.size(), 1);
        QVERIFY(playedSounds[0].endsWith("orvane.wav"));
    }

    void settingsFailuresKeepOrBlackenTheTitle_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("title");
        const QColor designRed(192, 0, 0);
        QTest::newRow("missing file") << QByteArray() << QColor(0, 0, 0) << "";
        QTest::newRow("ends before line 2") << QByteArray("only\r\n") << QColor(0, 0, 0) << "";
        QTest::newRow("line 2 empty") << QByteArray("a\r\n\r\nc\r\nd\r\nT\r\n") << designRed << "T";
        QTest::newRow("line 2 out of range")
            << QByteArray("a\r\n16\r\nc\r\nd\r\nT\r\n") << designRed << "T";
        QTest::newRow("line 2 blanks")
            << QByteArray("a\r\n  9  \r\nc\r\nd\r\nT\r\n") << QColor(0, 0, 255) << "T";
        QTest::newRow("lone LF") << QByteArray("a\n14\nc\nd\n Sun \nf\n") << QColor(255, 255, 0)
                                 << " Sun ";
        QTest::newRow("lone CR") << QByteArray("a\r2\rc\rd\rSea\r") << QColor(0, 128, 0) << "Sea";
        QTest::newRow("binary") << QByteArray("\x00\x01\xff\xfe\r\n\x80\x81", 8) << designRed << "";
    }
    void settingsFailuresKeepOrBlackenTheTitle() {
        QFETCH(QByteArray, ini);
        QFETCH(QColor, colour);
        QFETCH(QString, title);
        TempCd cd;
        if (!ini.isNull())
            cd.writeFile("orvane.ini", ini);
        Instance<Form1>();
        QCOMPARE(titleColour(), colour);
        QCOMPARE(Instance<Form1>().Label1->text(), title);
    }

    void hugeTitleStaysInsideItsLabel() {
        TempCd cd;
        writeIni(cd, "4", QByteArray(1 << 20, 'W'));
        Form1 &form = Instance<Form1>();
        QCOMPARE(form.Label1->width(), platform::ToPixels(2085));
        QCOMPARE(form.Label1->height(), platform::ToPixels(555));
        QVERIFY(form.Label1->text().size() <= 4096);
    }

    void emptyCatalogueStartsQuietly() {
        TempCd cd;
        Form1 &form = Instance<Form1>();
        QCOMPARE(g.ImageCount, 0);
        QCOMPARE(form.List1->ListCount(), 0);
        QCOMPARE(form.Label2->text(), QString()); // the title as it was: none yet
        QVERIFY(RecordedMessages().isEmpty());
        QVERIFY(playedSounds.isEmpty());
    }

    void backgroundComesFromMenupicWhenItLoads() {
        TempCd cd;
        QCOMPARE(Instance<Form1>().Picture.size(), QSize(400, 375)); // stored artwork
        ResetProgram();
        cd.writePicture("menupic.jpg", 300, 200, "JPG");
        QCOMPARE(Instance<Form1>().Picture.size(), QSize(300, 200));
        ResetProgram();
        cd.writeFile("menupic.jpg", "not a picture");
        QCOMPARE(Instance<Form1>().Picture.size(), QSize(400, 375));
    }

    void splashHandsOverAfterItsTimer() {
        TempCd cd;
        cd.writePicture("splash.jpg", 400, 300, "JPG");
        Form6 &splash = Instance<Form6>();
        splash.show();
        QVERIFY(IsLoaded<Form6>());
        QVERIFY(!IsLoaded<Form1>());
        QCOMPARE(splash.Timer1->interval(), 3000);
        QCOMPARE(splash.width(), platform::ToPixels(3000));
        splash.Timer1_Timer();
        QVERIFY(!IsLoaded<Form6>());
        QVERIFY(IsLoaded<Form1>());
        QVERIFY(Instance<Form1>().isVisible());
        QVERIFY(Instance<Form1>().isEnabled());
    }

    void missingOrBrokenSplashGoesStraightToTheMainWindow_data() {
        QTest::addColumn<QByteArray>("splash");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a picture") << QByteArray("garbage");
        QTest::newRow("empty") << QByteArray("");
    }
    void missingOrBrokenSplashGoesStraightToTheMainWindow() {
        QFETCH(QByteArray, splash);
        TempCd cd;
        if (!splash.isNull())
            cd.writeFile("splash.jpg", splash);
        Instance<Form6>();
        QVERIFY(!IsLoaded<Form6>());
        QVERIFY(IsLoaded<Form1>());
        QVERIFY(Instance<Form1>().isVisible());
    }

    void activationReselectsTheCurrentRow() {
        TempCd cd;
        for (int i = 0; i < 5; ++i)
            cd.writePicture(QString("images/p%1.jpg").arg(i), 16, 16, "JPG");
        Form1 &form = Instance<Form1>();
        g.CurrentIndex = 4;
        form.Form_Activate();
        QCOMPARE(form.List1->ListIndex(), 3);
        QCOMPARE(g.ActiveWindow, 1);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
