// The settings file: reading its lines and turning line 2 and line 5 into the title.

#include "mainwindow/settings_rules.h"
#include "platform/files/files.h"
#include "support/hostilecd.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QTest>

class TestSettings : public QObject {
    Q_OBJECT
  private slots:
    void lineTwoConvertsLikeThePlatform_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -99: not a number the title can use
        // Blanks around are allowed, halves round to even, and the value must fit 16 bits.
        const std::pair<const char *, int> numbers[] = {
            {"12", 12}, {"  9  ", 9}, {"\t7\t", 7}, {"12.5", 12}, {"13.5", 14},
            {"2.7", 3}, {"-0.5", 0},  {"+4", 4},    {"1e1", 10},  {"-32768", -32768}};
        for (const auto &[text, value] : numbers)
            QTest::addRow("'%s'", text) << QString(text) << value;
        for (const char *text : {"1e10", "40000", "", "   ", "red", "12abc", "0x0c", "1 2", "nan",
                                 "\u0661\u0662" /* Arabic digits */})
            QTest::addRow("'%s'", text) << QString::fromUtf8(text) << -99;
    }
    void lineTwoConvertsLikeThePlatform() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const auto value = ToInteger16(text);
        QCOMPARE(value.value_or(-99), expected);
    }

    void linesEndAtCrLfCrOrLf() {
        TempCd cd;
        cd.writeFile("crlf.ini", "one\r\ntwo\r\n\r\nfour\r\n");
        cd.writeFile("cr.ini", "one\rtwo\r");
        cd.writeFile("lf.ini", "one\ntwo\nthree");
        cd.writeFile("mixed.ini", "a\r\n\nb\r\rc");
        cd.writeFile("empty.ini", "");
        using Lines = std::vector<QByteArray>;
        QCOMPARE(*platform::ReadLines("crlf.ini", 6, 100), (Lines{"one", "two", "", "four"}));
        QCOMPARE(*platform::ReadLines("cr.ini", 6, 100), (Lines{"one", "two"}));
        QCOMPARE(*platform::ReadLines("lf.ini", 6, 100), (Lines{"one", "two", "three"}));
        QCOMPARE(*platform::ReadLines("mixed.ini", 6, 100), (Lines{"a", "", "b", "", "c"}));
        QCOMPARE(platform::ReadLines("empty.ini", 6, 100)->size(), size_t(0));
        QVERIFY(!platform::ReadLines("missing.ini", 6, 100));
        QVERIFY(!platform::ReadLines("", 6, 100));
        cd.writeFile("many.ini", QByteArray("line\r\n").repeated(200000));
        QCOMPARE(platform::ReadLines("many.ini", 6, 4096)->size(), size_t(6));
    }

    // A first line of 100 MB is cut without being held, and the later lines keep their numbers.
    void hugeSettingsFileIsReadQuicklyWithBoundedLines() {
        QTemporaryDir dir;
        const QString ini = dir.filePath("orvane.ini");
        QVERIFY(hostile::WriteHugeSettings(ini));
        QCOMPARE(QFileInfo(ini).size(), hostile::HugeSettingsBytes);
        const double before = PeakRssMb();
        QElapsedTimer timer;
        timer.start();
        const auto lines = platform::ReadLines(ini, SettingsLines, SettingsLineLength);
        const qint64 ms = timer.elapsed();
        const double growth = PeakRssMb() - before;
        qInfo("100 MB settings file: %lld ms, peak memory growth %.1f MB", ms, growth);
        QVERIFY(lines);
        QCOMPARE(lines->size(), size_t(6));
        QCOMPARE((*lines)[0].size(), SettingsLineLength);
        QCOMPARE((*lines)[1], QByteArray("9"));
        QCOMPARE((*lines)[4], QByteArray("Huge settings file"));
        QVERIFY(growth < 8);
        QVERIFY(ms < (UnderAddressSanitizer ? 30000 : 5000));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
