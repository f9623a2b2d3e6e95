// The full-screen viewer through the real windows on a 1024 x 768 screen: layout, keys, stepping,
// zoom, the pictures read ahead, the slideshow and the way back to the main window.

#include "app/globals.h"
#include "mainwindow/form1.h"
#include "platform/imaging/lookahead.h"
#include "support/picturefiles.h"
#include "support/testsupport.h"
#include "viewer/dialog.h"
#include "viewer/form2.h"

#include <QApplication>
#include <QFile>
#include <QTest>

namespace {

void Press(QWidget *w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(w, key, mods);
    ShowReads();
}

// The main window on exactly these catalogue entries, picture 1 current.
Form1 &LoadMainWindow(const QStringList &entries) {
    Form1 &main = Instance<Form1>();
    main.List1->Clear();
    g.ImageArray.fill(QString());
    g.ImageCount = 0;
    for (const QString &entry : entries) {
        g.ImageArray[size_t(++g.ImageCount)] = entry;
        main.List1->AddItem(entry.section(QLatin1Char('\\'), -1));
    }
    g.CurrentIndex = std::min(g.ImageCount, 1);
    main.List1->SetSelected(0);
    platform::ActivateForm(&main);
    ShowReads();
    return main;
}

// Bitmaps a.bmp, b.bmp, ... in these colours (titles "A", "B", ...) as the catalogue.
Form1 &LoadColours(const TempCd &cd, const QList<QColor> &colours, QSize size = QSize(640, 480)) {
    QStringList entries;
    for (qsizetype i = 0; i < colours.size(); ++i) {
        entries << QChar(char16_t(u'a' + i)) + QStringLiteral(".bmp");
        cd.writePicture("images/" + entries.last(), size.width(), size.height(), "BMP", colours[i]);
    }
    return LoadMainWindow(entries);
}

Form2 &OpenViewer() {
    Instance<Form2>().Show();
    ShowReads();
    return Instance<Form2>();
}

QColor Shown(const Form2 &viewer) {
    return viewer.Image1->Picture().pixelColor(1, 1);
}

// Whether the pop-up menu offers Zoom In; the viewer has activation back afterwards.
bool ZoomInOffered(Form2 &viewer) {
    viewer.Form_MouseDown(Qt::RightButton, QPoint(10, 10));
    const bool offered = viewer.mnuOptions->isVisible() && viewer.mnuOptionsZoomIn->isEnabled();
    viewer.mnuOptions->hide();
    ShowReads();
    platform::ActivateForm(&viewer);
    return offered;
}

} // namespace

class TestViewer : public QObject {
    Q_OBJECT
    std::unique_ptr<TempCd> cd;

  private slots:
    void init() {
        ResetProgram();
        cd = std::make_unique<TempCd>();
    }
    void cleanup() {
        const bool quiet = RecordedMessages().isEmpty(); // nothing here is worth a message box
        ResetProgram();
        // No read of a file may outlive the test's folder.
        platform::DropLookAhead();
        platform::WaitForLookAhead();
        cd.reset();
        QVERIFY(quiet);
    }

    // Modifiers make no difference. A held key steps at every repeat but shows only where it
    // stopped. No pictures at all: the steps set 1 and 0 and nothing loads.
    void stepsWrapAtBothEnds() {
        LoadColours(*cd, {Red, Green, Blue}, QSize(40, 30));
        Form2 &viewer = OpenViewer();
        for (const auto &[key, mods, to] : {std::tuple{Qt::Key_Backspace, Qt::NoModifier, 3},
                                            {Qt::Key_Space, Qt::ShiftModifier, 1},
                                            {Qt::Key_Left, Qt::ControlModifier, 3},
                                            {Qt::Key_Right, Qt::NoModifier, 1},
                                            {Qt::Key_unknown, Qt::NoModifier, 3}}) {
            key == Qt::Key_unknown ? (viewer.mnuOptionsPrevious_Click(), ShowReads())
                                   : Press(&viewer, key, mods);
            QCOMPARE(g.CurrentIndex, to);
            QCOMPARE(Shown(viewer), (QList<QColor>{Red, Green, Blue}[to - 1]));
            QCOMPARE(g.ImageTitle, QStringList({"A", "B", "C"})[to - 1]);
        }
        // The caption on a box of its own, not on the black.
        QCOMPARE(viewer.grab().toImage().pixelColor(viewer.Label1->pos() + QPoint(1, 1)),
                 viewer.Label1->palette().color(QPalette::Window));
        for (int i = 0; i < 8; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(&viewer, &repeat);
        }
        QVERIFY(g.CurrentIndex == 2 && g.ImageTitle == "C");
        ShowReads();
        QVERIFY(g.ImageTitle == "B" && Shown(viewer) == Green);
        ResetProgram();
        LoadMainWindow({});
        Form2 &empty = OpenViewer();
        for (const auto &[key, index] :
             {std::pair{Qt::Key_Right, 1}, {Qt::Key_Left, 0}, {Qt::Key_Left, 0}, {Qt::Key_Up, 0}}) {
            Press(&empty, key);
            QCOMPARE(g.CurrentIndex, index);
        }
        QVERIFY(empty.Picture1.isNull() && empty.Image1->Width() == 0);
    }

