// The viewer's arithmetic at its edges (the worked pictures go through the window in tst_viewer):
// fitting to the screen, the zoom clamps and limit, the titles.

#include "viewer/fit_rules.h"

#include <QTest>

namespace {

constexpr float SW = 15360; // 1024 x 768 pixels at 15 twips to the pixel
constexpr float SH = 11520;

// Rows of two strings from a flat list of pairs, each row named after its first string.
void AddPairs(std::initializer_list<const char *> strings) {
    for (auto it = strings.begin(); it + 1 < strings.end(); it += 2)
        QTest::addRow("%s", **it ? *it : "(empty)") << QString(*it) << QString(*(it + 1));
}

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
        QTest::newRow("taller") << 12000.f << 18000.f << 0 << 7680.f << SH << 3840.f << 0.f
                                << 12000.f / 18000.f;
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
        QCOMPARE(fit.AspectRatio.value_or(0.f), aspectRatio);
        QCOMPARE(Centred(SW, fit.Width, 0), left);
        QCOMPARE(Centred(SH, fit.Height, 0), top);
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
        AddPairs({"sunset.jpg", "Sunset", "BEACH.GIF", "Beach", "trips\\Rome.bmp", "Trips\\rome",
                  "a.jpg", "A", ".jpg", "-", "", "-", "abcdjpg", "Abc"});
    }
    void viewerTitles() {
        QFETCH(QString, entry);
        QFETCH(QString, title);
        QCOMPARE(ViewerTitle(entry).value_or(QStringLiteral("-")), title);
    }

    void closingTitles_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("closed");
        AddPairs({"A\\b\\SEA", "Sea", "SUNSET", "Sunset", "Sea\\waves", "Waves", "", "",
                  "Animals\\", "", "a/b", "A/b"});
    }
    void closingTitles() {
        QFETCH(QString, title);
        QFETCH(QString, closed);
        QCOMPARE(ClosingTitle(title), closed);
    }
};

QTEST_APPLESS_MAIN(TestViewerRules)
#include "tst_viewer_rules.moc"
