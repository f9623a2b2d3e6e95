#pragma once
// The artwork stored with the program's windows, drawn by code so it ships inside the program.

#include <QIcon>
#include <QImage>

// The main window's background: a pale 400 x 375 landscape.
QImage MainWindowArtwork();
// The program's icon: a small landscape under a sun.
QIcon ProgramIcon();
// The dialogs' icon: a ring of spectrum colours.
QIcon RingOfColoursIcon();
