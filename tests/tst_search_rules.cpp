// The keyword search's text rules: splitting the typed text and matching catalogue paths.

#include "mainwindow/search_rules.h"

#include <QTest>
#include <vector>

namespace {

KeywordArray keywordsOf(const QString &typed, int *count = nullptr) {
    KeywordArray keywords;
    QString text = SearchTextOf(typed);
    const int n = SplitKeywords(text, keywords);
    if (count)
        *count = n;
    return keywords;
}

bool matches(const QString &entry, const QString &typed) {
    int count = 0;
    const KeywordArray keywords = keywordsOf(typed, &count);
    return EntryMatches(entry, keywords, count);
}

// A catalogue laid out as the program keeps it: index 0 holds nothing.
std::vector<QString> catalogueOf(const QStringList &entries) {
    std::vector<QString> catalogue{QString()};
    catalogue.insert(catalogue.end(), entries.begin(), entries.end());
    return catalogue;
}

QStringList entriesOf(const std::vector<QString> &catalogue, int count) {
    QStringList out;
    for (int i = 1; i <= count; ++i)
        out << catalogue[static_cast<size_t>(i)];
    return out;
}

} // namespace

class TestSearchRules : public QObject {
    Q_OBJECT
  private slots:
    void typedTextIsLowerCasedAndTrimmedOfSpacesOnly_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("upper case") << "CAT"
                                    << "cat";
        QTest::newRow("mixed") << "  Red CaR  "
                               << "red car";
        QTest::newRow("inner spaces kept") << "red  car"
                                           << "red  car";
        QTest::newRow("tabs are not spaces") << "\tCat\t"
                                             << "\tcat\t";
        QTest::newRow("only spaces") << "     "
                                     << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("non-ascii")
            << QString::fromUtf8(" \u00c4PFEL ") << QString::fromUtf8("\u00e4pfel");
    }
    void typedTextIsLowerCasedAndTrimmedOfSpacesOnly() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QCOMPARE(SearchTextOf(typed), expected);
    }

    void textSplitsAtRunsOfSpaces_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("stored"); // keywords 1..5 as stored
        QTest::addColumn<QString>("rest");       // what the text holds afterwards
        QTest::newRow("one word") << "cat" << 1 << QStringList{"cat"} << "cat";
        QTest::newRow("two") << "red car" << 2 << QStringList{"red", "car"} << "car";
        QTest::newRow("double space") << "red  car" << 2 << QStringList{"red", "car"} << "car";
        QTest::newRow("many spaces") << "red      car" << 2 << QStringList{"red", "car"} << "car";
        QTest::newRow("spaces around")
            << "   red  car   " << 2 << QStringList{"red", "car"} << "car";
        QTest::newRow("tab inside a word")
            << "red\tcar" << 1 << QStringList{"red\tcar"} << "red\tcar";
        QTest::newRow("tab beside a space")
            << "red \tcar" << 2 << QStringList{"red", "\tcar"} << "\tcar";
        QTest::newRow("punctuation") << "red, car!" << 2 << QStringList{"red,", "car!"} << "car!";
        QTest::newRow("three") << "a b c" << 3 << QStringList{"a", "b", "c"} << "c";
        QTest::newRow("four") << "a b c d" << 4 << QStringList{"a", "b", "c", "d"} << "d";
        QTest::newRow("five") << "a b c d e" << 5 << QStringList{"a", "b", "c", "d", "e"} << "e";
        QTest::newRow("seven: counted past the array")
            << "a b c d e f g" << 7 << QStringList{"a", "b", "c", "d", "e"} << "g";
        QTest::newRow("backslash") << "cats\\tom" << 1 << QStringList{"cats\\tom"} << "cats\\tom";
    }
    void textSplitsAtRunsOfSpaces() {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QStringList, stored);
        QFETCH(QString, rest);
        KeywordArray keywords;
        QCOMPARE(SplitKeywords(text, keywords), count);
        for (int k = 1; k <= stored.size(); ++k)
            QCOMPARE(keywords[static_cast<size_t>(k)], stored[k - 1]);
        QCOMPARE(keywords[0], QString());
        QCOMPARE(text, rest);
    }

    void splittingLeavesOlderKeywordsAndNothingIsEmpty() {
        KeywordArray keywords{"zero", "old1", "old2", "old3", "old4", "old5"};
        QString text = QStringLiteral("x  y");
        QCOMPARE(SplitKeywords(text, keywords), 2);
        QCOMPARE(keywords, (KeywordArray{"zero", "x", "y", "old3", "old4", "old5"}));

        QString blank = QStringLiteral("    ");
        QCOMPARE(SplitKeywords(blank, keywords), 0);
        QCOMPARE(keywords[1], QStringLiteral("x"));

        // A long pasted text of many words is counted to its end, in one pass.
        QString many = QStringLiteral("w ").repeated(200000) + QStringLiteral("last");
        QCOMPARE(SplitKeywords(many, keywords), 200001);
        QCOMPARE(many, QStringLiteral("last"));
    }

    void entriesMatchOnTheWholePath_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("match");
        QTest::newRow("same case") << "cat.jpg"
                                   << "cat" << true;
        QTest::newRow("entry upper case") << "CAT.JPG"
                                          << "cat" << true;
        QTest::newRow("typed upper case") << "Cat.jpg"
                                          << "CAT" << true;
        QTest::newRow("inside a word") << "concatenate.jpg"
                                       << "cat" << true;
        QTest::newRow("in a folder name") << "Pets\\Cats\\tom.gif"
                                          << "cat" << true;
        QTest::newRow("in a deep folder") << "Old\\Wildcats\\2001\\x.bmp"
                                          << "cat" << true;
        QTest::newRow("across folder and name") << "Cats\\tom.gif"
                                                << "cats\\tom" << true;
        QTest::newRow("absent") << "dog.jpg"
                                << "cat" << false;
        QTest::newRow("extension only") << "dog.jpg"
                                        << "jpg" << true;
        QTest::newRow("other extension") << "dog.gif"
                                         << "jpg" << false;
        QTest::newRow("dot and extension") << "jpg_collection.gif"
                                           << ".jpg" << false;
        QTest::newRow("two: both") << "red_car.jpg"
                                   << "red car" << true;
        QTest::newRow("two: one missing") << "red_boat.jpg"
                                          << "red car" << false;
        QTest::newRow("two: order") << "red_car.jpg"
                                    << "car red" << true;
        QTest::newRow("two: same word twice") << "red.jpg"
                                              << "red red" << true;
        QTest::newRow("three: all") << "Holiday\\Red Car.jpg"
                                    << "red car holiday" << true;
        QTest::newRow("three: other order") << "Holiday\\Red Car.jpg"
                                            << "holiday car red" << true;
        QTest::newRow("three: one missing") << "Holiday\\Red Boat.jpg"
                                            << "red car holiday" << false;
        QTest::newRow("overlapping words") << "scarlet.jpg"
                                           << "scar car" << true;
        QTest::newRow("tab is part of the word") << "red car.jpg"
                                                 << "red\tcar" << false;
        QTest::newRow("punctuation is part of the word") << "red car.jpg"
                                                         << "red," << false;
        QTest::newRow("non-ascii case")
            << QString::fromUtf8("\u00c4pfel.jpg") << QString::fromUtf8("\u00c4PFEL") << true;
    }
    void entriesMatchOnTheWholePath() {
        QFETCH(QString, entry);
        QFETCH(QString, typed);
        QFETCH(bool, match);
        QCOMPARE(matches(entry, typed), match);
    }

    void noKeywordMatchesNothingAndOnlyThreeAreTested() {
        const KeywordArray keywords{"", "a", "b", "c", "zzz", "zzz"};
        QVERIFY(!EntryMatches(QStringLiteral("abc.jpg"), keywords, 0));
        QVERIFY(EntryMatches(QStringLiteral("abc.jpg"), keywords, 3));
        QVERIFY(EntryMatches(QStringLiteral("abc.jpg"), keywords, 5));
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
        int count = 0;
        const auto keywords = keywordsOf(QStringLiteral("Cat"), &count);

        QCOMPARE(CompactMatches(catalogue, 40, keywords, count), 5);
        QCOMPARE(entriesOf(catalogue, 5),
                 (QStringList{"Concatenate.jpg", "Pets\\Cats\\tom.gif", "Pets\\Cats\\Felix.jpg",
                              "wildcat.gif", "Holiday\\CAT nap.bmp"}));
        // Past the matches the old entries stay where they were.
        QCOMPARE(catalogue[6], QStringLiteral("dog6.jpg"));
        QCOMPARE(catalogue[40], QStringLiteral("Holiday\\CAT nap.bmp"));

        // A second search narrows the narrowed catalogue only.
        const auto jpg = keywordsOf(QStringLiteral("jpg"), &count);
        QCOMPARE(CompactMatches(catalogue, 5, jpg, count), 2);
        QCOMPARE(entriesOf(catalogue, 2),
                 (QStringList{"Concatenate.jpg", "Pets\\Cats\\Felix.jpg"}));

        // No match moves nothing.
        const auto before = catalogue;
        const auto zebra = keywordsOf(QStringLiteral("zebra"), &count);
        QCOMPARE(CompactMatches(catalogue, 40, zebra, count), 0);
        QCOMPARE(catalogue, before);
    }

    void countsOutsideTheCatalogueAreHeldToIt() {
        // Index 0 is not an entry; the count may claim more than the catalogue holds.
        auto catalogue = catalogueOf({"a.jpg", "b.jpg", "c.jpg"});
        catalogue[0] = QStringLiteral("zero.jpg");
        int count = 0;
        const auto keywords = keywordsOf(QStringLiteral("jpg"), &count);
        QCOMPARE(CompactMatches(catalogue, 10001, keywords, count), 3);
        QCOMPARE(CompactMatches(catalogue, -5, keywords, count), 0);
        QCOMPARE(CompactMatches(catalogue, 0, keywords, count), 0);
        QCOMPARE(catalogue[0], QStringLiteral("zero.jpg"));
        std::vector<QString> none;
        QCOMPARE(CompactMatches(none, 3, keywords, count), 0);
    }

    void fileNamePartFollowsTheLastBackslash_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("name");
        QTest::newRow("top level") << "tom.gif"
                                   << "tom.gif";
        QTest::newRow("one folder") << "Cats\\tom.gif"
                                    << "tom.gif";
        QTest::newRow("two folders") << "Pets\\Cats\\tom gif.jpg"
                                     << "tom gif.jpg";
        QTest::newRow("slash is not a separator") << "a/b.jpg"
                                                  << "a/b.jpg";
        QTest::newRow("empty") << ""
                               << "";
    }
    void fileNamePartFollowsTheLastBackslash() {
        QFETCH(QString, entry);
        QFETCH(QString, name);
        QCOMPARE(FileNamePart(entry), name);
    }
};

QTEST_APPLESS_MAIN(TestSearchRules)
#include "tst_search_rules.moc"
