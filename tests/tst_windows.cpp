// Window rules Qt's defaults would break: which windows end the program, which
// buttons click, where a frame goes.

#include "support/testsupport.h"

#include "app/form6.h"
#include "app/forms.h"
#include "dialogs/form3.h"
#include "mainwindow/form1.h"
#include "viewer/form2.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

class TestWindows : public QObject {
    Q_OBJECT
    std::unique_ptr<TempCd> cd;

  private slots:
    void init() {
        ResetProgram();
        cd = std::make_unique<TempCd>();
    }
    void cleanup() {
        ResetProgram();
        cd.reset();
    }

    // Inside the event loop, where Qt would quit when the last window that counts for it closes:
    // the viewer covers the screen, the main window is hidden, and the About box is closed.
    void programStaysUpWhileTheViewerIsOpen() {
        Instance<Form1>().Command1_Click();
        platform::ActivateForm(&Instance<Form3>());
        QTimer::singleShot(0, &Instance<Form3>(), &QWidget::close);
        QTimer::singleShot(300, [] { QCoreApplication::exit(7); });
        QCOMPARE(QCoreApplication::exec(), 7);
        QVERIFY(Instance<Form2>().isVisible());
    }

    void aboutBoxClosesAtAnyButtonAnywhere_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void aboutBoxClosesAtAnyButtonAnywhere() {
        QFETCH(Qt::MouseButton, button);
        Form1 &main = Instance<Form1>();
        for (QWidget *label : {main.Label1, main.Label3}) {
            QTest::mouseClick(label, button);
            QVERIFY2(!IsLoaded<Form3>(), "the main window's labels take the left button only");
        }
        for (int part = 0; part < 6; ++part) {
            Form3 &box = Instance<Form3>();
            QWidget *const parts[] = {&box,       box.Frame1,   box.Label1,
                                      box.Label2, box.Picture1, box.Image1};
            QTest::mouseClick(parts[part], button);
            QVERIFY2(!IsLoaded<Form3>(), qPrintable(parts[part]->metaObject()->className()));
        }
    }

    // The splash picture fills the client area to its edges; the frame lies around it.
    void splashFrameLiesOutsideTheClientArea() {
        const QColor colour(200, 40, 40);
        cd->writePicture("splash.jpg", 400, 300, "BMP", colour);
        Form6 &splash = Instance<Form6>();
        splash.show();
        const QImage client = splash.grab().toImage();
        for (const QPoint corner : {QPoint(0, 0), client.rect().bottomRight()})
            QCOMPARE(client.pixelColor(corner), colour);
        const QRect inner = splash.geometry();
        const auto windows = QApplication::topLevelWidgets();
        QTRY_VERIFY(std::any_of(windows.begin(), windows.end(), [&](const QWidget *w) {
            return w->isVisible() && w->geometry().contains(inner.adjusted(-1, -1, 1, 1));
        }));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
