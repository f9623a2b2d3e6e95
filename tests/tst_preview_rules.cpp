// The preview's fitting and the information line's texts, with the worked examples; the fitting
// examples that show through the window are in tst_preview.

#include "mainwindow/preview_rules.h"

#include <QTest>

class TestPreviewRules : public QObject {
    Q_OBJECT
  private slots:
    void fitsIntoTheBox() {
        // 2000x50: a thin strip; 121x90: one pixel too wide for the box.
        PreviewFit fit = FitPreview(2000, 50, 30000, 750);
        QCOMPARE(fit.Left, 0.f);
        QCOMPARE(fit.Top, 652.5f);
        QCOMPARE(fit.Width, 1800.f);
        QCOMPARE(fit.Height, 45.f);
        fit = FitPreview(121, 90, 1815, 1350);
        QCOMPARE(fit.Left, 0.f);
        QCOMPARE(fit.Top, 5.5785f);
        QCOMPARE(fit.Width, 1800.f);
        QCOMPARE(fit.Height, 1338.8429f);
    }

    void titleAndType_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("type");
        const char *const rows[][4] = {
            {"folder and capitals", "animals\\tiger cub.JPG", "Tiger cub", "jpg"},
            {"plain", "Sunset.gif", "Sunset", "gif"},
            {"nested folders", "a\\b\\c.bmp", "C", "bmp"},
            {"mixed case inside", "x\\mOUNT eVEREST.Jpg", "Mount everest", "jpg"},
            {"one letter", "a.jpg", "A", "jpg"},
            {"no name before the extension", "x\\.gif", "", "gif"},
            {"four characters: whole name", "xbmp", "Xbmp", "bmp"},
            {"three characters", "GIF", "Gif", "gif"},
            {"non-ASCII", "\u00e9t\u00e9\\\u00c9LAN.bmp", "\u00c9lan", "bmp"}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2])
                                  << QString::fromUtf8(row[3]);
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
        // The given decimal separator, and no digit grouping.
        const struct {
            qint64 bytes;
            const char *separator, *text;
        } rows[] = {
            {0, ".", "0 Bytes"},         {1023, ".", "1023 Bytes"}, {1024, ".", "1.0 KB"},
            {1025, ".", "1.0 KB"},       {1536, ".", "1.5 KB"},     {2047, ".", "2.0 KB"},
            {1048575, ".", "1024.0 KB"}, {1048576, ".", "1.00 MB"}, {1572864, ".", "1.50 MB"},
            {10485760, ".", "10.00 MB"}, {1536, ",", "1,5 KB"},     {1572864, ",", "1,50 MB"},
            {1000, ",", "1000 Bytes"}};
        for (const auto &row : rows)
            QTest::addRow("%lld %s", row.bytes, row.separator)
                << row.bytes << QString(row.separator) << QString(row.text);
    }
    void sizeText() {
        QFETCH(qint64, bytes);
        QFETCH(QString, separator);
        QFETCH(QString, text);
        QCOMPARE(SizeText(bytes, separator), text);
    }
};

QTEST_APPLESS_MAIN(TestPreviewRules)
#include "tst_preview_rules.moc"