    // Arrows zoom whatever the modifiers, "=", "+" and "-" only without Ctrl or Alt; the menu's
    // Zoom In takes the limit from the picture. The zoom lasts through the pop-up menu.
    void zoomKeysMenuAndLimit() {
        LoadColours(*cd, {Red, Green});
        cd->writePicture("images/holiday/PARIS.jpg", 3000, 2400, "JPG");
        LoadMainWindow({"a.bmp", "b.bmp", "holiday\\PARIS.jpg"});
        Form2 &viewer = OpenViewer();
        for (const auto &[key, mods, width, limit] :
             {std::tuple{Qt::Key_Up, Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier),
                         12000.f, 0},
              {Qt::Key_Equal, Qt::ControlModifier, 12000.f, 0},
              {Qt::Key_Up, {}, 15000.f, 0},
              {Qt::Key_Equal, {}, 15360.f, 1},
              {Qt::Key_Plus, {}, 15360.f, 1},
              {Qt::Key_Down, Qt::AltModifier, 12288.f, 0},
              {Qt::Key_Minus, Qt::KeypadModifier, 9830.4f, 0},
              {Qt::Key_Minus, Qt::AltModifier, 9830.4f, 0},
              {Qt::Key_unknown, {}, 12288.f, 0}, // the menu's Zoom In
              {Qt::Key_unknown, {}, 15360.f, 0}}) {
            key == Qt::Key_unknown ? viewer.mnuOptionsZoomIn_Click() : Press(&viewer, key, mods);
            QCOMPARE(ZoomInOffered(viewer), limit == 0);
            QCOMPARE(viewer.Image1->Width(), width);
        }
        // Not through a return from another window or a step; a zoom right after a step works on
        // the new picture's layout.
        platform::ActivateForm(&Instance<Form1>());
        platform::ActivateForm(&viewer);
        ShowReads();
        QCOMPARE(viewer.Image1->Width(), 9600.f);
        Press(&viewer, Qt::Key_Up);
        Press(&viewer, Qt::Key_Right);
        QCOMPARE(viewer.Image1->Width(), 9600.f);
        QTest::keyClick(&viewer, Qt::Key_Left);
        QTest::keyClick(&viewer, Qt::Key_Up);
        ShowReads();
        QCOMPARE(Shown(viewer), Red);
        QCOMPARE(viewer.Image1->Width(), 12000.f);
        // Larger than the screen: fitted, decoded at the size it is drawn at, and can't grow.
        Press(&viewer, Qt::Key_Left);
        const platform::ImageBox &image = *viewer.Image1;
        QCOMPARE(QRectF(image.Left(), image.Top(), image.Width(), image.Height()),
                 QRectF(480, 0, 14400, 11520));
        QCOMPARE(image.Picture().size(), QSize(960, 768));
        QVERIFY(!ZoomInOffered(viewer));
    }

    // The next picture is read ahead and taken over when it is shown, but never as the file was
    // rather than as it is. A missing picture leaves the last one shown.
    void theLookAheadIsTakenOverOnlyForTheFileAsItIs() {
        LoadColours(*cd, {Red, Green, Blue});
        Form2 &viewer = OpenViewer();
        // The look-ahead starts once the picture is painted, or a little later.
        const auto readAhead = [] {
            QTest::qWait(150);
            platform::WaitForLookAhead();
        };
        readAhead();
        const int decoded = platform::DisplaysThatDecoded();
        Press(&viewer, Qt::Key_Right);
        QCOMPARE(Shown(viewer), Green);
        QCOMPARE(platform::DisplaysThatDecoded(), decoded);
        // Removed after it was read ahead: not shown.
        readAhead();
        QVERIFY(QFile::remove(cd->path("images/c.bmp")));
        Press(&viewer, Qt::Key_Right);
        QVERIFY(Shown(viewer) == Green && viewer.Image1->isVisible());
        QVERIFY(viewer.Image1->Width() == 9600.f && viewer.Label1->text() == "  C  ");
        // Written again with other pixels: the new file is what shows.
        readAhead();
        cd->writePicture("images/a.bmp", 640, 480, "BMP", Blue);
        Press(&viewer, Qt::Key_Right);
        QCOMPARE(Shown(viewer), Blue);
        // Nor for another display size.
        platform::LookAhead("images/a.bmp", [](QSize) { return QSize(400, 300); });
        platform::WaitForLookAhead();
        const auto sizeFor = [](QSize) { return QSize(200, 150); };
        QCOMPARE(platform::LoadPictureForDisplay("images/a.bmp", sizeFor)->image.size(),
                 sizeFor({}));
    }

    // Enter opens the viewer over the main window; closed before the stepped-to picture was shown,
    // its title is the one left behind. Closed by the Exit item or the window system (Escape is a
    // real window's), it hands back to the main window on the last picture. The slideshow dialog
    // greys the buttons and opens on five seconds; Cancel starts nothing.
    void theMainWindowOpensTheViewerAndTheShow() {
        for (const auto &[file, colour] : {std::pair{"images/Animals/dog.bmp", Red},
                                           {"images/Sea/waves.bmp", Green},
                                           {"images/sun.bmp", Blue}})
            cd->writePicture(file, 40, 30, "BMP", colour);
        Form1 &main = LoadMainWindow({"Animals\\dog.bmp", "Sea\\WAVES.bmp", "sun.bmp"});
        main.List1->SetSelected(1);
        main.List1->SetFocus();
        QTest::keyClick(main.List1, Qt::Key_Return);
        ShowReads();
        QVERIFY(Instance<Form2>().isVisible() && main.isVisible());
        QCOMPARE(Shown(Instance<Form2>()), Green);
        QTest::keyClick(&Instance<Form2>(), Qt::Key_Right);
        Unload<Form2>();
        QCOMPARE(g.ImageTitle, "Sun");
        for (const bool byMenu : {true, false}) {
            main.List1->SetSelected(0);
            Form2 &viewer = OpenViewer();
            Press(&viewer, Qt::Key_Right);
            g.SlideshowOn = g.SlideshowPaused = 1;
            byMenu ? viewer.mnuOptionsExit_Click() : (void)viewer.close();
            QVERIFY(!IsLoaded<Form2>() && main.isVisible());
            QVERIFY(main.List1->ListIndex() == 1 && g.SlideshowOn + g.SlideshowPaused == 0);
            QCOMPARE(g.ImageTitle, "Waves");
            QTRY_COMPARE(QApplication::focusWidget(), main.List1);
        }
        for (const bool ok : {false, true}) {
            QVERIFY(WhileModal<Dialog>(
                [&] { main.Command4_Click(); },
                [&](Dialog &dialog) {
                    QVERIFY(!main.Command4->isEnabled() && dialog.Option1->isChecked());
                    (ok ? dialog.Option3 : dialog.Option2)->setChecked(true);
                    QTest::mouseClick(ok ? dialog.OKButton : dialog.CancelButton, Qt::LeftButton);
                }));
            QVERIFY(main.Command4->isEnabled() && IsLoaded<Form2>() == ok);
        }
        ShowReads();
        QCOMPARE(g.SlideshowOn, 1);
        QCOMPARE(g.ImageTitle, "Sea\\waves");
        QCOMPARE(Instance<Form2>().Timer1->interval(), 30000);
    }

    // A missing picture is stepped over showing the last one. A right press on the background,
    // the picture or the caption pauses the show, and a restart makes a delay below ten seconds
    // five.
    void slideshowAdvancesPausesAndRestarts() {
        LoadColours(*cd, {Red, Green, Blue}, QSize(40, 30));
        QVERIFY(QFile::remove(cd->path("images/c.bmp")));
        g.CurrentIndex = 2;
        g.SlideshowOn = 1;
        g.SlideshowDelay = 3600000; // the ticks come one at a time from here, on a busy machine too
        Form2 &viewer = OpenViewer();
        const auto now = [&] {
            return g.ImageTitle + QString::number(QList{Red, Green}.indexOf(Shown(viewer)));
        };
        QStringList seen{now()};
        for (int tick = 0; tick < 4; ++tick) {
            viewer.Timer1_Timer();
            ShowReads();
            seen << now();
        }
        QCOMPARE(seen, QStringList({"B1", "C1", "A0", "B1", "C1"}));
        // The timer itself runs the show, at the delay a tick finds: one real tick follows.
        g.SlideshowDelay = 40;
        viewer.Timer1_Timer();
        QCOMPARE(viewer.Timer1->interval(), 40);
        g.SlideshowDelay = 3600000;
        QTRY_COMPARE(g.ImageTitle, "B");
        for (const auto &[target, delay, restarted] :
             {std::tuple<QWidget *, int, int>{&viewer, 40, 5000},
              {viewer.Image1, 10000, 10000},
              {viewer.Label1, 9999, 5000}}) {
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(2, 2));
            QCOMPARE(g.SlideshowOn, 1);
            QTest::mousePress(target, Qt::RightButton, {}, QPoint(2, 2));
            QVERIFY(g.SlideshowPaused == 1 && g.SlideshowOn == 0 && viewer.mnuOptions->isVisible());
            viewer.mnuOptions->hide();
            QTest::mouseRelease(target, Qt::RightButton, {}, QPoint(2, 2));
            g.SlideshowDelay = delay;
            viewer.mnuOptionsSlideshow_Click();
            QCOMPARE(g.SlideshowDelay, restarted);
            QVERIFY(g.SlideshowOn == 1 && g.SlideshowPaused == 0 &&
                    viewer.Timer1->interval() == 5000);
        }
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
