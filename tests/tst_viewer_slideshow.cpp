// The slideshow: the delay dialog, the timer, the pause on a right click and the pop-up menu.

#include "platform/runtime/twips.h"
#include "viewer/dialog.h"
#include "viewer_fixture.h"

#include <QApplication>
#include <QTest>

namespace {

const QColor Red(200, 0, 0), Green(0, 200, 0), Blue(0, 0, 200);

// Three small pictures A, B, C; the viewer opened on them with a show running at this delay.
Form2 &ShowThree(const TempCd &cd, int delay = 30) {
    LoadColours(cd, {Red, Green, Blue}, QSize(40, 30));
    g.SlideshowOn = delay ? 1 : 0;
    g.SlideshowDelay = delay;
    return OpenViewer();
}

} // namespace

class TestViewerSlideshow : public QObject {
    Q_OBJECT
    std::unique_ptr<TempCd> cd;

  private slots:
    void init() {
        ResetProgram();
        cd = std::make_unique<TempCd>();
    }
    void cleanup() {
        Unload<Dialog>();
        ResetProgram();
        QuietWorker();
        cd.reset();
    }

    void dialogDesignAlwaysOnFiveSeconds() {
        Instance<Dialog>().Option3->setChecked(true);
        Unload<Dialog>();
        Dialog &dialog = Instance<Dialog>();
        dialog.show();
        QVERIFY(dialog.Option1->isChecked());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Slideshow Delay"));
        QVERIFY(!dialog.windowIcon().isNull());
        QCOMPARE(dialog.size(), QSize(platform::ToPixels(3210), platform::ToPixels(1560)));
        QCOMPARE(dialog.Frame1->title(), QStringLiteral("Select"));
        QCOMPARE(dialog.Option1->text(), QStringLiteral("  5 Seconds"));
        QCOMPARE(dialog.Option2->text(), QStringLiteral("15 Seconds"));
        QCOMPARE(dialog.Option3->text(), QStringLiteral("30 Seconds"));
        QCOMPARE(dialog.OKButton->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.CancelButton->text(), QStringLiteral("Cancel"));
        QCOMPARE(dialog.Option1->parentWidget(), dialog.Frame1);
        // Tab order: OK, Cancel, the frame, then the options from 30 down to 5.
        QList<QWidget *> chain;
        for (QWidget *w = dialog.OKButton; chain.size() < 6; w = w->nextInFocusChain())
            chain << w;
        QCOMPARE(chain, (QList<QWidget *>{dialog.OKButton, dialog.CancelButton, dialog.Frame1,
                                          dialog.Option3, dialog.Option2, dialog.Option1}));
        QTRY_COMPARE(QApplication::focusWidget(), dialog.OKButton);
    }

