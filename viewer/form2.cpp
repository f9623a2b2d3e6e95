#include "viewer/form2.h"

#include "app/forms.h"
#include "app/globals.h"
#include "mainwindow/form1.h"
#include "platform/imaging/lookahead.h"
#include "platform/runtime/activation.h"
#include "platform/runtime/twips.h"
#include "platform/runtime/windowkind.h"
#include "viewer/fit_rules.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

Form2::Form2()
    : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint), Image1(nullptr), Label1(nullptr),
      Timer1(nullptr), mnuOptions(nullptr), mnuOptionsTitle(nullptr), mnuOptionsNext(nullptr),
      mnuOptionsPrevious(nullptr), mnuOptionsSlideshow(nullptr), mnuOptionsZoomIn(nullptr),
      mnuOptionsZoomOut(nullptr), mnuOptionsSave(nullptr), mnuOptionsWallpaper(nullptr),
      mnuOptionsOpen(nullptr), mnuOptionsExit(nullptr), displayTimer_(nullptr),
      lookAheadTimer_(nullptr) {
    // The picture Form_Load shows is read on the worker while the window is being built.
    LookAheadAt(g.CurrentIndex);
    designControls();
    designMenu();
    coverScreen();
    platform::KeepOffTaskbar(this);
    create();
}

void Form2::designControls() {
    setWindowTitle(QString());
    // No caption to read out: a screen reader names the window by this.
    setAccessibleName(QStringLiteral("Viewer"));
    setFocusPolicy(Qt::StrongFocus);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    Image1 = new platform::ImageBox(this);
    Image1->setAccessibleDescription(QStringLiteral("Picture"));
    Image1->SetVisible(false);

    // The caption in the system's window colours, over the picture where the two meet.
    Label1 = new platform::ClickLabel(this);
    const QPalette system = QApplication::palette();
    QPalette caption = Label1->palette();
    caption.setColor(QPalette::Window, system.color(QPalette::Base));
    caption.setColor(QPalette::WindowText, system.color(QPalette::Text));
    Label1->setPalette(caption);
    Label1->setAutoFillBackground(true);
    Label1->setAccessibleDescription(QStringLiteral("Caption"));
    // Black before the first picture: the caption comes with it.
    Label1->hide();

    Timer1 = new QTimer(this);
    displayTimer_ = new QTimer(this);
    displayTimer_->setSingleShot(true);
    displayTimer_->setInterval(0);
    lookAheadTimer_ = new QTimer(this);
    lookAheadTimer_->setSingleShot(true);
    // Soon after the picture is painted (below), or after this when nothing paints it.
    lookAheadTimer_->setInterval(100);
    Image1->installEventFilter(this);

    connect(Image1, &platform::ImageBox::MouseDown, this, &Form2::Image1_MouseDown);
    connect(Label1, &platform::ClickLabel::MouseDown, this, &Form2::Label1_MouseDown);
    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
    connect(displayTimer_, &QTimer::timeout, this, &Form2::DisplayImage);
    connect(lookAheadTimer_, &QTimer::timeout, this, &Form2::LookAheadOnward);
}

void Form2::designMenu() {
    mnuOptions = new QMenu(QStringLiteral("&Options"), this);
    auto item = [this](const char *caption, void (Form2::*handler)()) {
        QAction *action = mnuOptions->addAction(QString::fromLatin1(caption));
        if (handler)
            connect(action, &QAction::triggered, this, handler);
        return action;
    };
    mnuOptionsTitle = item(" <<  Orvane Options  >>", nullptr);
    mnuOptionsTitle->setEnabled(false);
    mnuOptions->addSeparator();
    mnuOptionsNext = item("&Next Image", &Form2::mnuOptionsNext_Click);
    mnuOptionsPrevious = item("&Previous Image", &Form2::mnuOptionsPrevious_Click);
    mnuOptionsSlideshow = item("Sli&deshow", &Form2::mnuOptionsSlideshow_Click);
    mnuOptions->addSeparator();
    mnuOptionsZoomIn = item("&Zoom In", &Form2::mnuOptionsZoomIn_Click);
    mnuOptionsZoomOut = item("Zoo&m Out", &Form2::mnuOptionsZoomOut_Click);
    mnuOptions->addSeparator();
    mnuOptionsSave = item("&Save Image As...", &Form2::mnuOptionsSave_Click);
    mnuOptionsWallpaper = item("Set Desktop &Wallpaper", &Form2::mnuOptionsWallpaper_Click);
    mnuOptionsOpen = item("&Open With...", &Form2::mnuOptionsOpen_Click);
    mnuOptions->addSeparator();
    mnuOptionsExit = item("E&xit", &Form2::mnuOptionsExit_Click);
}

// The whole screen the main window is on; the geometry is set as well as the state, for where
// no window manager acts on the state.
void Form2::coverScreen() {
    QScreen *screen = IsLoaded<Form1>() ? Instance<Form1>().screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    setScreen(screen);
    setGeometry(screen->geometry());
    setWindowState(Qt::WindowFullScreen);
}

// The window's edges on its own screen: on a second monitor the window's position on the whole
// desktop would push everything off the window.
float Form2::FormLeft() const {
    const QScreen *s = screen();
    return platform::WindowLeft(this) - (s ? platform::ToTwips(s->geometry().left(), this) : 0.0f);
}

float Form2::FormTop() const {
    const QScreen *s = screen();
    return platform::WindowTop(this) - (s ? platform::ToTwips(s->geometry().top(), this) : 0.0f);
}

void Form2::SetTimerInterval(int milliseconds) {
    if (milliseconds > 0)
        Timer1->start(milliseconds);
    else
        Timer1->stop();
}

void Form2::Show() {
    coverScreen();
    platform::ActivateForm(this);
}

void Form2::Form_Load() {
    SetTimerInterval(g.SlideshowDelay);
    g.ZoomLimit = 0;
    g.ActiveWindow = 2;
    DisplayImage();
}

void Form2::Form_Activate() {
    Form_Load();
}

void Form2::Form_Unload() {
    Timer1->stop();
    lookAheadTimer_->stop();
    platform::DropLookAhead();
    platform::KeepLastShownOnly();
    // A display still waiting for the event queue or its read is not shown any more, but its
    // title counts.
    if (displayTimer_->isActive() || displayRead_.pending()) {
        displayTimer_->stop();
        displayRead_.drop();
        afterDisplay_.clear();
        askedAt_ = ++g.PicturesAsked;
        ShowTitle(g.CurrentIndex);
    }
    g.ImageTitle = ClosingTitle(g.ImageTitle);
    if (IsLoaded<Form1>()) {
        Form1 &main = Instance<Form1>();
        platform::ActivateForm(&main);
        main.List1->SetFocus();
    }
    g.SlideshowOn = 0;
    g.SlideshowPaused = 0;
}

// The worker reads ahead once the picture is on screen, not while it is being drawn.
bool Form2::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Image1 && event->type() == QEvent::Paint && lookAheadTimer_->isActive())
        lookAheadTimer_->start(0);
    return QWidget::eventFilter(watched, event);
}

void Form2::closeEvent(QCloseEvent *event) {
    // Closed by the window system: the same as Escape.
    event->ignore();
    if (FormSlot<Form2> == this)
        Unload<Form2>();
}
