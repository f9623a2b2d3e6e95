#include "mainwindow/form4.h"

#include "app/artwork.h"
#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "mainwindow/search_rules.h"
#include "platform/desktop/services.h"
#include "platform/runtime/activation.h"
#include "platform/runtime/twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QWindow>

// A border but no title bar, so no close button and no system menu; as a dialog it gets no
// task-bar entry of its own.
Form4::Form4() : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint) {
    platform::OpenOnScreenOf(this, platform::LastActiveForm());
    setWindowIcon(RingOfColoursIcon());
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(8.25);
    setFont(font);
    platform::SetClientSize(this, 2970, 1455);
    setFixedSize(size());
    // No caption to read out: a screen reader names the dialog by this.
    setAccessibleName(QStringLiteral("Search"));

    Frame1 = new QGroupBox(QStringLiteral("Enter search string"), this);
    platform::Place(Frame1, 70, 60, 2835, 1335);
    Frame1->setFocusPolicy(Qt::NoFocus);
    Text1 = new QLineEdit(Frame1);
    platform::Place(Text1, 120, 300, 2595, 315);
    Command1 = new QPushButton(QStringLiteral("&OK"), Frame1);
    platform::Place(Command1, 300, 720, 1000, 450);
    Command2 = new QPushButton(QStringLiteral("&Cancel"), Frame1);
    platform::Place(Command2, 1560, 720, 1000, 450);
    // Enter belongs to the text box's own handling, not to a default button.
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);

    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Text1->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
}

void Form4::Form_Load() {
    Form1 &main = Instance<Form1>();
    platform::MoveWindow(this, platform::WindowLeft(&main) + 330,
                         platform::WindowTop(&main) + 4350);
    // Window managers keep a dialog that belongs to another window out of the task bar.
    if (QWindow *owner = main.windowHandle()) {
        winId();
        if (QWindow *own = windowHandle())
            own->setTransientParent(owner);
    }
    Text1->setFocus();
    g.SearchString.clear();
}

void Form4::Command1_Click() {
    Text1->setFocus();
    g.SearchString = SearchTextOf(Text1->text());
    if (g.SearchString.isEmpty()) {
        platform::MsgBox(QStringLiteral("Please enter search string"));
        return;
    }
    Instance<Form1>().CheckSearchString();
    if (g.TooManyKeywords == 1)
        Text1->clear();
    else
        Unload<Form4>();
}

void Form4::Command2_Click() {
    g.SearchString.clear();
    Unload<Form4>();
}

bool Form4::Text1_KeyDown(int keyCode, int) {
    if (keyCode != Qt::Key_Return && keyCode != Qt::Key_Enter)
        return false;
    Command1_Click();
    return true;
}

void Form4::closeEvent(QCloseEvent *event) {
    // Closed by the system (Alt+F4, a close request): the same as Cancel, so a text rejected as
    // too many keywords never reaches the search.
    if (FormSlot<Form4> == this)
        Command2_Click();
    event->accept();
}

bool Form4::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (Text1_KeyDown(key->key(), static_cast<int>(key->modifiers())))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}
