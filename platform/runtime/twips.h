#pragma once
// Lengths in the program are twips held as float; this is the one place that turns them into
// device-independent pixels for Qt. Twips per pixel belong to a screen: each conversion takes the
// screen of the window it is for (the primary screen without one).

class QWidget;

namespace platform {

// 1440 twips to the inch, so 15 to the pixel at 96 dpi.
float TwipsPerPixel(const QWidget *on = nullptr);
int ToPixels(float twips, const QWidget *on = nullptr);
float ToTwips(int pixels, const QWidget *on = nullptr);

// Places a control inside its parent at a position and size given in twips.
void Place(QWidget *control, float left, float top, float width, float height);
// Gives a top-level window a client area of the given size in twips (it stays resizable).
void SetClientSize(QWidget *window, float width, float height);

// A window opens on the screen of the window that opens it (the primary screen without one); set
// before its sizes, so they are measured on that screen.
void OpenOnScreenOf(QWidget *window, const QWidget *opener);
// Centres a top-level window, frame included, on the screen it is on.
void CentreOnScreen(QWidget *window);

// The size of the screen a window is on (the primary screen without one), in twips.
float ScreenWidth(const QWidget *window = nullptr);
float ScreenHeight(const QWidget *window = nullptr);
// A top-level window's outer left and top edges on the screen, in twips.
float WindowLeft(const QWidget *window);
float WindowTop(const QWidget *window);
void MoveWindow(QWidget *window, float left, float top);

} // namespace platform
