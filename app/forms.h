#pragma once
// Each window exists at most once: the first reference creates and loads it, Unload destroys it,
// and the next reference builds it afresh from its design.

#include "platform/runtime/activation.h"

#include <QDialog>
#include <QPointer>

template <class F> inline F *FormSlot = nullptr;

template <class F> bool IsLoaded() {
    return FormSlot<F> != nullptr;
}

template <class F> F &Instance() {
    if (F *loaded = FormSlot<F>)
        return *loaded;
    F *form = new F();
    FormSlot<F> = form;
    // Every window counts as one of the program's own, also one without a Form_Activate: the
    // window that opened a dialog is activated again when the dialog goes.
    if constexpr (requires { form->Form_Activate(); })
        platform::TrackActivation(form, [form] { form->Form_Activate(); });
    else
        platform::TrackActivation(form, [] {});
    // Form_Load may unload the window again (the splash does); it lives until the event loop.
    if constexpr (requires { form->Form_Load(); })
        form->Form_Load();
    return *form;
}

template <class F> void Unload() {
    F *form = FormSlot<F>;
    if (!form)
        return;
    if constexpr (requires { form->Form_Unload(); })
        form->Form_Unload();
    FormSlot<F> = nullptr;
    platform::ForgetForm(form);
    form->hide();
    form->deleteLater();
}

// Shows a window modally; the window that was active before is activated again afterwards.
template <class F> void ShowModal() {
    // It may be unloaded meanwhile, by a logout for one.
    const QPointer<QWidget> before = platform::LastActiveForm();
    F &form = Instance<F>();
    platform::RunModal(&form);
    if (before && before->isVisible())
        platform::ActivateForm(before);
}
