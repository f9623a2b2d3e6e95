// Window rules Qt's defaults would break: which windows end the program.

#include "support/testsupport.h"

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
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
