#pragma once
// The viewer's tests drive the real windows: the main window loaded on a catalogue the test
// chooses, and the viewer opened from it.

#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "platform/imaging/lookahead.h"
#include "support/testsupport.h"
#include "viewer/form2.h"

#include <QCoreApplication>
#include <QStringList>

// Lets the event queue catch up: a key's display runs once the queue is empty.
inline void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Loads the main window and makes the catalogue exactly these entries, picture 1 current.
inline Form1 &LoadMainWindow(const QStringList &entries) {
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
inline Form1 &LoadColours(const TempCd &cd, const QList<QColor> &colours,
                          QSize size = QSize(640, 480)) {
    QStringList entries;
    for (qsizetype i = 0; i < colours.size(); ++i) {
        entries << QChar(char16_t(u'a' + i)) + QStringLiteral(".bmp");
        cd.writePicture("images/" + entries.last(), size.width(), size.height(), "BMP", colours[i]);
    }
    return LoadMainWindow(entries);
}

inline Form2 &OpenViewer() {
    Instance<Form2>().Show();
    Settle();
    return Instance<Form2>();
}

inline QColor Shown(const Form2 &viewer) {
    return viewer.Image1->Picture().pixelColor(1, 1);
}

// Waits for the worker, so that no read of a file outlives the test's folder.
inline void QuietWorker() {
    platform::DropLookAhead();
    platform::WaitForLookAhead();
}
