// The viewer's arithmetic: fitting to the screen, the zoom steps with their limit, the titles.

#include "viewer/fit_rules.h"

#include <QTest>

namespace {
constexpr float SW = 15360; // 1024 x 768 pixels at 15 twips to the pixel
constexpr float SH = 11520;
} // namespace

class TestViewerRules : public QObject {
    Q_OBJECT
  private slots:
    void fitsToTheScreen_data() {
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        QTest::addColumn<int>("zoomLimit");
        QTest::addColumn<float>("fittedWidth");
        QTest::addColumn<float>("fittedHeight");
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("top");
        QTest::addColumn<float>("aspectRatio"); // 0: no fit step ran
        QTest::newRow("640x480 smaller")
            << 9600.f << 7200.f << 0 << 9600.f << 7200.f << 2880.f << 2160.f << 0.f;
        QTest::newRow("800x1200 taller")
            << 12000.f << 18000.f << 0 << 7680.f << 11520.f << 3840.f << 0.f << 12000.f / 18000.f;
        QTest::newRow("2048x768 wider")
            << 30720.f << 11520.f << 1 << 15360.f << 5760.f << 0.f << 2880.f << 0.375f;
        QTest::newRow("2400x2400 larger")
            << 36000.f << 36000.f << 1 << 11520.f << 11520.f << 1920.f << 0.f << 1.f;
        QTest::newRow("exactly the screen's height")
            << 9000.f << SH << 0 << 9000.f << SH << 3180.f << 0.f << 0.f;
        QTest::newRow("both ways larger, width fitted second")
            << 60000.f << 15000.f << 1 << SW << 3840.f << 0.f << 3840.f << 0.25f;
        QTest::newRow("wide but low")
            << 30000.f << 6000.f << 0 << SW << 3072.f << 0.f << 4224.f << 0.2f;
    }
    void fitsToTheScreen() {
        QFETCH(float, width);
        QFETCH(float, height);
        QFETCH(int, zoomLimit);
        QFETCH(float, fittedWidth);
        QFETCH(float, fittedHeight);
        QFETCH(float, left);
        QFETCH(float, top);
        QFETCH(float, aspectRatio);
        QCOMPARE(ZoomLimitFor(width, height, SW, SH), zoomLimit);
        const Fit fit = FitToScreen(width, height, width, height, SW, SH);
        QCOMPARE(fit.Width, fittedWidth);
        QCOMPARE(fit.Height, fittedHeight);
        QVERIFY(fit.Width <= SW && fit.Height <= SH);
        QCOMPARE(fit.AspectRatio.value_or(0.f), aspectRatio);
        QCOMPARE(Centred(SW, fit.Width, 0), left);
        QCOMPARE(Centred(SH, fit.Height, 0), top);
    }

    void zoomTableFromTheSmallPicture() {
        // 640 x 480 laid out at 9600 x 7200, then Up, Up, Up, Up, Down.
        struct Row {
            bool in;
            float width, height, left, top;
            int limit;
        };
        const Row rows[] = {
            {true, 12000, 9000, 1680, 1260, 0},  {true, 15000, 11250, 180, 135, 0},
            {true, 15360, 11520, 0, 0, 1},       {true, 15360, 11520, 0, 0, 1},
            {false, 12288, 9216, 1536, 1152, 0},
        };
        float width = 9600, height = 7200;
        int limit = 0;
        for (const Row &row : rows) {
            const ZoomStep step =
                row.in ? ZoomIn(width, height, SW, SH, limit) : ZoomOut(width, height);
            width = step.Width;
            height = step.Height;
            limit = step.ZoomLimit;
            QCOMPARE(width, row.width);
            QCOMPARE(height, row.height);
            QCOMPARE(Centred(SW, width, 0), row.left);
            QCOMPARE(Centred(SH, height, 0), row.top);
            QCOMPARE(limit, row.limit);
        }
    }

    void zoomInClampsKeepingTheCurrentProportions() {
        // The ratio comes from the enlarged image, not the picture.
        const ZoomStep step = ZoomIn(15000, 11250, SW, SH, 0);
        QCOMPARE(step.AspectRatio.value(), 18750.f / 14062.5f);
        // Just below the width: ends exactly at the screen's width.
        const ZoomStep wide = ZoomIn(15000, 5000, SW, SH, 0);
        QCOMPARE(wide.Width, SW);
        QCOMPARE(wide.Height, SW * (6250.f / 18750.f));
        QCOMPARE(wide.ZoomLimit, 1);
        // Refused at the limit: nothing changes.
        const ZoomStep refused = ZoomIn(100, 100, SW, SH, 1);
        QVERIFY(!refused.Changed);
        QCOMPARE(refused.Width, 100.f);
        QCOMPARE(refused.ZoomLimit, 1);
    }

    void zoomOutStopsBelowAThousandTwips_data() {
        QTest::addColumn<float>("width");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<float>("after");
        QTest::newRow("999.9") << 999.9f << false << 999.9f;
        QTest::newRow("exactly 1000") << 1000.f << true << 800.f;
        QTest::newRow("1250") << 1250.f << true << 1000.f;
    }
    void zoomOutStopsBelowAThousandTwips() {
        QFETCH(float, width);
        QFETCH(bool, changed);
        QFETCH(float, after);
        const ZoomStep step = ZoomOut(width, width);
        QCOMPARE(step.Changed, changed);
        QCOMPARE(step.Width, after);
        QCOMPARE(step.ZoomLimit, 0);
    }

    void viewerTitles_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("title"); // "-": no title, the previous one stays
        QTest::newRow("plain") << "sunset.jpg"
                               << "Sunset";
        QTest::newRow("upper") << "BEACH.GIF"
                               << "Beach";
        QTest::newRow("folder kept") << "trips\\Rome.bmp"
                                     << "Trips\\rome";
        QTest::newRow("folder upper") << "holiday\\PARIS.jpg"
                                      << "Holiday\\paris";
        QTest::newRow("one letter") << "a.jpg"
                                    << "A";
        QTest::newRow("four characters") << ".jpg"
                                         << "-";
        QTest::newRow("empty") << ""
                               << "-";
        QTest::newRow("no dot") << "abcdjpg"
                                << "Abc";
    }
    void viewerTitles() {
        QFETCH(QString, entry);
        QFETCH(QString, title);
        QCOMPARE(ViewerTitle(entry).value_or(QStringLiteral("-")), title);
    }

    void closingTitles_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("closed");
        QTest::newRow("folder") << "Animals\\dog"
                                << "Dog";
        QTest::newRow("two folders") << "A\\b\\SEA"
                                     << "Sea";
        QTest::newRow("no folder") << "SUNSET"
                                   << "Sunset";
        QTest::newRow("sea waves") << "Sea\\waves"
                                   << "Waves";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("trailing backslash") << "Animals\\"
                                            << "";
        QTest::newRow("forward slash is a character") << "a/b"
                                                      << "A/b";
    }
    void closingTitles() {
        QFETCH(QString, title);
        QFETCH(QString, closed);
        QCOMPARE(ClosingTitle(title), closed);
    }
};

QTEST_APPLESS_MAIN(TestViewerRules)
#include "tst_viewer_rules.moc"
