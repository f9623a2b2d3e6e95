#pragma once
// Window kinds the runtime has and Qt names differently.

#include <QMargins>

class QWidget;

namespace platform {

// Chooses the window system before the application starts: X11 where it is there, XWayland on a
// Wayland desktop included, since the program places its windows and Wayland lets no program do
// that; Qt's own choice (Wayland) otherwise. A QT_QPA_PLATFORM the user set always wins. Undone
// by PlatformChosen() once the application is up, so programs started from this one choose
// for themselves.
void ChoosePlatform();
void PlatformChosen();

// A normal window, one the window manager gives the focus back to, that has no taskbar button.
// A tool window would have none either, but window managers pass tool windows over when they pick
// the window to focus after another one closes.
void KeepOffTaskbar(QWidget *window);

// The frame the window manager puts around a window, asked for before the window is first shown
// (none where the window manager does not say).
QMargins FrameExtents(QWidget *window);

// Whether the window manager stacks one window above another; true where it does not say.
bool StackedAbove(const QWidget *upper, const QWidget *lower);

// Once the window manager has withdrawn a window the program hid, asks it again to make `next`
// the active window if the keyboard went to none of the program's windows. A window manager
// passes the focus on from a window that goes, and may pass it to no window at all (xfwm4 looks
// only in the hidden window's own layer, below a full-screen window). The request carries the
// time of the withdrawal, so the X server does not refuse it as older than that pass.
void ReactivateOnceWithdrawn(QWidget *hidden, QWidget *next);

} // namespace platform
