#include "mainwindow/form1.h"

#include "app/artwork.h"
#include "app/forms.h"
#include "app/globals.h"
#include "catalogue/scan.h"
#include "mainwindow/settings_rules.h"
#include "platform/desktop/services.h"
#include "platform/files/files.h"
#include "platform/runtime/twips.h"
#include "viewer/form2.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QSessionManager>

namespace {

QFont designFont(const char *family, qreal points, bool bold = false) {
    // Where the named font is missing, Liberation Sans has the same metrics.
    QFont font;
    font.setFamilies({QString::fromLatin1(family), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QPushButton *button(QWidget *parent, const char *caption, const char *tip, float left, float top,
                    const QFont &font) {
    auto *b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setToolTip(QString::fromLatin1(tip));
    b->setFont(font);
    platform::Place(b, left, top, 1000, 300);
    return b;
}

} // namespace

Form1::Form1()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint) {
    designControls();
    platform::CentreOnScreen(this);
    // The program ends by this window's close button, a logout or a termination request only:
    // Qt would also end it when the last window it counts closes, and the viewer does not count.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // A logout or shutdown closes the window the gentle way.
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager &) { Form_QueryUnload(2); });
}

void Form1::designControls() {
    setWindowTitle(QStringLiteral("Brantwell"));
    setWindowIcon(ProgramIcon());
    setFont(designFont("Arial", 8.25));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    platform::SetClientSize(this, 5895, 5505);
    Picture = MainWindowArtwork();

    // Decoration under everything else: the frame around the preview and its information line.
    Shape1 = new QFrame(this);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setFrameShadow(QFrame::Plain);
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Shape1->setAccessibleName(QStringLiteral("Preview border"));
    platform::Place(Shape1, 3120, 1545, 1980, 1845);

    List1 = new platform::ListBox(this);
    platform::Place(List1, 850, 1200, 1825, 2580);
    List1->setAccessibleName(QStringLiteral("Pictures"));

    const QFont sansSerif = designFont("MS Sans Serif", 8.25);
    const QFont arial = designFont("Arial", 8.25);
    Command1 = button(this, "View", "View images fullscreen", 3600, 4260, sansSerif);
    Command6 = button(this, "Search", "Search for images on CD", 3600, 4620, arial);
    Command7 = button(this, "Reset", "Reset image list", 3600, 4980, arial);
    Command4 = button(this, "Slideshow", "View slideshow of images", 4665, 4260, sansSerif);
    Command5 = button(this, "Wallpaper", "Set image as desktop wallpaper", 4665, 4620, sansSerif);
    Command2 = button(this, "Save", "Save image to disk as bitmap", 4665, 4980, arial);

    Label2 = new platform::ClickLabel(QStringLiteral("Title"), this);
    Label2->setToolTip(QStringLiteral("Image info"));
    Label2->setAccessibleDescription(QStringLiteral("Picture information"));
    platform::Place(Label2, 3195, 3060, 1830, 255);

    Label1 = new platform::ClickLabel(QStringLiteral("Brantwell"), this);
    Label1->setFont(designFont("Arial", 24, true));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setAccessibleDescription(QStringLiteral("Catalogue title"));
    QPalette titlePalette = Label1->palette();
    titlePalette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    Label1->setPalette(titlePalette);
    platform::Place(Label1, 1905, 240, 2085, 555);

    Label3 = new platform::ClickLabel(QStringLiteral("brantwell.example"), this);
    QPalette makerPalette = Label3->palette();
    makerPalette.setColor(QPalette::WindowText, QColor(192, 192, 192));
    Label3->setPalette(makerPalette);
    Label3->setAccessibleDescription(QStringLiteral("Maker"));
    platform::Place(Label3, 240, 5160, 1665, 195);

    Picture1 = new platform::PictureFrame(this);
    Picture1->setAccessibleName(QStringLiteral("Preview"));
    platform::Place(Picture1, 3198, 1620, 1825, 1375);
    Image1 = new platform::ImageBox(Picture1);
    Image1->SetLeft(0);
    Image1->SetTop(0);
    Image1->SetWidth(1800);
    Image1->SetHeight(1350);

    Timer1 = new QTimer(this);
    Timer1->setInterval(3000);
    Timer1->start();

    setTabOrder(List1, Command1);
    setTabOrder(Command1, Command6);
    setTabOrder(Command6, Command7);
    setTabOrder(Command7, Command4);
    setTabOrder(Command4, Command5);
    setTabOrder(Command5, Command2);

    connect(List1, &platform::ListBox::Click, this, &Form1::List1_Click);
    connect(List1, &platform::ListBox::DblClick, this, &Form1::List1_DblClick);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Image1, &platform::ImageBox::Click, this, &Form1::Image1_Click);
    connect(Picture1, &platform::PictureFrame::Click, this, &Form1::Picture1_Click);
    connect(Label1, &platform::ClickLabel::Click, this, &Form1::Label1_Click);
    connect(Label3, &platform::ClickLabel::Click, this, &Form1::Label3_Click);

    // Keys reach the window before its controls.
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);
}

