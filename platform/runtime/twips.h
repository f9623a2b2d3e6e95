#pragma once
// Lengths in the program are twips held as float; this is the one place that turns them into
// device-independent pixels for Qt.

class QWidget;

namespace platform {

// 1440 twips to the inch, so 15 to the pixel at 96 dpi.
float TwipsPerPixel();
int ToPixels(float twips);
float ToTwips(int pixels);

// Places a control inside its parent at a position and size given in twips.
void Place(QWidget *control, float left, float top, float width, float height);
// Gives a top-level window a client area of the given size in twips (it stays resizable).
void SetClientSize(QWidget *window, float width, float height);

// The size of the screen the main window is on (or the primary screen), in twips.
float ScreenWidth();
float ScreenHeight();
// A top-level window's outer left and top edges on the screen, in twips.
float WindowLeft(const QWidget *window);
float WindowTop(const QWidget *window);
void MoveWindow(QWidget *window, float left, float top);

} // namespace platform
