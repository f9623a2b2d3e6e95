// The preview's fitting and the information line's texts, with the worked examples.

#include "mainwindow/preview_rules.h"

#include <QTest>

class TestPreviewRules : public QObject {
    Q_OBJECT
  private slots:
    void fitsIntoTheBox_data() {
        QTest::addColumn<int>("pixelsWide");
        QTest::addColumn<int>("pixelsHigh");
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("top");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        QTest::newRow("640x480 fills the box") << 640 << 480 << 0.f << 0.f << 1800.f << 1350.f;
        QTest::newRow("1000x300 wide") << 1000 << 300 << 0.f << 405.f << 1800.f << 540.f;
        QTest::newRow("60x40 small, centred") << 60 << 40 << 450.f << 375.f << 900.f << 600.f;
        QTest::newRow("120x90 exactly the box") << 120 << 90 << 0.f << 0.f << 1800.f << 1350.f;
        QTest::newRow("100x1000 tall") << 100 << 1000 << 832.5f << 0.f << 135.f << 1350.f;
        QTest::newRow("2000x50 thin strip") << 2000 << 50 << 0.f << 652.5f << 1800.f << 45.f;
        QTest::newRow("121x90 one pixel too wide")
            << 121 << 90 << 0.f << 5.5785f << 1800.f << 1338.8429f;
    }
    void fitsIntoTheBox() {
        QFETCH(int, pixelsWide);
        QFETCH(int, pixelsHigh);
        QFETCH(float, left);
        QFETCH(float, top);
        QFETCH(float, width);
        QFETCH(float, height);
        const auto w = static_cast<float>(pixelsWide), h = static_cast<float>(pixelsHigh);
        const PreviewFit fit = FitPreview(w, h, w * 15.0f, h * 15.0f);
        QCOMPARE(fit.Left, left);
        QCOMPARE(fit.Top, top);
        QCOMPARE(fit.Width, width);
        QCOMPARE(fit.Height, height);
    }

    void titleAndType_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("type");
        QTest::newRow("folder and capitals") << "animals\\tiger cub.JPG"
                                             << "Tiger cub"
                                             << "jpg";
        QTest::newRow("plain") << "Sunset.gif"
                               << "Sunset"
                               << "gif";
        QTest::newRow("nested folders") << "a\\b\\c.bmp"
                                        << "C"
                                        << "bmp";
        QTest::newRow("mixed case inside") << "x\\mOUNT eVEREST.Jpg"
                                           << "Mount everest"
                                           << "jpg";
        QTest::newRow("one letter") << "a.jpg"
                                    << "A"
                                    << "jpg";
        QTest::newRow("no name before the extension") << "x\\.gif"
                                                      << ""
                                                      << "gif";
        QTest::newRow("four characters: whole name") << "xbmp"
                                                     << "Xbmp"
                                                     << "bmp";
        QTest::newRow("three characters") << "GIF"
                                          << "Gif"
                                          << "gif";
        QTest::newRow("non-ASCII")
            << QString::fromUtf8("été\\ÉLAN.bmp") << QString::fromUtf8("Élan") << "bmp";
    }
    void titleAndType() {
        QFETCH(QString, entry);
        QFETCH(QString, title);
        QFETCH(QString, type);
        QCOMPARE(PreviewTitle(entry), title);
        QCOMPARE(PictureType(entry), type);
    }

    void sizeText_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("text");
        const QString dot = QStringLiteral("."), comma = QStringLiteral(",");
        QTest::newRow("0") << qint64(0) << dot << "0 Bytes";
        QTest::newRow("1023") << qint64(1023) << dot << "1023 Bytes";
        QTest::newRow("1024") << qint64(1024) << dot << "1.0 KB";
        QTest::newRow("1025") << qint64(1025) << dot << "1.0 KB";
        QTest::newRow("1536") << qint64(1536) << dot << "1.5 KB";
        QTest::newRow("2047") << qint64(2047) << dot << "2.0 KB";
        QTest::newRow("1048575, no grouping") << qint64(1048575) << dot << "1024.0 KB";
        QTest::newRow("1048576") << qint64(1048576) << dot << "1.00 MB";
        QTest::newRow("1572864") << qint64(1572864) << dot << "1.50 MB";
        QTest::newRow("10485760") << qint64(10485760) << dot << "10.00 MB";
        QTest::newRow("comma KB") << qint64(1536) << comma << "1,5 KB";
        QTest::newRow("comma MB") << qint64(1572864) << comma << "1,50 MB";
        QTest::newRow("comma Bytes") << qint64(1000) << comma << "1000 Bytes";
    }
    void sizeText() {
        QFETCH(qint64, bytes);
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QCOMPARE(SizeText(bytes, separator), text);
    }

    void unreadableSizeCountsAsZero() { QCOMPARE(SizeText(std::nullopt, "."), "0 Bytes"); }

    void informationLineCycles() {
        const InfoFacts jpeg{"jpg", PixelSizeText(640, 480), "1.5 KB", "Cat"};
        QCOMPARE(jpeg.pixelSize, "640 * 480 pixels");
        const QStringList expected{"Jpeg Image", "640 * 480 pixels", "1.5 KB", "Cat", "Jpeg Image"};
        int step = 0;
        for (const QString &text : expected) {
            const auto line = NextInfoLine(step, jpeg);
            QVERIFY(line);
            QCOMPARE(line->text, text);
            step = line->nextStep;
        }
        QCOMPARE(step, 1);
        QCOMPARE(NextInfoLine(0, {"gif", {}, {}, {}})->text, "Gif Image");
        QCOMPARE(NextInfoLine(0, {"bmp", {}, {}, {}})->text, "Bitmap Image");
        // No known kind: the line stays as it is at step 0, and only there.
        QVERIFY(!NextInfoLine(0, {"", {}, {}, {}}));
        QVERIFY(!NextInfoLine(0, {"JPG", {}, {}, {}}));
        QCOMPARE(NextInfoLine(2, {"", {}, "0 Bytes", {}})->text, "0 Bytes");
    }
};

QTEST_APPLESS_MAIN(TestPreviewRules)
#include "tst_preview_rules.moc"
