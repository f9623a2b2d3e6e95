// The Search and Reset buttons with the search dialog, through the real windows.

#include "search_cd.h"

#include "mainwindow/search_rules.h"
#include "platform/services.h"
#include "platform/twips.h"

#include <QApplication>
#include <QTest>

namespace {

// The entries of the catalogue as it was, in its order, that are among the wanted ones.
QStringList inOrder(const QStringList &catalogue, const QStringList &wanted) {
    QStringList out;
    for (const QString &entry : catalogue)
        if (wanted.contains(entry))
            out << entry;
    return out;
}

QStringList fileNames(const QStringList &entries) {
    QStringList out;
    for (const QString &entry : entries)
        out << FileNamePart(entry);
    return out;
}

QStringList prompts() {
    QStringList out;
    for (const RecordedMessage &m : RecordedMessages()) {
        // Every message is OK only, with the program's own title.
        if (m.style != platform::vbOKOnly || !m.title.isEmpty())
            out << QStringLiteral("(wrong style) ") + m.prompt;
        else
            out << m.prompt;
    }
    return out;
}

bool allButtons(const Form1 &main, bool enabled) {
    for (const QPushButton *b :
         {main.Command1, main.Command2, main.Command4, main.Command5, main.Command6, main.Command7})
        if (b->isEnabled() != enabled)
            return false;
    return true;
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
    TempCd *cd_ = nullptr;
    QStringList full_; // the catalogue after start-up

  private slots:
    void init() {
        ResetProgram();
        cd_ = new TempCd;
        WriteSearchCd(*cd_);
        StartMainWindow();
        full_ = Catalogue();
        QCOMPARE(full_.size(), 40);
    }
    void cleanup() {
        ResetProgram();
        delete cd_;
        cd_ = nullptr;
    }

    void dialogOpensEmptyBesideTheButtons() {
        Form1 &main = Instance<Form1>();
        g.SearchString = QStringLiteral("left over");
        struct Seen {
            QSize size;
            float dx = 0, dy = 0;
            bool titleBar = true, frameless = true, caretInText = false, buttonsOff = false;
            QString heading, ok, cancel, text, searchString;
        } seen;
        const bool closed = WhileModal<Form4>(
            [&] { main.Command6_Click(); },
            [&](Form4 &dialog) {
                seen.size = dialog.size();
                seen.dx = platform::WindowLeft(&dialog) - platform::WindowLeft(&main);
                seen.dy = platform::WindowTop(&dialog) - platform::WindowTop(&main);
                seen.titleBar = dialog.windowFlags().testFlag(Qt::WindowTitleHint);
                seen.frameless = dialog.windowFlags().testFlag(Qt::FramelessWindowHint);
                seen.caretInText = dialog.focusWidget() == dialog.Text1;
                seen.buttonsOff = allButtons(main, false);
                seen.heading = dialog.Frame1->title();
                seen.ok = dialog.Command1->text();
                seen.cancel = dialog.Command2->text();
                seen.text = dialog.Text1->text();
                seen.searchString = g.SearchString;
                dialog.Command2_Click();
            });
        QVERIFY(closed);
        QCOMPARE(seen.size, QSize(platform::ToPixels(2970), platform::ToPixels(1455)));
        QVERIFY(qAbs(seen.dx - 330) <= platform::TwipsPerPixel());
        QVERIFY(qAbs(seen.dy - 4350) <= platform::TwipsPerPixel());
        QVERIFY(!seen.titleBar);
        QVERIFY(!seen.frameless);
        QVERIFY(seen.caretInText);
        QVERIFY(seen.buttonsOff);
        QCOMPARE(seen.heading, QStringLiteral("Enter search string"));
        QCOMPARE(seen.ok, QStringLiteral("&OK"));
        QCOMPARE(seen.cancel, QStringLiteral("&Cancel"));
        QCOMPARE(seen.text, QString());
        QCOMPARE(seen.searchString, QString());
        // Cancel: nothing searched, buttons back.
        QVERIFY(allButtons(main, true));
        QCOMPARE(g.SearchString, QString());
        QCOMPARE(Catalogue(), full_);
        QVERIFY(RecordedMessages().isEmpty());
    }

    void searchNarrowsAndResetBringsAllBack() {
        Form1 &main = Instance<Form1>();
        QVERIFY(SearchFor(QStringLiteral("Cat")));
        const QStringList cats = inOrder(full_, SearchCdCats());
        QCOMPARE(Catalogue(), cats);
        QCOMPARE(ListRows(main), fileNames(cats));
        QCOMPARE(g.ImageCount, 5);
        QCOMPARE(g.MatchCount, 5);
        QCOMPARE(g.CurrentIndex, 1);
        QCOMPARE(main.List1->ListIndex(), 0);
        QVERIFY(allButtons(main, true));

        // A second search looks at the five only.
        QVERIFY(SearchFor(QStringLiteral("jpg")));
        const QStringList catJpgs = inOrder(cats, {"Concatenate.jpg", "Pets\\Cats\\Felix.jpg"});
        QCOMPARE(Catalogue(), catJpgs);
        QCOMPARE(ListRows(main), fileNames(catJpgs));
        QVERIFY(SearchFor(QStringLiteral("dog")));
        QCOMPARE(prompts(), QStringList{"Sorry, no match was found"});
        QCOMPARE(Catalogue(), catJpgs);

        // Reset rereads the settings, rescans the folder and replays the sound, with the buttons
        // left alone throughout.
        cd_->writeFile("orvane.ini", "x\r\n9\r\nx\r\nx\r\nPets\r\nx\r\n");
        cd_->writePicture("images/Pets/kitten.jpg", 8, 6, "JPG");
        int sounds = 0;
        bool buttonsOnDuringReset = true;
        platform::services().playSound = [&](const QString &) {
            ++sounds;
            buttonsOnDuringReset = allButtons(main, true);
        };
        main.Command7_Click();
        QCOMPARE(g.ImageCount, 41);
        QCOMPARE(main.List1->ListCount(), 41);
        QVERIFY(Catalogue().contains(QStringLiteral("Pets\\kitten.jpg")));
        QCOMPARE(main.List1->ListIndex(), 0);
        QCOMPARE(g.CurrentIndex, 1);
        QCOMPARE(main.Label1->text(), QStringLiteral("Pets"));
        QCOMPARE(sounds, 1);
        QVERIFY(buttonsOnDuringReset);
        QCOMPARE(main.focusWidget(), main.List1);
    }

    void keywordsFindEntriesHoldingThemAll_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        const QStringList redCar{"Red Car.jpg"};
        QTest::newRow("two words") << "red car" << redCar;
        QTest::newRow("double space, spaces around") << "   red  car  " << redCar;
        QTest::newRow("other order, upper case") << "CAR RED" << redCar;
        QTest::newRow("three words")
            << "holiday red jpg" << QStringList{"Holiday\\red  sunset.jpg"};
        QTest::newRow("folder name")
            << "cats" << QStringList{"Pets\\Cats\\tom.gif", "Pets\\Cats\\Felix.jpg"};
        QTest::newRow("extension")
            << "bmp" << QStringList{"Blue Car.bmp", "Pets\\bird.bmp", "Holiday\\CAT nap.bmp"};
        QTest::newRow("across folder and name") << "pets\\dog" << QStringList{"Pets\\dog11.jpg"};
    }
    void keywordsFindEntriesHoldingThemAll() {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        QVERIFY(SearchFor(typed));
        QCOMPARE(Catalogue(), inOrder(full_, found));
        QCOMPARE(ListRows(Instance<Form1>()), fileNames(inOrder(full_, found)));
        QVERIFY(RecordedMessages().isEmpty());
    }

