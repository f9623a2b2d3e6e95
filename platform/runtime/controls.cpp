#include "platform/runtime/controls.h"

#include "platform/runtime/twips.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

ImageBox::ImageBox(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void ImageBox::SetPicture(const QImage &image) {
    image_ = image;
    scaled_ = QPixmap();
    update();
}

void ImageBox::SetLeft(float v) {
    left_ = v;
    relayout();
}
void ImageBox::SetTop(float v) {
    top_ = v;
    relayout();
}
void ImageBox::SetWidth(float v) {
    width_ = v;
    relayout();
}
void ImageBox::SetHeight(float v) {
    height_ = v;
    relayout();
}

void ImageBox::relayout() {
    Place(this, left_, top_, width_, height_);
}

void ImageBox::paintEvent(QPaintEvent *) {
    if (image_.isNull() || width() <= 0 || height() <= 0)
        return;
    const qreal dpr = devicePixelRatioF();
    const QSize device(qRound(width() * dpr), qRound(height() * dpr));
    if (scaled_.isNull() || scaled_.size() != device) {
        scaled_ = QPixmap::fromImage(
            image_.size() == device
                ? image_
                : image_.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        scaled_.setDevicePixelRatio(dpr);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, scaled_);
}

void ImageBox::mousePressEvent(QMouseEvent *event) {
    emit MouseDown(event->button(), event->globalPosition().toPoint());
}

void ImageBox::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

void ClickLabel::mousePressEvent(QMouseEvent *event) {
    emit MouseDown(event->button(), event->globalPosition().toPoint());
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

PictureFrame::PictureFrame(QWidget *parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
}

void PictureFrame::paintEvent(QPaintEvent *) {}

void PictureFrame::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

} // namespace platform
