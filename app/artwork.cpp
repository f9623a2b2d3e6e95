#include "app/artwork.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QImage MainWindowArtwork() {
    QImage image(400, 375, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 375);
    sky.setColorAt(0.0, QColor(226, 238, 250));
    sky.setColorAt(0.7, QColor(250, 252, 255));
    sky.setColorAt(1.0, QColor(255, 255, 255));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 244, 214));
    p.drawEllipse(QPointF(330, 70), 34, 34);
    // Two soft ranges of hills along the bottom.
    const QColor hills[2] = {QColor(222, 236, 222), QColor(206, 228, 208)};
    for (int layer = 0; layer < 2; ++layer) {
        QPainterPath path;
        const double base = 300 + layer * 30;
        path.moveTo(0, 375);
        path.lineTo(0, base);
        for (int x = 0; x <= 400; x += 50)
            path.quadTo(x + 25, base - 30 + layer * 12, x + 50, base);
        path.lineTo(400, 375);
        path.closeSubpath();
        p.setBrush(hills[layer]);
        p.drawPath(path);
    }
    return image;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = size / 16.0;
        p.setPen(QPen(QColor(40, 60, 90), s * 0.8));
        QLinearGradient sky(0, 0, 0, size);
        sky.setColorAt(0, QColor(90, 150, 220));
        sky.setColorAt(1, QColor(200, 225, 250));
        p.setBrush(sky);
        p.drawRoundedRect(QRectF(0.5 * s, 1.5 * s, 15 * s, 13 * s), 2 * s, 2 * s);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 210, 80));
        p.drawEllipse(QPointF(11 * s, 5.5 * s), 2 * s, 2 * s);
        QPainterPath hill;
        hill.moveTo(1 * s, 14 * s);
        hill.quadTo(5 * s, 6 * s, 9 * s, 14 * s);
        hill.moveTo(6 * s, 14 * s);
        hill.quadTo(11 * s, 8 * s, 15 * s, 14 * s);
        p.setBrush(QColor(70, 140, 70));
        p.drawPath(hill);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon RingOfColoursIcon() {
    QIcon icon;
    for (int size : {16, 32, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        QConicalGradient ring(size / 2.0, size / 2.0, 90);
        const QColor spectrum[] = {Qt::red,  Qt::yellow,  Qt::green, Qt::cyan,
                                   Qt::blue, Qt::magenta, Qt::red};
        for (int i = 0; i < 7; ++i)
            ring.setColorAt(i / 6.0, spectrum[i]);
        const double width = size * 0.22;
        p.setPen(QPen(QBrush(ring), width));
        p.setBrush(Qt::NoBrush);
        const double inset = width / 2 + size * 0.06;
        p.drawEllipse(QRectF(inset, inset, size - 2 * inset, size - 2 * inset));
        icon.addPixmap(pixmap);
    }
    return icon;
}
