// The slideshow: the delay dialog, the timer, the pause on a right click and the pop-up menu.

#include "platform/twips.h"
#include "support/testsupport.h"
#include "viewer/dialog.h"
#include "viewer_fixture.h"

#include <QApplication>
#include <QTest>

namespace {

void WriteThree(const TempCd &cd) {
    cd.writePicture("images/one.bmp", 40, 30, "BMP", QColor(200, 0, 0));
    cd.writePicture("images/two.bmp", 40, 30, "BMP", QColor(0, 200, 0));
    cd.writePicture("images/three.bmp", 40, 30, "BMP", QColor(0, 0, 200));
}

const QStringList Three = {"one.bmp", "two.bmp", "three.bmp"};

} // namespace

class TestViewerSlideshow : public QObject {
    Q_OBJECT
  private slots:
    void init() { ResetProgram(); }
    void cleanup() {
        Unload<Dialog>();
        ResetProgram();
        QuietWorker();
    }

    void dialogDesign() {
        Dialog &dialog = Instance<Dialog>();
        dialog.show();
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
        QCOMPARE(dialog.Option1->geometry(),
                 QRect(platform::ToPixels(300), platform::ToPixels(240), platform::ToPixels(1215),
                       platform::ToPixels(195)));
        QCOMPARE(dialog.OKButton->geometry().topLeft(),
                 QPoint(platform::ToPixels(2040), platform::ToPixels(360)));
        QVERIFY(dialog.Option1->isChecked());
        // Tab order: OK, Cancel, the frame, then the options from 30 down to 5.
        QList<QWidget *> chain;
        for (QWidget *w = dialog.OKButton; chain.size() < 6; w = w->nextInFocusChain())
            chain << w;
        QCOMPARE(chain, (QList<QWidget *>{dialog.OKButton, dialog.CancelButton, dialog.Frame1,
                                          dialog.Option3, dialog.Option2, dialog.Option1}));
        QTRY_COMPARE(QApplication::focusWidget(), dialog.OKButton);
    }

    void dialogAlwaysOpensOnFiveSeconds() {
        Instance<Dialog>().Option3->setChecked(true);
        Unload<Dialog>();
        QVERIFY(Instance<Dialog>().Option1->isChecked());
    }

    void okStartsTheShowOnTheSelectedPicture_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("delay");
        QTest::newRow("5") << 1 << 5000;
        QTest::newRow("15") << 2 << 15000;
        QTest::newRow("30") << 3 << 30000;
    }
    void okStartsTheShowOnTheSelectedPicture() {
        QFETCH(int, option);
        QFETCH(int, delay);
        TempCd cd;
        WriteThree(cd);
        Form1 &main = LoadMainWindow(Three);
        main.List1->SetSelected(1);
        // Shown modally as the main window's button does; answered from inside its loop.
        QTimer::singleShot(0, [option] {
            Dialog &dialog = Instance<Dialog>();
            QRadioButton *choice[] = {dialog.Option1, dialog.Option2, dialog.Option3};
            choice[option - 1]->setChecked(true);
            QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        });
        ShowModal<Dialog>();
        QVERIFY(!IsLoaded<Dialog>());
        QCOMPARE(g.SlideshowOn, 1);
        QCOMPARE(g.SlideshowPaused, 0);
        QCOMPARE(g.SlideshowDelay, delay);
        QVERIFY(IsLoaded<Form2>());
        Form2 &viewer = Instance<Form2>();
        QVERIFY(viewer.isVisible());
        QVERIFY(!main.isVisible());
        QCOMPARE(g.CurrentIndex, 2);
        QCOMPARE(g.ImageTitle, QStringLiteral("Two"));
        QVERIFY(viewer.Timer1->isActive());
        QCOMPARE(viewer.Timer1->interval(), delay);
    }

    void cancelChangesNothing() {
        TempCd cd;
        WriteThree(cd);
        Form1 &main = LoadMainWindow(Three);
        QTimer::singleShot(0, [] {
            Instance<Dialog>().Option2->setChecked(true);
            QTest::mouseClick(Instance<Dialog>().CancelButton, Qt::LeftButton);
        });
        ShowModal<Dialog>();
        QVERIFY(!IsLoaded<Dialog>());
        QVERIFY(!IsLoaded<Form2>());
        QVERIFY(main.isVisible());
        QCOMPARE(g.SlideshowOn, 0);
        QCOMPARE(g.SlideshowDelay, 0);
    }

    void timerAdvancesWrapsAndNeverEnds() {
        TempCd cd;
        WriteThree(cd);
        LoadMainWindow(Three);
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
        QCOMPARE(seen, QStringList({"Two", "Three", "One", "Two", "Three"}));
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
        TempCd cd;
        WriteThree(cd);
        LoadMainWindow(Three);
        g.SlideshowOn = 1;
        g.SlideshowDelay = 30;
        Form2 &viewer = OpenViewer();
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
        TempCd cd;
        WriteThree(cd);
        LoadMainWindow(Three);
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
        TempCd cd;
        WriteThree(cd);
        LoadMainWindow(Three);
        g.SlideshowOn = 1;
        g.SlideshowDelay = 30;
        Form2 &viewer = OpenViewer();
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
        TempCd cd;
        WriteThree(cd);
        LoadMainWindow(Three);
        Form2 &viewer = OpenViewer();
        QStringList captions;
        for (QAction *a : viewer.mnuOptions->actions())
            captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions,
                 QStringList({" <<  Orvane Options  >>", "-", "&Next Image", "&Previous Image",
                              "Sli&deshow", "-", "&Zoom In", "Zoo&m Out", "-", "&Save Image As...",
                              "Set Desktop &Wallpaper", "&Open With...", "-", "E&xit"}));
        QCOMPARE(captions.first().size(), 23);
        QVERIFY(!viewer.mnuOptionsTitle->isEnabled());
        QCOMPARE(viewer.mnuOptions->title(), QStringLiteral("&Options"));
    }

    void menuWithoutAShowAndZoomInAtTheLimit() {
        TempCd cd;
        cd.writePicture("images/small.bmp", 320, 240, "BMP");
        cd.writePicture("images/large.bmp", 1100, 800, "BMP");
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
        TempCd cd;
        cd.writePicture("images/one.bmp", 40, 30, "BMP", QColor(200, 0, 0));
        cd.writePicture("images/three.bmp", 40, 30, "BMP", QColor(0, 0, 200));
        LoadMainWindow(Three);
        g.SlideshowOn = 1;
        g.SlideshowDelay = 30;
        Form2 &viewer = OpenViewer();
        QTRY_COMPARE(g.ImageTitle, QStringLiteral("Two"));
        QCOMPARE(viewer.Image1->Picture().pixelColor(1, 1), QColor(200, 0, 0));
        QTRY_COMPARE(g.ImageTitle, QStringLiteral("Three"));
        QCOMPARE(viewer.Image1->Picture().pixelColor(1, 1), QColor(0, 0, 200));
        QVERIFY(RecordedMessages().isEmpty());
    }
};

QTEST_MAIN(TestViewerSlideshow)
#include "tst_viewer_slideshow.moc"
