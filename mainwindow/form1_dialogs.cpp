#include "mainwindow/form1.h"

#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/desktop_rules.h"
#include "dialogs/form3.h"
#include "dialogs/form5.h"
#include "dialogs/wallpaper.h"
#include "platform/desktop/services.h"

// The main window's commands that open the dialogs: Save, Wallpaper and the About box.

void Form1::Command2_Click() {
    if (WaitsForPreview(&Form1::Command2_Click))
        return;
    HideButtons();
    ShowModal<Form5>();
    Showbuttons();
}

void Form1::Command5_Click() {
    if (WaitsForPreview(&Form1::Command5_Click))
        return;
    List1->SetFocus();
    HideButtons();
    const int answer = platform::MsgBox(MainWallpaperQuestion(g.ImageTitle), platform::vbOKCancel,
                                        QString::fromLatin1(MainWallpaperTitle));
    if (answer == platform::vbOK)
        CreateWallpaper(Picture5.source);
    Showbuttons();
}

// An About box that is already open is only brought forward; its five seconds run on.
void Form1::Label1_Click() {
    platform::ActivateForm(&Instance<Form3>());
}

void Form1::Label3_Click() {
    platform::ActivateForm(&Instance<Form3>());
}