    void okStartsTheShowOnTheSelectedPicture_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("delay"); // 0: Cancel instead of OK
        QTest::newRow("5") << 1 << 5000;
        QTest::newRow("15") << 2 << 15000;
        QTest::newRow("30") << 3 << 30000;
        QTest::newRow("Cancel changes nothing") << 2 << 0;
    }
    void okStartsTheShowOnTheSelectedPicture() {
        QFETCH(int, option);
        QFETCH(int, delay);
        Form1 &main = LoadColours(*cd, {Red, Green, Blue}, QSize(40, 30));
        main.List1->SetSelected(1);
        // Shown modally as the main window's button does; answered from inside its loop.
        QTimer::singleShot(0, [option, delay] {
            Dialog &dialog = Instance<Dialog>();
            QRadioButton *choice[] = {dialog.Option1, dialog.Option2, dialog.Option3};
            choice[option - 1]->setChecked(true);
            QTest::mouseClick(delay ? dialog.OKButton : dialog.CancelButton, Qt::LeftButton);
        });
        ShowModal<Dialog>();
        QVERIFY(!IsLoaded<Dialog>());
        QCOMPARE(g.SlideshowOn, delay ? 1 : 0);
        QCOMPARE(g.SlideshowPaused, 0);
        QCOMPARE(g.SlideshowDelay, delay);
        QCOMPARE(IsLoaded<Form2>(), delay != 0);
        QCOMPARE(main.isVisible(), delay == 0);
        if (!delay)
            return;
        Form2 &viewer = Instance<Form2>();
        QVERIFY(viewer.isVisible());
        QCOMPARE(g.CurrentIndex, 2);
        QCOMPARE(g.ImageTitle, QStringLiteral("B"));
        QVERIFY(viewer.Timer1->isActive());
        QCOMPARE(viewer.Timer1->interval(), delay);
    }

    void timerAdvancesWrapsAndNeverEnds() {
        LoadColours(*cd, {Red, Green, Blue}, QSize(40, 30));
        g.CurrentIndex = 2;
        g.SlideshowOn = 1;
        g.SlideshowDelay = 40; // a short delay instead of seconds
        Form2 &viewer = OpenViewer();
        QStringList seen;
        QDeadlineTimer deadline(10000);
        while (seen.size() < 5 && !deadline.hasExpired()) {
            QTest::qWait(5);
            if (seen.isEmpty() || seen.last() != g.ImageTitle)
                seen << g.ImageTitle;
        }
        QCOMPARE(seen, QStringList({"B", "C", "A", "B", "C"}));
        QCOMPARE(viewer.Timer1->interval(), 40);
    }

    void rightClickPausesAndOpensTheMenu_data() {
        QTest::addColumn<int>("where"); // 0 background, 1 picture, 2 caption
        QTest::newRow("background") << 0;
        QTest::newRow("picture") << 1;
        QTest::newRow("caption") << 2;
    }
    void rightClickPausesAndOpensTheMenu() {
        QFETCH(int, where);
        Form2 &viewer = ShowThree(*cd);
        QWidget *target[] = {&viewer, viewer.Image1, viewer.Label1};
        const QPoint inside = where == 0 ? QPoint(5, 5) : QPoint(2, 2);
        // A left press does nothing.
        QTest::mouseClick(target[where], Qt::LeftButton, {}, inside);
        QCOMPARE(g.SlideshowOn, 1);
        QVERIFY(!viewer.mnuOptions->isVisible());

        QTest::mousePress(target[where], Qt::RightButton, {}, inside);
        QCOMPARE(g.SlideshowOn, 0);
        QCOMPARE(g.SlideshowPaused, 1);
        QCOMPARE(viewer.mnuOptionsSlideshow->text(),
                 QStringLiteral("Slideshow (Paused)... Restart"));
        QVERIFY(viewer.mnuOptions->isVisible());
        // Ticks while the menu is open do nothing.
        const int index = g.CurrentIndex;
        QTest::qWait(150);
        QCOMPARE(g.CurrentIndex, index);
        viewer.mnuOptions->hide();
        QTest::mouseRelease(target[where], Qt::RightButton, {}, inside);

        // Restart: the caption changes and a short delay becomes five seconds.
        viewer.mnuOptionsSlideshow_Click();
        QCOMPARE(g.SlideshowOn, 1);
        QCOMPARE(g.SlideshowPaused, 0);
        QCOMPARE(viewer.mnuOptionsSlideshow->text(), QStringLiteral("Slideshow"));
        QCOMPARE(g.SlideshowDelay, 5000);
        QCOMPARE(viewer.Timer1->interval(), 5000);
    }

    void menuItemKeepsALongerDelay_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("never chosen") << 0 << 5000;
        QTest::newRow("5 s") << 5000 << 5000;
        QTest::newRow("15 s") << 15000 << 15000;
        QTest::newRow("30 s") << 30000 << 30000;
    }
    void menuItemKeepsALongerDelay() {
        QFETCH(int, before);
        QFETCH(int, after);
        LoadColours(*cd, {Red, Green, Blue}, QSize(40, 30));
        g.SlideshowDelay = before;
        Form2 &viewer = OpenViewer();
        viewer.mnuOptionsSlideshow_Click();
        QCOMPARE(g.SlideshowOn, 1);
        QCOMPARE(g.SlideshowDelay, after);
        QVERIFY(viewer.Timer1->isActive());
        QCOMPARE(viewer.Timer1->interval(), after);
        QCOMPARE(viewer.mnuOptionsSlideshow->text(), QStringLiteral("Sli&deshow"));
    }

    void closingEndsTheShowAndTheViewerComesBackFresh() {
        Form2 &viewer = ShowThree(*cd);
        viewer.Form_MouseDown(Qt::RightButton, QPoint(1, 1));
        viewer.mnuOptions->hide();
        QTest::keyClick(&viewer, Qt::Key_Escape);
        QCOMPARE(g.SlideshowOn, 0);
        QCOMPARE(g.SlideshowPaused, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        Form2 &again = OpenViewer();
        QCOMPARE(again.mnuOptionsSlideshow->text(), QStringLiteral("Sli&deshow"));
        const int index = g.CurrentIndex;
        QTest::qWait(150);
        QCOMPARE(g.CurrentIndex, index);
    }

    void menuHasFourteenEntries() {
        Form2 &viewer = ShowThree(*cd, 0);
        QStringList captions;
        for (QAction *a : viewer.mnuOptions->actions())
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions,
                 QStringList({" <<  Orvane Options  >>", "-", "&Next Image", "&Previous Image",
                              "Sli&deshow", "-", "&Zoom In", "Zoo&m Out", "-", "&Save Image As...",
                              "Set Desktop &Wallpaper", "&Open With...", "-", "E&xit"}));
        QVERIFY(!viewer.mnuOptionsTitle->isEnabled());
        QCOMPARE(viewer.mnuOptions->title(), QStringLiteral("&Options"));
    }

    void menuWithoutAShowAndZoomInAtTheLimit() {
        cd->writePicture("images/small.bmp", 320, 240, "BMP");
        cd->writePicture("images/large.bmp", 1100, 800, "BMP");
        LoadMainWindow({"small.bmp", "large.bmp"});
        Form2 &viewer = OpenViewer();
        // No show running: the menu opens and nothing else changes.
        viewer.Form_MouseDown(Qt::RightButton, QPoint(1, 1));
        QVERIFY(viewer.mnuOptions->isVisible());
        QVERIFY(viewer.mnuOptionsZoomIn->isEnabled());
        QCOMPARE(viewer.mnuOptionsSlideshow->text(), QStringLiteral("Sli&deshow"));
        QCOMPARE(g.SlideshowOn, 0);
        QCOMPARE(g.SlideshowPaused, 0);
        viewer.mnuOptions->hide();
        viewer.mnuOptionsNext->trigger();
        QCOMPARE(g.CurrentIndex, 2);
        viewer.Label1_MouseDown(Qt::RightButton, QPoint(1, 1));
        QVERIFY(!viewer.mnuOptionsZoomIn->isEnabled());
        viewer.mnuOptions->hide();
        viewer.mnuOptionsZoomOut->trigger();
        viewer.Form_MouseDown(Qt::RightButton, QPoint(1, 1));
        QVERIFY(viewer.mnuOptionsZoomIn->isEnabled());
        viewer.mnuOptions->hide();
    }

    void missingPictureDuringAShowDoesNotStopIt() {
        LoadColours(*cd, {Red, Green, Blue}, QSize(40, 30));
        QVERIFY(QFile::remove(cd->path("images/b.bmp")));
        g.SlideshowOn = 1;
        g.SlideshowDelay = 30;
        Form2 &viewer = OpenViewer();
        QTRY_COMPARE(g.ImageTitle, QStringLiteral("B"));
        QCOMPARE(Shown(viewer), Red);
        QTRY_COMPARE(g.ImageTitle, QStringLiteral("C"));
        QCOMPARE(Shown(viewer), Blue);
        QVERIFY(RecordedMessages().isEmpty());
    }
};

QTEST_MAIN(TestViewerSlideshow)
#include "tst_viewer_slideshow.moc"
