// The full-screen viewer through the real windows on a 1024 x 768 screen: layout, caption, keys,
// stepping with wrap-around, zoom and the way back to the main window.

#include "platform/runtime/twips.h"
#include "support/picturefiles.h"
#include "viewer_fixture.h"

#include <QApplication>
#include <QTest>

namespace {

const QColor Red(200, 30, 30), Green(30, 200, 30), Blue(30, 30, 200);

void Press(QWidget *w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(w, key, mods);
    Settle();
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
        QuietWorker();
        cd.reset();
    }

    void layoutOfTheWorkedExamples_data() {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("zoomLimit");
        QTest::addColumn<QRectF>("layout"); // left, top, width, height in twips
        QTest::newRow("640x480") << QSize(640, 480) << "BMP" << 0 << QRectF(2880, 2160, 9600, 7200);
        QTest::newRow("800x1200") << QSize(800, 1200) << "JPG" << 0 << QRectF(3840, 0, 7680, 11520);
        QTest::newRow("2048x768") << QSize(2048, 768) << "JPG" << 1 << QRectF(0, 2880, 15360, 5760);
        QTest::newRow("2400x2400")
            << QSize(2400, 2400) << "JPG" << 1 << QRectF(1920, 0, 11520, 11520);
        QTest::newRow("exactly the screen")
            << QSize(1024, 768) << "BMP" << 1 << QRectF(0, 0, 15360, 11520);
    }
    void layoutOfTheWorkedExamples() {
        QFETCH(QSize, pixels);
        QFETCH(QString, format);
        QFETCH(int, zoomLimit);
        QFETCH(QRectF, layout);
        const QString name = QStringLiteral("pic.") + format.toLower();
        cd->writePicture("images/" + name, pixels.width(), pixels.height(), qPrintable(format));
        LoadMainWindow({name});
        Form2 &viewer = OpenViewer();
        QCOMPARE(viewer.Picture1.natural, pixels);
        QCOMPARE(g.ZoomLimit, zoomLimit);
        QCOMPARE(viewer.Image1->Left(), float(layout.left()));
        QCOMPARE(viewer.Image1->Top(), float(layout.top()));
        QCOMPARE(viewer.Image1->Width(), float(layout.width()));
        QCOMPARE(viewer.Image1->Height(), float(layout.height()));
        QVERIFY(viewer.Image1->isVisible());
        // Decoded at the size it is drawn at, never larger.
        const QSize drawn(platform::ToPixels(float(layout.width())),
                          platform::ToPixels(float(layout.height())));
        QCOMPARE(viewer.Image1->Picture().size(), drawn.boundedTo(pixels));
    }

