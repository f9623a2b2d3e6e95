// The keyword search's text rules: splitting the typed text and matching catalogue paths.

#include "mainwindow/search_rules.h"

#include <QTest>
#include <vector>

namespace {

int keywordsOf(const QString &typed, KeywordArray &keywords) {
    QString text = SearchTextOf(typed);
    return SplitKeywords(text, keywords);
}

// A catalogue laid out as the program keeps it: index 0 holds nothing.
std::vector<QString> catalogueOf(const QStringList &entries) {
    std::vector<QString> catalogue{QString()};
    catalogue.insert(catalogue.end(), entries.begin(), entries.end());
    return catalogue;
}

int search(std::vector<QString> &catalogue, int imageCount, const QString &typed) {
    KeywordArray keywords;
    const int count = keywordsOf(typed, keywords);
    return CompactMatches(catalogue, imageCount, keywords, count);
}

QStringList front(const std::vector<QString> &catalogue, int count) {
    return QStringList(catalogue.begin() + 1, catalogue.begin() + 1 + count);
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

    void splittingLeavesOlderKeywordsAlone() {
        KeywordArray keywords{"zero", "old1", "old2", "old3", "old4", "old5"};
        QCOMPARE(keywordsOf(QStringLiteral("x  y"), keywords), 2);
        QCOMPARE(keywords, (KeywordArray{"zero", "x", "y", "old3", "old4", "old5"}));
        // A long pasted text is counted to its end.
        QString many = QStringLiteral("w ").repeated(200000) + QStringLiteral("last");
        QCOMPARE(SplitKeywords(many, keywords), 200001);
        QCOMPARE(many, QStringLiteral("last"));
    }

    void entriesMatchOnTheWholePath_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("match");
        QTest::newRow("entry upper case") << "CAT.JPG"
                                          << "cat" << true;
        QTest::newRow("typed upper case") << "Cat.jpg"
                                          << "CAT" << true;
        QTest::newRow("inside a word") << "concatenate.jpg"
                                       << "cat" << true;
        QTest::newRow("in a folder name") << "Pets\\Cats\\tom.gif"
                                          << "cat" << true;
        QTest::newRow("across folder and name") << "Cats\\tom.gif"
                                                << "cats\\tom" << true;
        QTest::newRow("absent") << "dog.jpg"
                                << "cat" << false;
        QTest::newRow("extension only") << "dog.jpg"
                                        << "jpg" << true;
        QTest::newRow("other extension") << "dog.gif"
                                         << "jpg" << false;
        QTest::newRow("two: both") << "red_car.jpg"
                                   << "red car" << true;
        QTest::newRow("two: one missing") << "red_boat.jpg"
                                          << "red car" << false;
        QTest::newRow("three: any order") << "Holiday\\Red Car.jpg"
                                          << "car holiday red" << true;
        QTest::newRow("three: one missing") << "Holiday\\Red Boat.jpg"
                                            << "red car holiday" << false;
        QTest::newRow("tab is part of the word") << "red car.jpg"
                                                 << "red\tcar" << false;
        QTest::newRow("non-ascii case")
            << QString::fromUtf8("\u00c4pfel.jpg") << QString::fromUtf8("\u00c4PFEL") << true;
    }
    void entriesMatchOnTheWholePath() {
        QFETCH(QString, entry);
        QFETCH(QString, typed);
        QFETCH(bool, match);
        KeywordArray keywords;
        const int count = keywordsOf(typed, keywords);
        QCOMPARE(EntryMatches(entry, keywords, count), match);
    }

    void matchesMoveToTheFrontInCatalogueOrder() {
        QStringList entries;
        for (int i = 1; i <= 40; ++i)
            entries << QStringLiteral("dog%1.jpg").arg(i);
        entries[2] = QStringLiteral("Concatenate.jpg");
        entries[9] = QStringLiteral("Pets\\Cats\\tom.gif");
        entries[10] = QStringLiteral("Pets\\Cats\\Felix.jpg");
        entries[25] = QStringLiteral("wildcat.gif");
        entries[39] = QStringLiteral("Holiday\\CAT nap.bmp");
        auto catalogue = catalogueOf(entries);

        QCOMPARE(search(catalogue, 40, QStringLiteral("Cat")), 5);
        QCOMPARE(front(catalogue, 5),
                 (QStringList{"Concatenate.jpg", "Pets\\Cats\\tom.gif", "Pets\\Cats\\Felix.jpg",
                              "wildcat.gif", "Holiday\\CAT nap.bmp"}));
        // Past the matches the old entries stay where they were.
        QCOMPARE(catalogue[6], QStringLiteral("dog6.jpg"));
        QCOMPARE(catalogue[40], QStringLiteral("Holiday\\CAT nap.bmp"));

        // A second search narrows the narrowed catalogue only.
        QCOMPARE(search(catalogue, 5, QStringLiteral("jpg")), 2);
        QCOMPARE(front(catalogue, 2), (QStringList{"Concatenate.jpg", "Pets\\Cats\\Felix.jpg"}));

        // No match moves nothing.
        const auto before = catalogue;
        QCOMPARE(search(catalogue, 40, QStringLiteral("zebra")), 0);
        QCOMPARE(catalogue, before);
    }

    void countsOutsideTheCatalogueAreHeldToIt() {
        auto catalogue = catalogueOf({"a.jpg", "b.jpg", "c.jpg"});
        catalogue[0] = QStringLiteral("zero.jpg");
        QCOMPARE(search(catalogue, 10001, QStringLiteral("jpg")), 3);
        QCOMPARE(search(catalogue, -5, QStringLiteral("jpg")), 0);
        QCOMPARE(catalogue[0], QStringLiteral("zero.jpg"));
        // With no keyword at all nothing matches.
        QCOMPARE(search(catalogue, 3, QStringLiteral("  ")), 0);
    }

    void fileNamePartFollowsTheLastBackslash() {
        QCOMPARE(FileNamePart(QStringLiteral("tom.gif")), QStringLiteral("tom.gif"));
        QCOMPARE(FileNamePart(QStringLiteral("Pets\\Cats\\tom 2.jpg")),
                 QStringLiteral("tom 2.jpg"));
        QCOMPARE(FileNamePart(QStringLiteral("a/b.jpg")), QStringLiteral("a/b.jpg"));
    }
};

QTEST_APPLESS_MAIN(TestSearchRules)
#include "tst_search_rules.moc"
