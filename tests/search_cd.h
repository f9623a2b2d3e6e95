#pragma once
// A CD of 40 pictures for the search and command tests: five have "cat" somewhere in their path
// (in a word, a folder name, or upper case), the rest are dogs, beaches and cars.

#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "mainwindow/form4.h"
#include "platform/runtime/activation.h"
#include "support/testsupport.h"

#include <QStringList>
#include <QTimer>
#include <functional>

inline QStringList SearchCdCats() {
    return {"Concatenate.jpg", "wildcat.gif", "Pets\\Cats\\tom.gif", "Pets\\Cats\\Felix.jpg",
            "Holiday\\CAT nap.bmp"};
}

inline void WriteSearchCd(const TempCd &cd) {
    QStringList pictures =
        SearchCdCats() + QStringList{"Red Car.jpg",    "red_boat.gif",
                                     "Blue Car.bmp",   "Pets\\dog11.jpg",
                                     "Pets\\bird.bmp", "Holiday\\red  sunset.jpg"};
    for (int i = 1; i <= 9; ++i)
        pictures << QStringLiteral("dog%1.jpg").arg(i);
    for (int i = 1; i <= 20; ++i)
        pictures << QStringLiteral("Holiday\\beach%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
    for (const QString &picture : pictures) {
        const QString path = "images/" + QString(picture).replace('\\', '/');
        if (picture.endsWith(".gif"))
            cd.writeGif(path, 8, 6);
        else
            cd.writePicture(path, 8, 6, picture.endsWith(".bmp") ? "BMP" : "JPG");
    }
    cd.writeFile("orvane.ini", "x\r\n9\r\nx\r\nx\r\nAnimals\r\nx\r\n");
    cd.writeFile("orvane.wav", "RIFF");
}

// The main window started and shown, as the splash window leaves it.
inline Form1 &StartMainWindow() {
    Form1 &main = Instance<Form1>();
    platform::ActivateForm(&main);
    return main;
}

// The catalogue entries 1..ImageCount.
inline QStringList Catalogue() {
    QStringList entries;
    for (int i = 1; i <= g.ImageCount; ++i)
        entries << CatalogueEntry(i);
    return entries;
}

// The six buttons' Enabled, in the order Command1, 2, 4, 5, 6, 7.
inline QList<bool> ButtonStates(const Form1 &main) {
    QList<bool> states;
    for (const QPushButton *b :
         {main.Command1, main.Command2, main.Command4, main.Command5, main.Command6, main.Command7})
        states << b->isEnabled();
    return states;
}

inline QStringList ListRows(const Form1 &main) {
    QStringList rows;
    for (int r = 0; r < main.List1->ListCount(); ++r)
        rows << main.List1->List(r);
    return rows;
}

// Runs a command that opens a modal window; `drive` runs once the window is up and must close
// it. Returns false when the window never came up or was left open (it is then unloaded).
template <class Modal>
bool WhileModal(const std::function<void()> &command, const std::function<void(Modal &)> &drive) {
    bool cameUp = false;
    bool leftOpen = false;
    QTimer::singleShot(0, [&] {
        if (!IsLoaded<Modal>())
            return;
        cameUp = true;
        drive(Instance<Modal>());
        if (IsLoaded<Modal>()) {
            leftOpen = true;
            Unload<Modal>();
        }
    });
    command();
    return cameUp && !leftOpen;
}

// Runs the Search button with the dialog answered by typing text and pressing OK.
inline bool SearchFor(const QString &text) {
    return WhileModal<Form4>([] { Instance<Form1>().Command6_Click(); },
                             [text](Form4 &dialog) {
                                 dialog.Text1->setText(text);
                                 dialog.Command1_Click();
                             });
}