void Form1::Form_Load() {
    setWindowTitle(QStringLiteral("Orvane v3.0"));
    if (auto menupic = platform::LoadPicture(QStringLiteral("menupic.jpg")))
        Picture = menupic->image;
    g.ImagesFolder = QStringLiteral("images\\");
    g.SlideshowOn = 0;
    g.ActiveWindow = 1;

    const auto settings = ReadTitleSettings(
        platform::ReadLines(QStringLiteral("orvane.ini"), SettingsLines, SettingsLineLength));
    if (settings.colour) {
        QPalette titlePalette = Label1->palette();
        titlePalette.setColor(QPalette::WindowText, *settings.colour);
        Label1->setPalette(titlePalette);
    }
    Label1->setText(settings.title);

    ScanParams params;
    params.Recurse = true;
    params.AddToList = true;
    params.Folder = g.ImagesFolder;
    params.Pattern = QStringLiteral("*.*");
    params.FileCount = 0;
    ScanFolder(params, *List1);
    g.ImageCount = params.FileCount;

    List1->SetSelected(0);
    g.CurrentIndex = 1;
    Thumbnail();

    if (!platform::Dir(QStringLiteral("orvane.wav")).isEmpty())
        platform::services().playSound(platform::NativePath(QStringLiteral("orvane.wav")));
}

void Form1::Form_Activate() {
    g.ActiveWindow = 1;
    if (g.SlideshowOn == 0)
        List1->SetFocus();
    List1->SetSelected(g.CurrentIndex - 1);
}

void Form1::Form_KeyDown(int keyCode, int) {
    if (keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter)
        Instance<Form2>().Show();
}

void Form1::Form_QueryUnload(int unloadMode) {
    if (unloadMode == 0) {
        // End: the whole program stops at once, whatever else is open.
        QCoreApplication::exit(0);
        return;
    }
    if (unloadMode == 2 || unloadMode == 3)
        Form_Terminate();
}

void Form1::Form_Terminate() {
    Unload<Form2>();
}

void Form1::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.drawImage(0, 0, Picture);
}

void Form1::closeEvent(QCloseEvent *event) {
    Form_QueryUnload(0);
    event->accept();
}

bool Form1::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        // A key the control leaves unhandled comes on to the window itself: see it once only.
        previewedKey_ = event;
        const auto *key = static_cast<QKeyEvent *>(event);
        Form_KeyDown(key->key(), static_cast<int>(key->modifiers()));
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::keyPressEvent(QKeyEvent *event) {
    if (event != previewedKey_)
        Form_KeyDown(event->key(), static_cast<int>(event->modifiers()));
    previewedKey_ = nullptr;
    QWidget::keyPressEvent(event);
}
