#include "dialogs/form3.h"

#include "app/forms.h"
#include "dialogs/about_artwork.h"
#include "platform/runtime/activation.h"
#include "platform/runtime/twips.h"

#include <QMouseEvent>

namespace {

QFont labelFont(qreal points) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(points);
    return font;
}

} // namespace

Form3::Form3() : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint) {
    platform::OpenOnScreenOf(this, platform::LastActiveForm());
    designControls();
    platform::CentreOnScreen(this);
}

void Form3::designControls() {
    setWindowTitle(QStringLiteral("About"));
    platform::SetClientSize(this, 2490, 1890);
    setFixedSize(size());

    // The frame starts above the window's top edge, so its upper border stays out of sight.
    Frame1 = new QFrame(this);
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);
    platform::Place(Frame1, 30, -60, 2445, 1935);
    Frame1->installEventFilter(this);

    Label1 = new platform::ClickLabel(QStringLiteral("Brantwell Computer Systems"), Frame1);
    Label1->setFont(labelFont(7.5));
    Label1->setAlignment(Qt::AlignCenter);
    platform::Place(Label1, 270, 210, 1950, 195);

    Picture1 = new platform::ImageBox(Frame1);
    Picture1->SetPicture(AboutPhotograph());
    Picture1->SetLeft(698);
    Picture1->SetTop(570);
    Picture1->SetWidth(1095);
    Picture1->SetHeight(450);
    Picture1->setAccessibleName(QStringLiteral("Photograph"));

    Image1 = new platform::ImageBox(Frame1);
    Image1->SetPicture(ProductLettering());
    Image1->SetLeft(608);
    Image1->SetTop(1140);
    Image1->SetWidth(1275);
    Image1->SetHeight(360);
    Image1->setAccessibleName(QStringLiteral("ORVANE"));

    Label2 = new platform::ClickLabel(QStringLiteral("\u00a9 1998-2004 Brantwell"), Frame1);
    Label2->setFont(labelFont(7));
    Label2->setAlignment(Qt::AlignCenter);
    platform::Place(Label2, 420, 1620, 1650, 195);

    Timer1 = new QTimer(this);
    Timer1->setInterval(5000);
    Timer1->start();

    // The controls report the left button only; here every button clicks.
    const QList<QWidget *> controls{Label1, Label2, Picture1, Image1};
    for (QWidget *control : controls)
        control->installEventFilter(this);
    connect(Timer1, &QTimer::timeout, this, &Form3::Timer1_Timer);
}

void Form3::Form_Click() {
    Unload<Form3>();
}
void Form3::Frame1_Click() {
    Unload<Form3>();
}
void Form3::Label1_Click() {
    Unload<Form3>();
}
void Form3::Label2_Click() {
    Unload<Form3>();
}
void Form3::Picture1_Click() {
    Unload<Form3>();
}
void Form3::Image1_Click() {
    Unload<Form3>();
}
void Form3::Timer1_Timer() {
    Unload<Form3>();
}

void Form3::mouseReleaseEvent(QMouseEvent *event) {
    if (rect().contains(event->position().toPoint()))
        Form_Click();
}

bool Form3::eventFilter(QObject *watched, QEvent *event) {
    auto *control = qobject_cast<QWidget *>(watched);
    if (!control || event->type() != QEvent::MouseButtonRelease ||
        !control->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint()))
        return QWidget::eventFilter(watched, event);
    if (watched == Frame1)
        Frame1_Click();
    else if (watched == Label1)
        Label1_Click();
    else if (watched == Label2)
        Label2_Click();
    else if (watched == Picture1)
        Picture1_Click();
    else if (watched == Image1)
        Image1_Click();
    return true;
}
