// Program start through the real windows: splash hand-over, settings, scan and sound.

#include "app/form6.h"
#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "platform/desktop/services.h"
#include "platform/runtime/twips.h"
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
        QCOMPARE(playedSounds.size(), 1);
        QVERIFY(playedSounds[0].endsWith("orvane.wav"));
    }

    void settingsFailuresKeepOrBlackenTheTitle_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("title");
        auto row = [](const char *name, const QByteArray &ini, QColor colour, const char *title) {
            QTest::newRow(name) << ini << colour << QString(title);
        };
        const QColor black(0, 0, 0), designRed(192, 0, 0), blue(0, 0, 255);
        row("missing file", QByteArray(), black, "");
        row("ends before line 2", "only\r\n", black, "");
        row("line 2 empty", "a\r\n\r\nc\r\nd\r\nT\r\n", designRed, "T");
        row("line 2 out of range", "a\r\n16\r\nc\r\nd\r\nT\r\n", designRed, "T");
        row("line 2 blanks", "a\r\n  9  \r\nc\r\nd\r\nT\r\n", blue, "T");
        row("lone LF", "a\n14\nc\nd\n Sun \nf\n", QColor(255, 255, 0), " Sun ");
        row("lone CR", "a\r2\rc\rd\rSea\r", QColor(0, 128, 0), "Sea");
        row("four lines: no title", "a\r\n9\r\nc\r\nd", blue, "");
        row("binary", QByteArray("\x00\x01\xff\xfe\r\n\x80\x81", 8), designRed, "");
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
        QVERIFY(playedSounds.isEmpty()); // no sound file on this CD
    }

    void hugeTitleStaysInsideItsLabel() {
        TempCd cd;
        writeIni(cd, "4", QByteArray(1 << 20, 'W'));
        Form1 &form = Instance<Form1>();
        QCOMPARE(form.Label1->width(), platform::ToPixels(2085));
        QCOMPARE(form.Label1->height(), platform::ToPixels(555));
        QVERIFY(form.Label1->text().size() <= 4096);
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
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
