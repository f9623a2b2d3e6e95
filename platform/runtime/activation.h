#pragma once
// Which of the program's own windows was activated last. A window's Form_Activate runs when it
// becomes the program's active window: on first showing, and on coming back from another of the
// program's windows. Message boxes, pop-up menus and other applications don't count.

#include <QWidget>
#include <functional>

namespace platform {

void TrackActivation(QWidget *form, std::function<void()> formActivate);
void ForgetForm(QWidget *form);
QWidget *LastActiveForm();

// Shows a window, brings it to the front and makes it the program's active window, raising its
// Form_Activate unless it already was the active one.
void ActivateForm(QWidget *form);

// Shows a window modally: returns once the window is destroyed.
void RunModal(QWidget *form);

// The window a message box or dialog opened now belongs to: the program's window whose handler
// is running, which is the one activated last (the active window when none is shown).
QWidget *OwnerForm();
// Once a message box or dialog it owns has closed, brings the owner to the front and gives it the
// keyboard again. Coming back from its own message box is no activation of it: its
// Form_Activate does not run.
void HandBack(QWidget *owner);

} // namespace platform
