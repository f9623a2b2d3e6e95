// The settings file: reading its lines and turning line 2 and line 5 into the title.

#include "mainwindow/settings_rules.h"
#include "platform/files.h"
#include "support/testsupport.h"

#include <QTest>

class TestSettings : public QObject {
    Q_OBJECT
  private slots:
    void lineTwoConvertsLikeThePlatform_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // -99: not a number the title can use
        QTest::newRow("plain") << "12" << 12;
        QTest::newRow("blanks around") << "  9  " << 9;
        QTest::newRow("tab around") << "\t7\t" << 7;
        QTest::newRow("half to even down") << "12.5" << 12;
        QTest::newRow("half to even up") << "13.5" << 14;
        QTest::newRow("fraction") << "2.7" << 3;
        QTest::newRow("negative half") << "-0.5" << 0;
        QTest::newRow("sign") << "+4" << 4;
        QTest::newRow("exponent in range") << "1e1" << 10;
        QTest::newRow("exponent too large") << "1e10" << -99;
        QTest::newRow("overflow") << "40000" << -99;
        QTest::newRow("lowest") << "-32768" << -32768;
        QTest::newRow("empty") << "" << -99;
        QTest::newRow("blanks only") << "   " << -99;
        QTest::newRow("word") << "red" << -99;
        QTest::newRow("trailing junk") << "12abc" << -99;
        QTest::newRow("hex") << "0x0c" << -99;
        QTest::newRow("inner blank") << "1 2" << -99;
        QTest::newRow("not a number") << "nan" << -99;
        QTest::newRow("arabic digits") << QString::fromUtf8("\u0661\u0662") << -99;
    }
    void lineTwoConvertsLikeThePlatform() {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const auto value = ToInteger16(text);
        QCOMPARE(value.value_or(-99), expected);
    }

    void paletteHasSixteenColours() {
        QCOMPARE(*QBColor(0), QColor(0, 0, 0));
        QCOMPARE(*QBColor(7), QColor(192, 192, 192));
        QCOMPARE(*QBColor(9), QColor(0, 0, 255));
        QCOMPARE(*QBColor(12), QColor(255, 0, 0));
        QCOMPARE(*QBColor(15), QColor(255, 255, 255));
        QVERIFY(!QBColor(16));
        QVERIFY(!QBColor(-1));
    }

    void titleSettingsFromLines() {
        using Lines = std::vector<QByteArray>;
        // Missing file: black, empty title.
        auto none = ReadTitleSettings(std::nullopt);
        QCOMPARE(none.colour.value(), QColor(0, 0, 0));
        QCOMPARE(none.title, QString());
        // Ends before line 2: black.
        auto one = ReadTitleSettings(Lines{"x"});
        QCOMPARE(one.colour.value(), QColor(0, 0, 0));
        // Line 2 present but unusable: colour unchanged.
        QVERIFY(!ReadTitleSettings(Lines{"x", ""}).colour);
        QVERIFY(!ReadTitleSettings(Lines{"x", "16"}).colour);
        QVERIFY(!ReadTitleSettings(Lines{"x", "blue"}).colour);
        // Full file: line 5 verbatim, blanks included.
        auto full = ReadTitleSettings(Lines{"a", "12", "c", "d", "  Holiday Pictures ", "f"});
        QCOMPARE(full.colour.value(), QColor(255, 0, 0));
        QCOMPARE(full.title, QStringLiteral("  Holiday Pictures "));
        // Four lines: no title.
        QCOMPARE(ReadTitleSettings(Lines{"a", "9", "c", "d"}).title, QString());
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
    }

    void longLinesAreCutAndKeepLaterLineNumbers() {
        TempCd cd;
        QByteArray data = "first\r\n" + QByteArray(3'000'000, 'x') + "\r\n7\r\nfour\r\n";
        cd.writeFile("long.ini", data);
        const auto lines = platform::ReadLines("long.ini", 6, 4096);
        QVERIFY(lines);
        QCOMPARE(lines->size(), size_t(4));
        QCOMPARE((*lines)[1].size(), 4096);
        QCOMPARE((*lines)[2], QByteArray("7"));
        QCOMPARE((*lines)[3], QByteArray("four"));
    }

    void readingStopsAfterSixLines() {
        TempCd cd;
        QByteArray data;
        for (int i = 0; i < 200000; ++i)
            data += "line\r\n";
        cd.writeFile("many.ini", data);
        QCOMPARE(platform::ReadLines("many.ini", 6, 4096)->size(), size_t(6));
    }

    void binaryFileGivesSomeTextAndNoCrash() {
        TempCd cd;
        QByteArray binary;
        for (int i = 0; i < 65536; ++i)
            binary.append(char((i * 7919) & 0xff));
        cd.writeFile("orvane.ini", binary);
        const auto settings = ReadTitleSettings(platform::ReadLines("orvane.ini", 6, 4096));
        QVERIFY(settings.title.size() <= 4096);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
