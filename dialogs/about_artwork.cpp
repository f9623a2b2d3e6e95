#include "dialogs/about_artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdint>

namespace {

// A fixed sequence, so the grain of the photograph is the same on every run.
int grain(std::uint32_t &state) {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>((state >> 24) % 9) - 4;
}

// One capital drawn in strokes inside its box.
void drawLetter(QPainter &p, char letter, const QRectF &box) {
    const double l = box.left() + 3, r = box.right() - 3, t = box.top() + 4, b = box.bottom() - 4;
    const double mx = (l + r) / 2, my = (t + b) / 2;
    QPainterPath path;
    switch (letter) {
    case 'O':
        path.addEllipse(QRectF(QPointF(l, t), QPointF(r, b)));
        break;
    case 'R':
        path.moveTo(l, b);
        path.lineTo(l, t);
        path.lineTo(mx, t);
        path.cubicTo(r + 1, t, r + 1, my, mx, my);
        path.lineTo(l, my);
        path.moveTo(mx - 1, my);
        path.lineTo(r, b);
        break;
    case 'V':
        path.moveTo(l, t);
        path.lineTo(mx, b);
        path.lineTo(r, t);
        break;
    case 'A':
        path.moveTo(l, b);
        path.lineTo(mx, t);
        path.lineTo(r, b);
        path.moveTo(l + (mx - l) / 2, my + 2);
        path.lineTo(r - (r - mx) / 2, my + 2);
        break;
    case 'N':
        path.moveTo(l, b);
        path.lineTo(l, t);
        path.lineTo(r, b);
        path.lineTo(r, t);
        break;
    case 'E':
        path.moveTo(r, t);
        path.lineTo(l, t);
        path.lineTo(l, b);
        path.lineTo(r, b);
        path.moveTo(l, my);
        path.lineTo(r - 1.5, my);
        break;
    default:
        break;
    }
    p.drawPath(path);
}

} // namespace

QImage AboutPhotograph() {
    QImage scene(73, 30, QImage::Format_RGB32);
    QPainter p(&scene);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 18);
    sky.setColorAt(0, QColor(150, 150, 150));
    sky.setColorAt(1, QColor(225, 225, 225));
    p.fillRect(scene.rect(), sky);
    p.setPen(Qt::NoPen);
    // A pale sun behind a far ridge, a nearer dark hill, a lake with the sun's reflection.
    p.setBrush(QColor(245, 245, 245));
    p.drawEllipse(QPointF(52, 9), 4, 4);
    QPainterPath ridge;
    ridge.moveTo(0, 20);
    ridge.cubicTo(14, 10, 26, 16, 38, 13);
    ridge.cubicTo(50, 10, 62, 17, 73, 14);
    ridge.lineTo(73, 30);
    ridge.lineTo(0, 30);
    p.setBrush(QColor(120, 120, 120));
    p.drawPath(ridge);
    QPainterPath hill;
    hill.moveTo(0, 23);
    hill.cubicTo(10, 15, 22, 17, 34, 22);
    hill.lineTo(34, 30);
    hill.lineTo(0, 30);
    p.setBrush(QColor(70, 70, 70));
    p.drawPath(hill);
    QLinearGradient lake(0, 21, 0, 30);
    lake.setColorAt(0, QColor(190, 190, 190));
    lake.setColorAt(1, QColor(110, 110, 110));
    p.setBrush(lake);
    p.drawRect(QRectF(30, 21, 43, 9));
    p.setBrush(QColor(235, 235, 235));
    for (int row = 0; row < 4; ++row)
        p.drawRect(QRectF(49 + row % 2, 22 + 2 * row, 6 - row, 1));
    // A lone tree on the near hill.
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(QRectF(14, 12, 1, 6));
    p.drawEllipse(QPointF(14.5, 11), 3.5, 3);
    p.end();

    QVector<QRgb> greys(256);
    for (int i = 0; i < 256; ++i)
        greys[i] = qRgb(i, i, i);
    QImage photo(scene.size(), QImage::Format_Indexed8);
    photo.setColorTable(greys);
    std::uint32_t state = 20040131u;
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qBound(0, qGray(scene.pixel(x, y)) + grain(state), 255));
    return photo;
}

QImage ProductLettering() {
    QImage image(85, 24, QImage::Format_RGB888);
    image.fill(QColor(236, 233, 216));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const char name[] = "ORVANE";
    for (int i = 0; i < 6; ++i) {
        const QRectF box(1 + i * 14, 1, 13, 22);
        QLinearGradient shade(box.topLeft(), box.bottomLeft());
        shade.setColorAt(0, QColor(40, 52, 92));
        shade.setColorAt(1, QColor(14, 20, 44));
        p.fillRect(box, shade);
        p.setPen(QPen(QColor(240, 236, 210), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        drawLetter(p, name[i], box);
    }
    return image;
}