    void enterInTheTextBoxIsOk_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("keypad enter") << int(Qt::Key_Enter);
    }
    void enterInTheTextBoxIsOk() {
        QFETCH(int, key);
        const bool closed = WhileModal<Form4>([] { Instance<Form1>().Command6_Click(); },
                                              [key](Form4 &dialog) {
                                                  QTest::keyClicks(dialog.Text1, "wild");
                                                  QTest::keyClick(dialog.Text1, Qt::Key(key));
                                              });
        QVERIFY(closed);
        QCOMPARE(Catalogue(), QStringList{"wildcat.gif"});
    }

    void rejectedTextKeepsTheDialogOpen_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("textAfter");
        QTest::newRow("empty") << ""
                               << "Please enter search string"
                               << "";
        QTest::newRow("only spaces") << "    "
                                     << "Please enter search string"
                                     << "    ";
        QTest::newRow("four words") << "red car blue boat"
                                    << "Only 3 keywords allowed"
                                    << "";
        QTest::newRow("seven words") << "a b c d e f g"
                                     << "Only 3 keywords allowed"
                                     << "";
        QTest::newRow("four with a tab") << "a\tb c d e"
                                         << "Only 3 keywords allowed"
                                         << "";
    }
    void rejectedTextKeepsTheDialogOpen() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, textAfter);
        bool stillOpen = false;
        QString text;
        QStringList seenMessages;
        const bool closed = WhileModal<Form4>([] { Instance<Form1>().Command6_Click(); },
                                              [&](Form4 &dialog) {
                                                  dialog.Text1->setText(typed);
                                                  dialog.Command1_Click();
                                                  stillOpen = IsLoaded<Form4>();
                                                  text = dialog.Text1->text();
                                                  seenMessages = prompts();
                                                  dialog.Command2_Click();
                                              });
        QVERIFY(closed);
        QVERIFY(stillOpen);
        QCOMPARE(text, textAfter);
        QCOMPARE(seenMessages, QStringList{message});
        // Cancel afterwards runs no search.
        QCOMPARE(prompts(), QStringList{message});
        QCOMPARE(Catalogue(), full_);
        QCOMPARE(g.SearchString, QString());
    }

    void noMatchChangesNothing() {
        Form1 &main = Instance<Form1>();
        main.List1->SetSelected(7);
        QCOMPARE(g.CurrentIndex, 8);
        QVERIFY(SearchFor(QStringLiteral("zebra")));
        QCOMPARE(prompts(), QStringList{"Sorry, no match was found"});
        QCOMPARE(g.MatchCount, 0);
        QCOMPARE(Catalogue(), full_);
        QCOMPARE(ListRows(main), fileNames(full_));
        QCOMPARE(main.List1->ListIndex(), 7);
        QCOMPARE(g.CurrentIndex, 8);
        QCOMPARE(main.focusWidget(), main.List1);
        QVERIFY(allButtons(main, true));
    }

    void closingTheDialogOtherwiseIsCancel() {
        // After "Only 3 keywords allowed" the text's last word is still held; a close from the
        // system must not search with it.
        bool closedBySystem = false;
        const bool closed = WhileModal<Form4>([] { Instance<Form1>().Command6_Click(); },
                                              [&](Form4 &dialog) {
                                                  dialog.Text1->setText("a b c d jpg");
                                                  dialog.Command1_Click();
                                                  closedBySystem = dialog.close();
                                              });
        QVERIFY(closed);
        QVERIFY(closedBySystem);
        QCOMPARE(g.SearchString, QString());
        QCOMPARE(prompts(), QStringList{"Only 3 keywords allowed"});
        QCOMPARE(Catalogue(), full_);
        QVERIFY(allButtons(Instance<Form1>(), true));
    }

    void catalogueCountBeyondCapacityIsSafe() {
        // A count past the array must neither crash nor reach beyond it.
        g.ImageArray[CatalogueCapacity] = QStringLiteral("last\\cat.jpg");
        g.ImageCount = CatalogueCapacity + 500;
        g.KeywordCount = 1;
        g.Keywords[1] = QStringLiteral("cat");
        Instance<Form1>().SearchArray();
        QCOMPARE(g.MatchCount, 6);
        QCOMPARE(g.ImageArray[6], QStringLiteral("last\\cat.jpg"));
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
