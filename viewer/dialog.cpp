#include "viewer/dialog.h"

#include "app/artwork.h"
#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "platform/runtime/activation.h"
#include "platform/runtime/twips.h"
#include "viewer/form2.h"

Dialog::Dialog()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    platform::OpenOnScreenOf(this, platform::LastActiveForm());
    setWindowTitle(QStringLiteral("Slideshow Delay"));
    setWindowIcon(RingOfColoursIcon());
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(8.25);
    setFont(font);
    platform::SetClientSize(this, 3210, 1560);
    setFixedSize(size());

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    platform::Place(OKButton, 2040, 360, 975, 375);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    platform::Place(CancelButton, 2040, 840, 975, 375);
    Frame1 = new QGroupBox(QStringLiteral("Select"), this);
    // The caption sits on the frame's top line, leaving the room below it to the options.
    Frame1->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
    platform::Place(Frame1, 180, 60, 1695, 1335);
    Option3 = new QRadioButton(QStringLiteral("30 Seconds"), Frame1);
    platform::Place(Option3, 300, 960, 1215, 195);
    Option2 = new QRadioButton(QStringLiteral("15 Seconds"), Frame1);
    platform::Place(Option2, 300, 600, 1155, 195);
    Option1 = new QRadioButton(QStringLiteral("  5 Seconds"), Frame1);
    platform::Place(Option1, 300, 240, 1215, 195);

    // A style sheet stops the dialog's font reaching the frame's options by itself.
    for (QWidget *control : findChildren<QWidget *>())
        control->setFont(font);

    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, Frame1);
    setTabOrder(Frame1, Option3);
    setTabOrder(Option3, Option2);
    setTabOrder(Option2, Option1);
    OKButton->setFocus();
    // Enter means OK wherever the focus is; otherwise Cancel takes Enter once an option has it.
    OKButton->setDefault(true);

    connect(OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Dialog::CancelButton_Click);

    platform::CentreOnScreen(this);
}

void Dialog::Form_Load() {
    Option1->setChecked(true);
}

void Dialog::OKButton_Click() {
    g.SlideshowOn = 1;
    g.SlideshowPaused = 0;
    if (Option1->isChecked())
        g.SlideshowDelay = 5000;
    if (Option2->isChecked())
        g.SlideshowDelay = 15000;
    if (Option3->isChecked())
        g.SlideshowDelay = 30000;
    Unload<Dialog>();
    Instance<Form2>().Show();
    if (IsLoaded<Form1>())
        Instance<Form1>().hide();
}

void Dialog::CancelButton_Click() {
    Unload<Dialog>();
}

void Dialog::reject() {
    if (FormSlot<Dialog> == this)
        Unload<Dialog>();
}
