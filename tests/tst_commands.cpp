// The main window's command buttons and clickable elements, through the real windows.

#include "search_cd.h"

#include "viewer/dialog.h"
#include "viewer/form2.h"

#include <QTest>

namespace {
const QList<bool> AllOn(6, true);
const QList<bool> AllOff(6, false);
} // namespace

class TestCommands : public QObject {
    Q_OBJECT
    TempCd *cd_ = nullptr;

  private slots:
    void init() {
        ResetProgram();
        cd_ = new TempCd;
        WriteSearchCd(*cd_);
        StartMainWindow();
    }
    void cleanup() {
        Unload<Dialog>();
        ResetProgram();
        delete cd_;
        cd_ = nullptr;
    }

    // Cancelling the slideshow's delay dialog (the search dialog's greying is in tst_search).
    void slideshowDialogGreysTheButtonsWhileOpen() {
        Form1 &main = Instance<Form1>();
        QList<bool> during;
        QVERIFY(WhileModal<Dialog>([&] { QTest::mouseClick(main.Command4, Qt::LeftButton); },
                                   [&](Dialog &) {
                                       during = ButtonStates(main);
                                       Unload<Dialog>();
                                   }));
        QCOMPARE(during, AllOff);
        QCOMPARE(ButtonStates(main), AllOn);
        QVERIFY(main.isVisible());
        QVERIFY(!IsLoaded<Form2>());
        QCOMPARE(g.SlideshowOn, 0);
    }

    void buttonsComeBackOnTheHiddenWindowAfterASlideshowStarts() {
        // The delay dialog's OK opens the viewer and hides the main window before it unloads.
        Form1 &main = Instance<Form1>();
        const bool closed = WhileModal<Dialog>([&] { main.Command4_Click(); },
                                               [&](Dialog &) {
                                                   Instance<Form2>().Show();
                                                   main.hide();
                                                   Unload<Dialog>();
                                               });
        QVERIFY(closed);
        QVERIFY(!main.isVisible());
        QCOMPARE(ButtonStates(main), AllOn);
    }

    void viewerOpensAndTheMainWindowHides_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("current"); // CurrentIndex the viewer opens on
        QTest::newRow("view button") << "view" << 3;
        QTest::newRow("preview") << "image" << 3;
        QTest::newRow("preview frame") << "picture" << 3;
        QTest::newRow("double-click on row 6") << "double-click" << 7;
    }
    void viewerOpensAndTheMainWindowHides() {
        QFETCH(QString, how);
        QFETCH(int, current);
        Form1 &main = Instance<Form1>();
        main.List1->SetSelected(2);
        if (how == QLatin1String("view")) {
            QTest::mouseClick(main.Command1, Qt::LeftButton);
        } else if (how == QLatin1String("image")) {
            QTest::mouseClick(main.Image1, Qt::LeftButton, {}, QPoint(5, 5));
        } else if (how == QLatin1String("picture")) {
            QTest::mouseClick(main.Picture1, Qt::LeftButton, {},
                              QPoint(main.Picture1->width() - 2, main.Picture1->height() - 2));
        } else {
            QWidget *rows = main.List1->viewport();
            const QPoint at = main.List1->visualRect(main.List1->model()->index(6, 0)).center();
            QTest::mouseClick(rows, Qt::LeftButton, {}, at);
            QTest::mouseDClick(rows, Qt::LeftButton, {}, at);
        }
        QVERIFY(IsLoaded<Form2>());
        QVERIFY(!main.isVisible());
        QCOMPARE(g.CurrentIndex, current);
        // View never greys the buttons.
        QCOMPARE(ButtonStates(main), AllOn);
    }

    void viewAfterASearchShowsTheNarrowedCatalogue() {
        Form1 &main = Instance<Form1>();
        QVERIFY(SearchFor(QStringLiteral("cats")));
        QCOMPARE(g.ImageCount, 2);
        main.List1->SetSelected(1);
        main.Command1_Click();
        QVERIFY(IsLoaded<Form2>());
        QVERIFY(!main.isVisible());
        QCOMPARE(g.CurrentIndex, 2);
        QCOMPARE(CatalogueEntry(g.CurrentIndex), QStringLiteral("Pets\\Cats\\Felix.jpg"));
        QCOMPARE(g.ImageCount, 2);
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
