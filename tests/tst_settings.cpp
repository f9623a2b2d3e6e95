// Line 2 of the settings file: the number that picks the title colour.

#include "mainwindow/settings_rules.h"

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
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
