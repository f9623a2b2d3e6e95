#include "dialogs/form5.h"

#include "app/artwork.h"
#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/save_rules.h"
#include "mainwindow/form1.h"
#include "platform/desktop/services.h"
#include "platform/imaging/picture.h"
#include "platform/imaging/reads.h"
#include "platform/runtime/twips.h"
#include "viewer/form2.h"

#include <QCloseEvent>
#include <QDir>
#include <QShortcut>
#include <QWindow>

Form5::Form5()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    designControls();
    // Kept above the window it was opened from, which may cover the whole screen.
    if (QWidget *opener = platform::LastActiveForm()) {
        winId();
        opener->winId();
        windowHandle()->setTransientParent(opener->windowHandle());
    }
}

void Form5::designControls() {
    setWindowTitle(QStringLiteral("Save Image"));
    setWindowIcon(RingOfColoursIcon());
    // Where Arial is missing, Liberation Sans has the same metrics.
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(8.25);
    setFont(font);
    platform::SetClientSize(this, 4440, 3255);
    setFixedSize(size());

    Frame1 = new QGroupBox(QStringLiteral("Save Image"), this);
    platform::Place(Frame1, 128, 60, 4185, 3045);

    Dir1 = new platform::DirListBox(Frame1);
    platform::Place(Dir1, 240, 750, 2355, 1440);
    Dir1->setAccessibleName(QStringLiteral("Folders"));

    Drive1 = new platform::DriveListBox(Frame1);
    platform::Place(Drive1, 240, 300, 2355, 315);
    Drive1->setAccessibleName(QStringLiteral("Drives"));

    Label1 = new QLabel(QStringLiteral("Filename"), Frame1);
    Label1->setTextFormat(Qt::PlainText);
    platform::Place(Label1, 240, 2280, 675, 165);

    Text1 = new QLineEdit(Frame1);
    platform::Place(Text1, 240, 2490, 3615, 315);
    Text1->setAccessibleName(QStringLiteral("Filename"));
    Label1->setBuddy(Text1);

    Command1 = new QPushButton(QStringLiteral("&Save"), Frame1);
    platform::Place(Command1, 2940, 750, 945, 400);
    Command2 = new QPushButton(QStringLiteral("&Cancel"), Frame1);
    platform::Place(Command2, 2940, 1350, 945, 400);

    File1 = new platform::FileListBox(Frame1);
    platform::Place(File1, 3300, 150, 795, 285);

    setTabOrder(Dir1, Drive1);
    setTabOrder(Drive1, Text1);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Dir1->setFocus();

    // The lists start where the process is.
    Drive1->SetDrive(QDir::currentPath());
    Dir1->SetPath(QDir::currentPath());
    File1->SetPath(Dir1->Path());

    connect(Drive1, &platform::DriveListBox::Change, this, &Form5::Drive1_Change);
    connect(Dir1, &platform::DirListBox::Change, this, &Form5::Dir1_Change);
    connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &Form5::Command2_Click);
}

void Form5::Form_Load() {
    const QString entry =
        IsLoaded<Form1>() ? Instance<Form1>().List1->List(g.CurrentIndex - 1) : QString();
    Text1->setText(DefaultSaveName(entry));
}

// Nothing to do here; being a tracked window is what lets the opener's Form_Activate run again
// when the dialog closes.
void Form5::Form_Activate() {}

// A drive that is not ready leaves the folder list where it was.
void Form5::Drive1_Change() {
    Dir1->SetPath(Drive1->Drive());
}

void Form5::Dir1_Change() {
    File1->SetPath(Dir1->Path());
}

void Form5::Command1_Click() {
    const QString name = Text1->text();
    if (name.isEmpty()) {
        platform::MsgBox(QStringLiteral("Please enter a file name"), platform::vbOKOnly,
                         QString::fromLatin1(platform::AppTitle));
        return;
    }
    // The picture's own file is read again, so the bitmap has the picture's natural size.
    QString source;
    if (g.ActiveWindow == 1 && IsLoaded<Form1>())
        source = Instance<Form1>().Picture5.source;
    else if (g.ActiveWindow == 2 && IsLoaded<Form2>())
        source = Instance<Form2>().Picture1.source;
    // Read from the CD on a worker; Save waits for it, Cancel does not, and then nothing is
    // written.
    Command1->setEnabled(false);
    platform::OffThread<std::optional<QImage>>(
        this, [source] { return platform::ReadPictureWhole(source); },
        [this, target = SaveTargetPath(File1->Path(), name)](std::optional<QImage> image) {
            Command1->setEnabled(true);
            if (image && platform::WriteBitmap(std::move(*image), target))
                return Unload<Form5>();
            // The dialog stays open so another folder or name can be chosen.
            platform::MsgBox(QStringLiteral("Sorry, the image could not be saved"),
                             platform::vbOKOnly, QString::fromLatin1(platform::AppTitle));
        });
}

void Form5::Command2_Click() {
    Unload<Form5>();
}

void Form5::closeEvent(QCloseEvent *event) {
    // The window's close button cancels; the window goes the way every unloaded window goes.
    event->ignore();
    Command2_Click();
}
