// The Search and Reset buttons with the search dialog, through the real windows.

#include "search_cd.h"

#include "mainwindow/search_rules.h"
#include "platform/desktop/services.h"
#include "platform/runtime/twips.h"

#include <QTest>

namespace {

// The messages shown; every one must be OK only with the program's own title.
QStringList prompts() {
    QStringList out;
    for (const RecordedMessage &m : RecordedMessages())
        out << (m.style == platform::vbOKOnly && m.title.isEmpty() ? m.prompt : "(style)");
    return out;
}

bool openAndAnswer(const std::function<void(Form4 &)> &drive) {
    return WhileModal<Form4>([] { QTest::mouseClick(Instance<Form1>().Command6, Qt::LeftButton); },
                             drive);
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
    }

    void dialogOpensEmptyBesideTheButtons() {
        Form1 &main = Instance<Form1>();
        g.SearchString = QStringLiteral("left over");
        QVERIFY(openAndAnswer([&](Form4 &dialog) {
            QCOMPARE(dialog.size(), QSize(platform::ToPixels(2970), platform::ToPixels(1455)));
            const float dx = platform::WindowLeft(&dialog) - platform::WindowLeft(&main);
            const float dy = platform::WindowTop(&dialog) - platform::WindowTop(&main);
            QVERIFY(qAbs(dx - 330) <= platform::TwipsPerPixel());
            QVERIFY(qAbs(dy - 4350) <= platform::TwipsPerPixel());
            QCOMPARE(dialog.focusWidget(), dialog.Text1);
            QCOMPARE(ButtonStates(main), QList<bool>(6, false));
            QCOMPARE(g.SearchString, QString());
            QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowTitleHint));
            QCOMPARE(dialog.Frame1->title(), QStringLiteral("Enter search string"));
            QCOMPARE(dialog.Command1->text() + dialog.Command2->text(),
                     QStringLiteral("&OK&Cancel"));
            QTest::mouseClick(dialog.Command2, Qt::LeftButton);
        }));
        // Cancel: nothing searched, buttons back.
        QCOMPARE(ButtonStates(main), QList<bool>(6, true));
        QCOMPARE(Catalogue(), full_);
        QVERIFY(RecordedMessages().isEmpty());
    }

    void searchNarrowsAndResetBringsAllBack() {
        Form1 &main = Instance<Form1>();
        QVERIFY(SearchFor(QStringLiteral("Cat")));
        QStringList cats, names; // in the catalogue's order
        for (const QString &entry : full_) {
            if (SearchCdCats().contains(entry)) {
                cats << entry;
                names << entry.section('\\', -1);
            }
        }
        QCOMPARE(Catalogue(), cats);
        QCOMPARE(ListRows(main), names);
        QCOMPARE(g.ImageCount, 5);
        QCOMPARE(g.CurrentIndex, 1);
        QCOMPARE(main.List1->ListIndex(), 0);

        // A second search looks at the five only.
        QVERIFY(SearchFor(QStringLiteral("jpg")));
        QCOMPARE(ListRows(main), (QStringList{"Concatenate.jpg", "Felix.jpg"}));
        QCOMPARE(CatalogueEntry(2), QStringLiteral("Pets\\Cats\\Felix.jpg"));
        QVERIFY(SearchFor(QStringLiteral("dog")));
        QCOMPARE(prompts(), QStringList{"Sorry, no match was found"});
        QCOMPARE(g.ImageCount, 2);

        // Reset rereads the settings, rescans the folder and replays the sound, with the buttons
        // left alone throughout.
        cd_->writeFile("orvane.ini", "x\r\n9\r\nx\r\nx\r\nPets\r\nx\r\n");
        cd_->writePicture("images/Pets/kitten.jpg", 8, 6, "JPG");
        QList<QList<bool>> buttonsAtSound;
        platform::services().playSound = [&](const QString &) {
            buttonsAtSound << ButtonStates(main);
        };
        main.Command7_Click();
        QCOMPARE(g.ImageCount, 41);
        QCOMPARE(main.List1->ListCount(), 41);
        QCOMPARE(main.List1->ListIndex(), 0);
        QCOMPARE(g.CurrentIndex, 1);
        QCOMPARE(main.Label1->text(), QStringLiteral("Pets"));
        QCOMPARE(buttonsAtSound, QList<QList<bool>>{QList<bool>(6, true)});
        QCOMPARE(main.focusWidget(), main.List1);
    }

    void enterInTheTextBoxIsOk_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("keypad enter") << int(Qt::Key_Enter);
    }
    void enterInTheTextBoxIsOk() {
        QFETCH(int, key);
        QVERIFY(openAndAnswer([key](Form4 &dialog) {
            QTest::keyClicks(dialog.Text1, "wild");
            QTest::keyClick(dialog.Text1, Qt::Key(key));
        }));
        QCOMPARE(Catalogue(), QStringList{"wildcat.gif"});
    }

    void rejectedTextKeepsTheDialogOpen_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("textAfter");
        QTest::addColumn<bool>("closed"); // by the system instead of Cancel
        const QString enter = "Please enter search string", three = "Only 3 keywords allowed";
        QTest::newRow("empty") << "" << enter << "" << false;
        QTest::newRow("only spaces") << "    " << enter << "    " << false;
        QTest::newRow("four words") << "red car blue boat" << three << "" << false;
        // The text's last word is still held; the close must not search with it.
        QTest::newRow("four words, closed") << "a b c d jpg" << three << "" << true;
    }
    void rejectedTextKeepsTheDialogOpen() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, textAfter);
        QFETCH(bool, closed);
        QVERIFY(openAndAnswer([&](Form4 &dialog) {
            dialog.Text1->setText(typed);
            dialog.Command1_Click();
            QVERIFY(IsLoaded<Form4>());
            QCOMPARE(dialog.Text1->text(), textAfter);
            if (closed)
                dialog.close();
            else
                dialog.Command2_Click();
        }));
        QCOMPARE(prompts(), QStringList{message});
        QCOMPARE(g.SearchString, QString());
        QCOMPARE(Catalogue(), full_);
    }

    void noMatchChangesNothing() {
        Form1 &main = Instance<Form1>();
        main.List1->SetSelected(7);
        main.Command1->setFocus();
        QVERIFY(SearchFor(QStringLiteral("zebra")));
        QCOMPARE(prompts(), QStringList{"Sorry, no match was found"});
        QCOMPARE(Catalogue(), full_);
        QCOMPARE(main.List1->ListCount(), 40);
        QCOMPARE(main.List1->ListIndex(), 7);
        QCOMPARE(g.CurrentIndex, 8);
        QCOMPARE(main.focusWidget(), main.List1);
        QCOMPARE(ButtonStates(main), QList<bool>(6, true));
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
