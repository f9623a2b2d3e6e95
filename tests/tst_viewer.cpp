// The full-screen viewer through the real windows on a 1024 x 768 screen: layout, keys, stepping,
// zoom, the pictures read ahead, the slideshow and the way back to the main window.

#include "app/globals.h"
#include "dialogs/form3.h"
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

const QColor Red(200, 30, 30), Green(30, 200, 30), Blue(30, 30, 200);

// Lets the event queue catch up: a key's display runs once the queue is empty.
void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void Press(QWidget *w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(w, key, mods);
    Settle();
}

// The main window on exactly these catalogue entries, picture 1 current.
Form1 &LoadMainWindow(const QStringList &entries) {
    Form1 &main = Instance<Form1>();
    main.List1->Clear();
    g.ImageArray.fill(QString());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        g.ImageArray[static_cast<size_t>(i + 1)] = entries[i];
        main.List1->AddItem(entries[i].section(QLatin1Char('\\'), -1));
    }
    g.ImageCount = static_cast<int>(entries.size());
    g.CurrentIndex = entries.isEmpty() ? 0 : 1;
    main.List1->SetSelected(0);
    platform::ActivateForm(&main);
    Settle();
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
    Settle();
    return Instance<Form2>();
}

QColor Shown(const Form2 &viewer) {
    return viewer.Image1->Picture().pixelColor(1, 1);
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
        ResetProgram();
        // No read of a file may outlive the test's folder.
        platform::DropLookAhead();
        platform::WaitForLookAhead();
        cd.reset();
    }

    // Fitted to the screen and decoded at the size it is drawn at.
    void layoutOfAWidePicture() {
        cd->writePicture("images/holiday/PARIS.jpg", 2048, 768, "JPG");
        LoadMainWindow({"holiday\\PARIS.jpg"});
        Form2 &viewer = OpenViewer();
        const platform::ImageBox &image = *viewer.Image1;
        QCOMPARE(QRectF(image.Left(), image.Top(), image.Width(), image.Height()),
                 QRectF(0, 2880, 15360, 5760));
        QVERIFY(image.isVisible());
        QCOMPARE(image.Picture().size(), QSize(1024, 384));
        QCOMPARE(viewer.Label1->text(), "  Holiday\\paris  ");
    }

    // Modifiers make no difference.
    void stepsWrapAtBothEnds() {
        LoadColours(*cd, {Red, Green, Blue}, QSize(40, 30));
        for (const auto &[key, mods, from, to] :
             {std::tuple{Qt::Key_Right, Qt::NoModifier, 3, 1},
              {Qt::Key_Space, Qt::ShiftModifier, 3, 1},
              {Qt::Key_unknown, Qt::NoModifier, 1, 3}, // the "Previous Image" item
              {Qt::Key_Backspace, Qt::NoModifier, 1, 3},
              {Qt::Key_Left, Qt::ControlModifier, 3, 2}}) {
            g.CurrentIndex = from;
            Form2 &viewer = OpenViewer();
            if (key == Qt::Key_unknown)
                viewer.mnuOptionsPrevious_Click();
            else
                Press(&viewer, key, mods);
            QCOMPARE(g.CurrentIndex, to);
            QCOMPARE(Shown(viewer), (QList<QColor>{Red, Green, Blue}[to - 1]));
            QCOMPARE(g.ImageTitle, QStringList({"A", "B", "C"})[to - 1]);
            Unload<Form2>();
        }
    }

    // No pictures at all: the steps set 1 and 0 and nothing loads.
    void emptyCatalogue() {
        LoadMainWindow({});
        Form2 &empty = OpenViewer();
        Press(&empty, Qt::Key_Right);
        QCOMPARE(g.CurrentIndex, 1);
        Press(&empty, Qt::Key_Left);
        Press(&empty, Qt::Key_Left);
        QCOMPARE(g.CurrentIndex, 0);
        Press(&empty, Qt::Key_Up);
        QVERIFY(empty.Picture1.isNull());
        QCOMPARE(empty.Image1->Width(), 0.f);
        QVERIFY(RecordedMessages().isEmpty());
    }

    void zoomKeysAndCharacters() {
        LoadColours(*cd, {Red, Green});
        Form2 &viewer = OpenViewer();
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers mods; // make no difference to arrows
            float width;
            int limit;
        } steps[] = {
            {Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier, 12000, 0},
            {Qt::Key_Equal, Qt::ControlModifier, 12000, 0},
            {Qt::Key_Up, {}, 15000, 0},
            {Qt::Key_Equal, {}, 15360, 1},
            {Qt::Key_Plus, {}, 15360, 1},
            {Qt::Key_Down, Qt::AltModifier, 12288, 0},
            {Qt::Key_Minus, Qt::KeypadModifier, 9830.4f, 0},
        };
        for (const auto &s : steps) {
            Press(&viewer, s.key, s.mods);
            QCOMPARE(viewer.Image1->Width(), s.width);
            QCOMPARE(g.ZoomLimit, s.limit);
        }
        QCOMPARE(viewer.Image1->Left(), (15360 - 9830.4f) / 2);
        QCOMPARE(g.CurrentIndex, 1);
        // The zoom lasts through the pop-up menu, but not a step or a return from another
        // window.
        viewer.Form_MouseDown(Qt::RightButton, QPoint(10, 10));
        QVERIFY(viewer.mnuOptions->isVisible());
        viewer.mnuOptions->hide();
        Settle();
        platform::ActivateForm(&viewer);
        QCOMPARE(viewer.Image1->Width(), 9830.4f);
        platform::ActivateForm(&Instance<Form1>());
        platform::ActivateForm(&viewer);
        QCOMPARE(viewer.Image1->Width(), 9600.f);
        Press(&viewer, Qt::Key_Up);
        Press(&viewer, Qt::Key_Right);
        QCOMPARE(viewer.Image1->Width(), 9600.f);
        // A zoom right after a step works on the new picture's layout.
        QTest::keyClick(&viewer, Qt::Key_Left);
        QTest::keyClick(&viewer, Qt::Key_Up);
        QCOMPARE(Shown(viewer), Red);
        QCOMPARE(viewer.Image1->Width(), 12000.f);
    }

    void zoomMenuItemFollowsTheLimit() {
        cd->writePicture("images/small.bmp", 640, 480, "BMP");
        cd->writePicture("images/large.bmp", 2400, 2400, "BMP");
        LoadMainWindow({"small.bmp", "large.bmp"});
        Form2 &viewer = OpenViewer();
        for (int i = 0; i < 4; ++i)
            viewer.mnuOptionsZoomIn_Click();
        QCOMPARE(viewer.Image1->Width(), 15360.f);
        QCOMPARE(g.ZoomLimit, 0); // a smaller picture: the item stays enabled
        viewer.mnuOptionsNext->trigger();
        QCOMPARE(g.ZoomLimit, 1);
        viewer.Label1_MouseDown(Qt::RightButton, QPoint(1, 1));
        QVERIFY(!viewer.mnuOptionsZoomIn->isEnabled());
        viewer.mnuOptions->hide();
        viewer.mnuOptionsZoomOut->trigger();
        QCOMPARE(viewer.Image1->Width(), 9216.f);
        viewer.Form_MouseDown(Qt::RightButton, QPoint(1, 1));
        QVERIFY(viewer.mnuOptionsZoomIn->isEnabled());
        viewer.mnuOptions->hide();
    }

    void heldKeySkipsOvertakenDisplays() {
        QList<QColor> colours;
        for (int i = 1; i <= 6; ++i)
            colours << QColor(i * 40, 0, 0);
        LoadColours(*cd, colours, QSize(80, 60));
        Form2 &viewer = OpenViewer();
        for (int i = 0; i < 13; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(&viewer, &repeat);
        }
        // Every repeat stepped; none of them has been shown yet.
        QCOMPARE(g.CurrentIndex, 2);
        QCOMPARE(g.ImageTitle, "A");
        Settle();
        QCOMPARE(g.ImageTitle, "B");
        QCOMPARE(Shown(viewer), QColor(80, 0, 0));
    }

    // A missing picture or one too large to load.
    void brokenPicturesKeepThePreviousOne() {
        cd->writePicture("images/first.bmp", 640, 480, "BMP", Red);
        cd->writeFile("images/Huge.jpg", BmpHeader(60000, 60000));
        LoadMainWindow({"first.bmp", "Missing.jpg", "Huge.jpg"});
        Form2 &viewer = OpenViewer();
        for (const char *caption : {"  Missing  ", "  Huge  "}) {
            Press(&viewer, Qt::Key_Right);
            QCOMPARE(Shown(viewer), Red);
            QCOMPARE(viewer.Image1->Width(), 9600.f);
            QVERIFY(viewer.Image1->isVisible());
            QCOMPARE(viewer.Label1->text(), caption);
        }
        QVERIFY(RecordedMessages().isEmpty());
    }

    // The next picture is read ahead and taken over when it is shown, but never as the file was
    // rather than as it is.
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
        QCOMPARE(Shown(viewer), Green);
        QCOMPARE(g.ImageTitle, "C");
        // Written again with other pixels: the new file is what shows.
        readAhead();
        cd->writePicture("images/a.bmp", 640, 480, "BMP", Blue);
        Press(&viewer, Qt::Key_Right);
        QCOMPARE(Shown(viewer), Blue);
        // Nor for another display size.
        platform::LookAhead("images/a.bmp", [](QSize) { return QSize(400, 300); });
        platform::WaitForLookAhead();
        const auto smaller =
            platform::LoadPictureForDisplay("images/a.bmp", [](QSize) { return QSize(200, 150); });
        QCOMPARE(smaller.value().image.size(), QSize(200, 150));
    }

    // By Escape, the Exit item or the window system.
    void closingReturnsToTheMainWindowOnTheLastPicture() {
        for (const char *f : {"images/Animals/dog.bmp", "images/Sea/waves.bmp", "images/sun.bmp"})
            cd->writePicture(f, 40, 30, "BMP");
        for (int how = 0; how < 3; ++how) {
            Form1 &main = LoadMainWindow({"Animals\\dog.bmp", "Sea\\WAVES.bmp", "sun.bmp"});
            Form2 &viewer = OpenViewer();
            Press(&viewer, Qt::Key_Right);
            g.SlideshowOn = 1;
            g.SlideshowPaused = 1;
            if (how == 0)
                QTest::keyClick(&viewer, Qt::Key_Escape);
            else if (how == 1)
                viewer.mnuOptionsExit_Click();
            else
                viewer.close();
            QVERIFY(!IsLoaded<Form2>() && main.isVisible());
            QCOMPARE(main.List1->ListIndex(), 1);
            QCOMPARE(g.CurrentIndex, 2);
            QCOMPARE(g.SlideshowOn + g.SlideshowPaused, 0);
            QCOMPARE(g.ImageTitle, "Waves");
            QTRY_COMPARE(QApplication::focusWidget(), main.List1);
        }
    }

    // Inside the event loop, where Qt would quit when the last window that counts for it closes:
    // the viewer covers the screen, the main window is hidden, and the About box is closed.
    void programStaysUpWhileTheViewerIsOpen() {
        LoadColours(*cd, {Red});
        Instance<Form1>().Command1_Click();
        platform::ActivateForm(&Instance<Form3>());
        QTimer::singleShot(0, &Instance<Form3>(), &QWidget::close);
        QTimer::singleShot(300, [] { QCoreApplication::exit(7); });
        QCOMPARE(QCoreApplication::exec(), 7);
        QVERIFY(Instance<Form2>().isVisible());
    }

    // Closed before the stepped-to picture was shown: its title is the one left behind.
    void enterOpensTheViewerOverTheMainWindow() {
        Form1 &main = LoadColours(*cd, {Red, Green, Blue}, QSize(40, 30));
        main.List1->SetSelected(1);
        main.List1->SetFocus();
        QTest::keyClick(main.List1, Qt::Key_Return);
        QVERIFY(Instance<Form2>().isVisible() && main.isVisible());
        QCOMPARE(Shown(Instance<Form2>()), Green);
        QTest::keyClick(&Instance<Form2>(), Qt::Key_Right);
        Unload<Form2>();
        QCOMPARE(g.ImageTitle, "C");
    }

    // The buttons are greyed while the dialog is open; it opens on five seconds; Cancel starts
    // nothing.
    void slideshowDialogStartsTheShow() {
        Form1 &main = LoadColours(*cd, {Red, Green, Blue}, QSize(40, 30));
        main.List1->SetSelected(1);
        for (QRadioButton *Dialog::*choice : {&Dialog::Option2, &Dialog::Option3}) {
            const bool ok = choice == &Dialog::Option3;
            QVERIFY(WhileModal<Dialog>(
                [&] { main.Command4_Click(); },
                [&](Dialog &dialog) {
                    QVERIFY(!main.Command4->isEnabled());
                    QVERIFY(dialog.Option1->isChecked());
                    (dialog.*choice)->setChecked(true);
                    QTest::mouseClick(ok ? dialog.OKButton : dialog.CancelButton, Qt::LeftButton);
                }));
            QVERIFY(main.Command4->isEnabled());
            QCOMPARE(IsLoaded<Form2>(), ok);
        }
        QCOMPARE(g.SlideshowOn, 1);
        QCOMPARE(g.ImageTitle, "B");
        QCOMPARE(Instance<Form2>().Timer1->interval(), 30000);
    }

    void slideshowAdvancesPausesAndRestarts() {
        LoadColours(*cd, {Red, Green, Blue}, QSize(40, 30));
        QVERIFY(QFile::remove(cd->path("images/c.bmp")));
        g.CurrentIndex = 2;
        g.SlideshowOn = 1;
        g.SlideshowDelay = 40; // a short delay instead of seconds
        Form2 &viewer = OpenViewer();
        QStringList seen;
        QList<QColor> shown;
        QDeadlineTimer deadline(10000);
        while (seen.size() < 5 && !deadline.hasExpired()) {
            QTest::qWait(5);
            if (seen.isEmpty() || seen.last() != g.ImageTitle) {
                seen << g.ImageTitle;
                shown << Shown(viewer);
            }
        }
        QCOMPARE(seen, QStringList({"B", "C", "A", "B", "C"}));
        QCOMPARE(shown, (QList<QColor>{Green, Green, Red, Green, Green}));
        QVERIFY(RecordedMessages().isEmpty());
        // A right press on the background, the picture or the caption pauses it; restarted, a
        // delay below five seconds becomes five seconds and a longer one stays.
        for (QWidget *target :
             std::initializer_list<QWidget *>{&viewer, viewer.Image1, viewer.Label1}) {
            const QPoint inside = target == &viewer ? QPoint(5, 5) : QPoint(2, 2);
            QTest::mouseClick(target, Qt::LeftButton, {}, inside);
            QCOMPARE(g.SlideshowOn, 1); // a left press does nothing
            QTest::mousePress(target, Qt::RightButton, {}, inside);
            QCOMPARE(g.SlideshowOn, 0);
            QCOMPARE(g.SlideshowPaused, 1);
            QVERIFY(viewer.mnuOptions->isVisible());
            // Ticks while the menu is open do nothing.
            const int index = g.CurrentIndex;
            QTest::qWait(150);
            QCOMPARE(g.CurrentIndex, index);
            viewer.mnuOptions->hide();
            QTest::mouseRelease(target, Qt::RightButton, {}, inside);
            viewer.mnuOptionsSlideshow_Click();
            QCOMPARE(g.SlideshowOn - g.SlideshowPaused, 1);
            QCOMPARE(viewer.Timer1->interval(), 5000);
        }
        // Closing ends the show; the viewer comes back without one.
        QTest::keyClick(&viewer, Qt::Key_Escape);
        QCOMPARE(g.SlideshowOn, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        g.SlideshowDelay = 15000;
        Form2 &again = OpenViewer();
        const int index = g.CurrentIndex;
        QTest::qWait(150);
        QCOMPARE(g.CurrentIndex, index);
        again.mnuOptionsSlideshow_Click();
        QVERIFY(again.Timer1->isActive());
        QCOMPARE(again.Timer1->interval(), 15000);
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
