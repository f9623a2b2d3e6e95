#include "platform/runtime/activation.h"

#include "platform/runtime/windowkind.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QHash>
#include <QPointer>

namespace platform {

namespace {

QPointer<QWidget> lastActive;
// The window being given the keyboard back after a message box or dialog it owns. The window
// manager may make a pick of its own first: until the owner is active again, no other window
// counts as activated. The program's own activation of a window ends the wait as well.
QPointer<QWidget> handingBackTo;

class ActivationFilter : public QObject {
  public:
    using QObject::QObject;
    QHash<QObject *, std::function<void()>> handlers;

    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *form = static_cast<QWidget *>(watched);
        // A window hidden behind the one just activated (the main window behind the viewer):
        // the window manager may take the focus from the new one when the hidden one goes.
        if (event->type() == QEvent::Hide && lastActive && lastActive != form &&
            lastActive->isVisible())
            ReactivateOnceWithdrawn(form, lastActive);
        if (event->type() != QEvent::WindowActivate)
            return false;
        if (QWidget *cover = coveredBy(form))
            cover->activateWindow();
        else
            noteActivated(form);
        return false;
    }

    // A window beneath one of the program's full-screen windows cannot be seen, so the user did
    // not pick it: the window manager fell back to it when another window closed. The keyboard
    // goes to the window the user sees.
    QWidget *coveredBy(QWidget *form) const {
        for (auto it = handlers.keyBegin(); it != handlers.keyEnd(); ++it) {
            auto *other = static_cast<QWidget *>(*it);
            if (other != form && other->isVisible() && other->isFullScreen() &&
                other->screen() == form->screen() && StackedAbove(other, form))
                return other;
        }
        return nullptr;
    }

    void noteActivated(QWidget *form) {
        if (handingBackTo && handingBackTo != form)
            return;
        handingBackTo = nullptr;
        if (lastActive == form)
            return;
        const auto it = handlers.constFind(form);
        if (it == handlers.constEnd())
            return;
        lastActive = form;
        const auto handler = it.value();
        handler();
    }
};

ActivationFilter &filter() {
    static auto *instance = new ActivationFilter;
    return *instance;
}

} // namespace

void TrackActivation(QWidget *form, std::function<void()> formActivate) {
    filter().handlers.insert(form, std::move(formActivate));
    form->installEventFilter(&filter());
}

void ForgetForm(QWidget *form) {
    filter().handlers.remove(form);
    form->removeEventFilter(&filter());
    if (lastActive == form)
        lastActive = nullptr;
}

QWidget *LastActiveForm() {
    return lastActive;
}

void ActivateForm(QWidget *form) {
    if (!form)
        return;
    handingBackTo = nullptr; // the program's own choice counts at once
    form->show();
    form->raise();
    form->activateWindow();
    filter().noteActivated(form);
}

void RunModal(QWidget *form) {
    QPointer<QWidget> guard(form);
    QEventLoop loop;
    QObject::connect(form, &QObject::destroyed, &loop, &QEventLoop::quit);
    form->setWindowModality(Qt::ApplicationModal);
    ActivateForm(form);
    if (guard)
        loop.exec(QEventLoop::DialogExec);
}

QWidget *OwnerForm() {
    if (lastActive && lastActive->isVisible())
        return lastActive;
    return QApplication::activeWindow();
}

void HandBack(QWidget *owner) {
    if (!owner || !owner->isVisible())
        return;
    // Already active: the window manager gave it back itself and nothing more comes.
    handingBackTo = owner->isActiveWindow() ? nullptr : owner;
    owner->raise();
    owner->activateWindow();
}

} // namespace platform