    void coversTheScreenWithTheCaptionNearTheBottom() {
        cd->writePicture("images/holiday/PARIS.jpg", 320, 240, "JPG");
        LoadMainWindow({"holiday\\PARIS.jpg"});
        Form2 &viewer = OpenViewer();
        QVERIFY(viewer.isVisible());
        QCOMPARE(viewer.geometry(), QRect(0, 0, 1024, 768));
        QVERIFY(viewer.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(viewer.windowType(), Qt::Tool);
        QCOMPARE(viewer.palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(g.ActiveWindow, 2);
        QCOMPARE(g.ImageTitle, QStringLiteral("Holiday\\paris"));
        QCOMPARE(viewer.Label1->text(), QStringLiteral("  Holiday\\paris  "));
        QCOMPARE(viewer.Label1->y(), platform::ToPixels(11520 - 500));
        QVERIFY(qAbs(2 * viewer.Label1->x() + viewer.Label1->width() - 1024) <= 1);
        QVERIFY(viewer.Label1->isVisible());
        const QPalette system = QApplication::palette();
        QCOMPARE(viewer.Label1->palette().color(QPalette::Window), system.color(QPalette::Base));
        QCOMPARE(viewer.Label1->palette().color(QPalette::WindowText),
                 system.color(QPalette::Text));
    }

    void stepsWrapAtBothEnds_data() {
        QTest::addColumn<int>("key");  // 0: "Next Image", 1: "Previous Image"
        QTest::addColumn<int>("mods"); // make no difference
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("Right on the last") << int(Qt::Key_Right) << 0 << 3 << 1;
        QTest::newRow("Shift+Space on the last")
            << int(Qt::Key_Space) << int(Qt::ShiftModifier) << 3 << 1;
        QTest::newRow("Next Image on the last") << 0 << 0 << 3 << 1;
        QTest::newRow("Ctrl+Left on the first")
            << int(Qt::Key_Left) << int(Qt::ControlModifier) << 1 << 3;
        QTest::newRow("Backspace on the first") << int(Qt::Key_Backspace) << 0 << 1 << 3;
        QTest::newRow("Previous Image on the first") << 1 << 0 << 1 << 3;
        QTest::newRow("Alt+Right in the middle")
            << int(Qt::Key_Right) << int(Qt::AltModifier) << 1 << 2;
        QTest::newRow("Left in the middle") << int(Qt::Key_Left) << 0 << 3 << 2;
    }
    void stepsWrapAtBothEnds() {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(int, from);
        QFETCH(int, to);
        LoadColours(*cd, {Red, Green, Blue}, QSize(40, 30));
        g.CurrentIndex = from;
        Form2 &viewer = OpenViewer();
        if (key == 0)
            viewer.mnuOptionsNext_Click();
        else if (key == 1)
            viewer.mnuOptionsPrevious_Click();
        else
            Press(&viewer, Qt::Key(key), Qt::KeyboardModifiers(mods));
        QCOMPARE(g.CurrentIndex, to);
        QCOMPARE(Shown(viewer), (QList<QColor>{Red, Green, Blue}[to - 1]));
        QCOMPARE(g.ImageTitle, QStringList({"A", "B", "C"})[to - 1]);
    }

    void onePictureAndEmptyCatalogue() {
        LoadColours(*cd, {Green}, QSize(40, 30));
        Form2 &viewer = OpenViewer();
        for (Qt::Key key : {Qt::Key_Right, Qt::Key_Space, Qt::Key_Left, Qt::Key_Backspace}) {
            Press(&viewer, key);
            QCOMPARE(g.CurrentIndex, 1);
            QCOMPARE(Shown(viewer), Green);
        }

        // No pictures at all: the steps set 1 and 0 and nothing loads.
        ResetProgram();
        LoadMainWindow({});
        Form2 &empty = OpenViewer();
        QVERIFY(empty.Picture1.isNull());
        Press(&empty, Qt::Key_Right);
        QCOMPARE(g.CurrentIndex, 1);
        Press(&empty, Qt::Key_Left);
        QCOMPARE(g.CurrentIndex, 0);
        Press(&empty, Qt::Key_Left);
        QCOMPARE(g.CurrentIndex, 0);
        QVERIFY(empty.Picture1.isNull());
        QCOMPARE(empty.Image1->Width(), 0.f);
        Press(&empty, Qt::Key_Up);
        Press(&empty, Qt::Key_Down);
        QVERIFY(RecordedMessages().isEmpty());
    }

    void zoomKeysAndCharacters() {
        LoadColours(*cd, {Red, Green});
        Form2 &viewer = OpenViewer();
        struct Step {
            Qt::Key key;
            Qt::KeyboardModifiers mods; // make no difference
            float width, height, left, top;
            int limit;
        };
        const Step steps[] = {
            {Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier, 12000, 9000, 1680, 1260, 0},
            {Qt::Key_Equal, Qt::ControlModifier, 15000, 11250, 180, 135, 0},
            {Qt::Key_Up, {}, 15360, 11520, 0, 0, 1},
            {Qt::Key_Equal, {}, 15360, 11520, 0, 0, 1},
            {Qt::Key_Plus, {}, 15360, 11520, 0, 0, 1},
            {Qt::Key_PageDown, {}, 15360, 11520, 0, 0, 1},
            {Qt::Key_Home, {}, 15360, 11520, 0, 0, 1},
            {Qt::Key_Down, Qt::AltModifier, 12288, 9216, 1536, 1152, 0},
            {Qt::Key_Minus, Qt::KeypadModifier, 9830.4f, 7372.8f, 2764.8f, 2073.6f, 0},
        };
        for (const Step &s : steps) {
            Press(&viewer, s.key, s.mods);
            QCOMPARE(g.CurrentIndex, 1);
            QCOMPARE(viewer.Image1->Width(), s.width);
            QCOMPARE(viewer.Image1->Height(), s.height);
            QCOMPARE(viewer.Image1->Left(), s.left);
            QCOMPARE(viewer.Image1->Top(), s.top);
            QCOMPARE(g.ZoomLimit, s.limit);
        }
        // The caption does not move with the picture.
        QCOMPARE(viewer.Label1->y(), platform::ToPixels(11520 - 500));
    }

    void zoomMenuItemRecomputesTheLimitFromThePicture() {
        cd->writePicture("images/small.bmp", 640, 480, "BMP");
        cd->writePicture("images/large.bmp", 2400, 2400, "BMP");
        LoadMainWindow({"small.bmp", "large.bmp"});
        Form2 &viewer = OpenViewer();
        for (int i = 0; i < 4; ++i)
            viewer.mnuOptionsZoomIn_Click();
        QCOMPARE(viewer.Image1->Width(), 15360.f);
        QCOMPARE(g.ZoomLimit, 0); // a smaller picture: the item stays enabled

        viewer.mnuOptionsNext_Click();
        QCOMPARE(viewer.Image1->Width(), 11520.f);
        QCOMPARE(g.ZoomLimit, 1);
        viewer.mnuOptionsZoomIn_Click();
        QCOMPARE(viewer.Image1->Width(), 11520.f);
        viewer.mnuOptionsZoomOut_Click();
        QCOMPARE(viewer.Image1->Width(), 9216.f);
        QCOMPARE(g.ZoomLimit, 0);
        viewer.mnuOptionsZoomIn_Click();
        QCOMPARE(viewer.Image1->Width(), 11520.f);
        QCOMPARE(g.ZoomLimit, 1);
    }

    // The zoom lasts through the pop-up menu, but not a step or a return from another window.
    void zoomLastsUntilAnotherPictureOrWindow() {
        LoadColours(*cd, {Red, Green});
        Form2 &viewer = OpenViewer();
        Press(&viewer, Qt::Key_Up);
        viewer.Form_MouseDown(Qt::RightButton, QPoint(10, 10));
        QVERIFY(viewer.mnuOptions->isVisible());
        viewer.mnuOptions->hide();
        Settle();
        platform::ActivateForm(&viewer);
        QCOMPARE(viewer.Image1->Width(), 12000.f);
        platform::ActivateForm(&Instance<Form1>());
        platform::ActivateForm(&viewer);
        QCOMPARE(viewer.Image1->Width(), 9600.f);

        Press(&viewer, Qt::Key_Up);
        Press(&viewer, Qt::Key_Right);
        QCOMPARE(viewer.Image1->Width(), 9600.f);
        // A zoom right after a step works on the new picture's layout.
        QTest::keyClick(&viewer, Qt::Key_Left);
        QTest::keyClick(&viewer, Qt::Key_Up);
        QCOMPARE(g.CurrentIndex, 1);
        QCOMPARE(Shown(viewer), Red);
        QCOMPARE(viewer.Image1->Width(), 12000.f);
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
        QCOMPARE(g.ImageTitle, QStringLiteral("A"));
        Settle();
        QCOMPARE(g.ImageTitle, QStringLiteral("B"));
        QCOMPARE(Shown(viewer), QColor(80, 0, 0));
    }

    void missingAndBrokenPicturesKeepThePreviousOne_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a picture") << QByteArray("hello, world");
        QTest::newRow("broken jpeg") << QByteArray("\xff\xd8\xff\xe0garbage", 12);
        QTest::newRow("60000 x 60000") << BmpHeader(60000, 60000);
    }
    void missingAndBrokenPicturesKeepThePreviousOne() {
        QFETCH(QByteArray, bytes);
        cd->writePicture("images/first.bmp", 640, 480, "BMP", Red);
        if (!bytes.isEmpty())
            cd->writeFile("images/Broken.jpg", bytes);
        LoadMainWindow({"first.bmp", "Broken.jpg"});
        Form2 &viewer = OpenViewer();
        Press(&viewer, Qt::Key_Right);
        QCOMPARE(g.CurrentIndex, 2);
        QCOMPARE(Shown(viewer), Red);
        QCOMPARE(viewer.Image1->Width(), 9600.f);
        QVERIFY(viewer.Image1->isVisible());
        QCOMPARE(viewer.Label1->text(), QStringLiteral("  Broken  "));
        QVERIFY(RecordedMessages().isEmpty());
    }

    void pictureRemovedAfterTheLookAheadReadItIsNotShown() {
        LoadColours(*cd, {Red, Green});
        Form2 &viewer = OpenViewer();
        platform::WaitForLookAhead();
        QVERIFY(QFile::remove(cd->path("images/b.bmp")));
        Press(&viewer, Qt::Key_Right);
        QCOMPARE(Shown(viewer), Red);
        QCOMPARE(g.ImageTitle, QStringLiteral("B"));
        // Written again with other pixels: the new file is what shows.
        platform::WaitForLookAhead();
        cd->writePicture("images/a.bmp", 640, 480, "BMP", Blue);
        Press(&viewer, Qt::Key_Right);
        QCOMPARE(Shown(viewer), Blue);
    }

    void closingReturnsToTheMainWindowOnTheLastPicture_data() {
        QTest::addColumn<int>("how"); // 0 Escape, 1 Exit item, 2 closed by the window system
        QTest::newRow("Escape") << 0;
        QTest::newRow("Exit") << 1;
        QTest::newRow("window closed") << 2;
    }
    void closingReturnsToTheMainWindowOnTheLastPicture() {
        QFETCH(int, how);
        cd->writePicture("images/Animals/dog.bmp", 40, 30, "BMP");
        cd->writePicture("images/Sea/waves.bmp", 40, 30, "BMP");
        cd->writePicture("images/sunset.bmp", 40, 30, "BMP");
        Form1 &main = LoadMainWindow({"Animals\\dog.bmp", "Sea\\WAVES.bmp", "sunset.bmp"});
        Form2 &viewer = OpenViewer();
        Press(&viewer, Qt::Key_Right);
        QCOMPARE(g.ImageTitle, QStringLiteral("Sea\\waves"));
        g.SlideshowOn = 1;
        g.SlideshowPaused = 1;
        if (how == 0)
            QTest::keyClick(&viewer, Qt::Key_Escape);
        else if (how == 1)
            viewer.mnuOptionsExit_Click();
        else
            viewer.close();
        QVERIFY(!IsLoaded<Form2>());
        QVERIFY(main.isVisible());
        QCOMPARE(main.List1->ListIndex(), 1);
        QCOMPARE(g.CurrentIndex, 2);
        QCOMPARE(g.ActiveWindow, 1);
        QCOMPARE(g.SlideshowOn, 0);
        QCOMPARE(g.SlideshowPaused, 0);
        QTRY_COMPARE(QApplication::focusWidget(), main.List1);
    }

    void closingTitleDropsTheFolder() {
        cd->writePicture("images/Animals/dog.bmp", 40, 30, "BMP");
        cd->writePicture("images/Animals/cat.bmp", 40, 30, "BMP");
        LoadMainWindow({"Animals\\dog.bmp", "Animals\\cat.bmp"});
        Form2 &viewer = OpenViewer();
        // Closed before the stepped-to picture was shown: its title is the one left behind.
        QTest::keyClick(&viewer, Qt::Key_Right);
        Unload<Form2>();
        QCOMPARE(g.ImageTitle, QStringLiteral("Cat"));
    }

    void enterInTheMainWindowOpensTheViewerOverIt() {
        Form1 &main = LoadColours(*cd, {Red, Green}, QSize(40, 30));
        main.List1->SetSelected(1);
        main.List1->SetFocus();
        QTest::keyClick(main.List1, Qt::Key_Return);
        QVERIFY(IsLoaded<Form2>());
        QVERIFY(Instance<Form2>().isVisible());
        QVERIFY(main.isVisible());
        QCOMPARE(Shown(Instance<Form2>()), Green);
        QCOMPARE(g.ImageTitle, QStringLiteral("B"));
    }
};

QTEST_MAIN(TestViewer)
#include "tst_viewer.moc"
