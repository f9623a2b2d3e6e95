#pragma once
// One whole session of the program on a CD, as a user with a lot of patience would have it:
// start-up, every picture in the main window and in the viewer, searches and Reset. The search
// dialog is answered by the session itself; message boxes must be answered by the caller's
// stand-in.

#include "app/form6.h"
#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "mainwindow/form4.h"
#include "support/testsupport.h"
#include "viewer/form2.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

struct Session {
    int pictures = 0;
    qint64 ms = 0;
};

// Starts the program in the CD folder and goes through everything once.
inline Session RunSession(const QString &cdPath) {
    Session session;
    QDir::setCurrent(cdPath);
    QElapsedTimer timer;
    timer.start();

    Instance<Form6>(); // the start-up object; the broken splash hands over at once
    [&] { QVERIFY(IsLoaded<Form1>()); }();
    Form1 &form = Instance<Form1>();
    const int count = g.ImageCount;
    session.pictures = count;
    [&] { QCOMPARE(form.List1->ListCount(), count); }();

    for (int row = 0; row < count; ++row) {
        form.List1->SetSelected(row);
        [&] { QCOMPARE(g.CurrentIndex, row + 1); }();
        form.Timer1_Timer(); // the information line's kind, size and file size
        form.Timer1_Timer();
        form.Timer1_Timer();
        if (row % 32 == 0)
            QCoreApplication::processEvents();
    }

    // The viewer, opened with Enter, steps through every picture and zooms on the way.
    form.List1->SetSelected(0);
    form.Form_KeyDown(Qt::Key_Return, 0);
    [&] { QVERIFY(IsLoaded<Form2>()); }();
    if (IsLoaded<Form2>()) {
        Form2 &viewer = Instance<Form2>();
        // By the menu and by the key in turn; each step's display and look-ahead run before the
        // next step, so every picture is shown.
        for (int i = 0; i < count; ++i) {
            if (i % 2 == 0)
                viewer.mnuOptionsNext_Click();
            else
                QTest::keyClick(&viewer, Qt::Key_Right);
            if (i % 7 == 0) {
                viewer.mnuOptionsZoomIn_Click();
                viewer.mnuOptionsZoomOut_Click();
            }
            QCoreApplication::processEvents();
        }
        // Every picture once: the steps wrapped round to the first.
        [&] { QCOMPARE(g.CurrentIndex, 1); }();
        viewer.mnuOptionsPrevious_Click();
        viewer.mnuOptionsPrevious_Click();
        [&] { QCOMPARE(g.CurrentIndex, count - 1); }();
        viewer.mnuOptionsExit_Click();
        QCoreApplication::processEvents();
    }

    // Searches through the search dialog: one that narrows the list, one that finds nothing;
    // then Reset back to the whole catalogue.
    const auto search = [&form](const QString &text) {
        WhileModal<Form4>([&form] { form.Command6_Click(); },
                          [&text](Form4 &dialog) {
                              dialog.Text1->setText(text);
                              dialog.Command1_Click();
                              if (IsLoaded<Form4>())
                                  dialog.Command2_Click();
                          });
    };
    search(QStringLiteral("good"));
    [&] { QVERIFY(g.ImageCount > 0 && g.ImageCount < count); }();
    const int narrowed = g.ImageCount;
    search(QStringLiteral("no-such-picture-anywhere"));
    [&] { QCOMPARE(g.ImageCount, narrowed); }();
    form.Command7_Click();
    [&] { QCOMPARE(g.ImageCount, count); }();
    QCoreApplication::processEvents();
    session.ms = timer.elapsed();
    return session;
}

// The event loop still runs a fresh event within a second.
inline bool Responsive() {
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    QElapsedTimer timer;
    timer.start();
    while (!ran && timer.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return ran;
}
