#include "platform/runtime/activation.h"

#include <QEvent>
#include <QEventLoop>
#include <QHash>
#include <QPointer>

namespace platform {

namespace {

QPointer<QWidget> lastActive;

class ActivationFilter : public QObject {
  public:
    using QObject::QObject;
    QHash<QObject *, std::function<void()>> handlers;

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::WindowActivate)
            noteActivated(static_cast<QWidget *>(watched));
        return false;
    }

    void noteActivated(QWidget *form) {
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

} // namespace platform
