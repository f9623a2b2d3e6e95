// The keyword search's text rules: splitting the typed text and matching catalogue paths.

#include "mainwindow/search_rules.h"

#include <QTest>
#include <vector>

namespace {

int keywordsOf(const QString &typed, KeywordArray &keywords) {
    QString text = SearchTextOf(typed);
    return SplitKeywords(text, keywords);
}

int search(std::vector<QString> &catalogue, int imageCount, const QString &typed) {
    KeywordArray keywords;
    const int count = keywordsOf(typed, keywords);
    return CompactMatches(catalogue, imageCount, keywords, count);
}

} // namespace

class TestSearchRules : public QObject {
    Q_OBJECT
  private slots:
    void textSplitsAtRunsOfSpaces_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("stored"); // keywords 1..5 as stored
        QTest::newRow("one word, upper case") << "CAT" << 1 << QStringList{"cat"};
        QTest::newRow("double space") << "red  car" << 2 << QStringList{"red", "car"};
        QTest::newRow("spaces around") << "   Red  CAR   " << 2 << QStringList{"red", "car"};
        QTest::newRow("only spaces") << "     " << 0 << QStringList{};
        QTest::newRow("tab inside a word") << "\tred\tcar" << 1 << QStringList{"\tred\tcar"};
        QTest::newRow("punctuation") << "red, car!" << 2 << QStringList{"red,", "car!"};
        QTest::newRow("four") << "a b c d" << 4 << QStringList{"a", "b", "c", "d"};
        QTest::newRow("seven: counted past the array")
            << "a b c d e f g" << 7 << QStringList{"a", "b", "c", "d", "e"};
    }
    void textSplitsAtRunsOfSpaces() {
        QFETCH(QString, typed);
        QFETCH(int, count);
        QFETCH(QStringList, stored);
        KeywordArray keywords;
        QString text = SearchTextOf(typed);
        QCOMPARE(SplitKeywords(text, keywords), count);
        QCOMPARE(QStringList(keywords.begin() + 1, keywords.begin() + 1 + stored.size()), stored);
        QCOMPARE(keywords[0], QString());
        // The text is left holding its last word.
        if (count > 0) {
            QVERIFY(!text.isEmpty() && !text.contains(QLatin1Char(' ')));
            QVERIFY(TrimSpaces(SearchTextOf(typed)).endsWith(text));
        }
    }

    void entriesMatchOnTheWholePath_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("match");
        const struct {
            const char *name, *entry, *typed;
            bool match;
        } rows[] = {{"entry upper case", "CAT.JPG", "cat", true},
                    {"typed upper case", "Cat.jpg", "CAT", true},
                    {"inside a word", "concatenate.jpg", "cat", true},
                    {"in a folder name", "Pets\\Cats\\tom.gif", "cat", true},
                    {"across folder and name", "Cats\\tom.gif", "cats\\tom", true},
                    {"absent", "dog.jpg", "cat", false},
                    {"extension only", "dog.jpg", "jpg", true},
                    {"other extension", "dog.gif", "jpg", false},
                    {"two: both", "red_car.jpg", "red car", true},
                    {"two: one missing", "red_boat.jpg", "red car", false},
                    {"three: any order", "Holiday\\Red Car.jpg", "car holiday red", true},
                    {"three: one missing", "Holiday\\Red Boat.jpg", "red car holiday", false},
                    {"tab is part of the word", "red car.jpg", "red\tcar", false},
                    {"non-ascii case", "\u00c4pfel.jpg", "\u00c4PFEL", true}};
        for (const auto &row : rows)
            QTest::newRow(row.name)
                << QString::fromUtf8(row.entry) << QString::fromUtf8(row.typed) << row.match;
    }
    void entriesMatchOnTheWholePath() {
        QFETCH(QString, entry);
        QFETCH(QString, typed);
        QFETCH(bool, match);
        KeywordArray keywords;
        const int count = keywordsOf(typed, keywords);
        QCOMPARE(EntryMatches(entry, keywords, count), match);
    }

    void countsOutsideTheCatalogueAreHeldToIt() {
        std::vector<QString> catalogue{"zero.jpg", "a.jpg", "b.jpg", "c.jpg"};
        QCOMPARE(search(catalogue, 10001, QStringLiteral("jpg")), 3);
        QCOMPARE(search(catalogue, -5, QStringLiteral("jpg")), 0);
        QCOMPARE(catalogue[0], QStringLiteral("zero.jpg"));
        // With no keyword at all nothing matches.
        QCOMPARE(search(catalogue, 3, QStringLiteral("  ")), 0);
    }

    void fileNamePartFollowsTheLastBackslash() {
        QCOMPARE(FileNamePart("tom.gif"), "tom.gif");
        QCOMPARE(FileNamePart("Pets\\Cats\\tom 2.jpg"), "tom 2.jpg");
        QCOMPARE(FileNamePart("a/b.jpg"), "a/b.jpg");
    }
};

QTEST_APPLESS_MAIN(TestSearchRules)
#include "tst_search_rules.moc"
