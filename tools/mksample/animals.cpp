#include "animals.h"

#include "scenery.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

QImage paintCat(QSize size, std::uint64_t seed) {
    Landscape night;
    night.skyTop = QColor(14, 18, 52);
    night.skyMiddle = QColor(46, 40, 96);
    night.skyBottom = QColor(110, 76, 130);
    night.stars = 160;
    night.light = Light::Moon;
    night.lightPos = QPointF(0.55, 0.42);
    night.lightRadius = 0.27;
    night.lightColour = QColor(250, 240, 200);
    QImage img = paintLandscape(size, night, seed);

    const double u = size.height() / 480.0;
    const double wallY = size.height() * 0.8;
    const double cx = size.width() * 0.52;
    const QColor shadow(20, 18, 30);

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(52, 44, 62));
    p.drawRect(QRectF(0, wallY, size.width(), size.height() - wallY));
    p.setPen(QPen(QColor(72, 62, 84), 2 * u));
    for (int row = 0; wallY + row * 24 * u < size.height(); ++row) {
        const double y = wallY + row * 24 * u;
        p.drawLine(QPointF(0, y), QPointF(size.width(), y));
        for (double x = (row % 2) * 30 * u; x < size.width(); x += 60 * u)
            p.drawLine(QPointF(x, y), QPointF(x, y + 24 * u));
    }

    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(cx, wallY - 62 * u), 42 * u, 64 * u);
    p.drawEllipse(QPointF(cx + 8 * u, wallY - 30 * u), 54 * u, 32 * u);
    const QPointF head(cx - 4 * u, wallY - 140 * u);
    p.drawEllipse(head, 34 * u, 31 * u);
    for (int side : {-1, 1}) {
        QPolygonF ear;
        ear << head + QPointF(side * 31, -10) * u << head + QPointF(side * 25, -56) * u
            << head + QPointF(side * 5, -28) * u;
        p.drawPolygon(ear);
    }
    QPainterPath tail;
    tail.moveTo(cx + 50 * u, wallY - 8 * u);
    tail.cubicTo(cx + 115 * u, wallY - 4 * u, cx + 125 * u, wallY - 90 * u, cx + 92 * u,
                 wallY - 118 * u);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(shadow, 13 * u, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(tail);
    return img;
}

QImage paintDog(QSize size, std::uint64_t seed) {
    Landscape day;
    day.skyTop = QColor(96, 160, 230);
    day.skyBottom = QColor(214, 236, 250);
    day.light = Light::Sun;
    day.lightPos = QPointF(0.16, 0.18);
    day.lightRadius = 0.07;
    day.clouds = 3;
    day.hills = {HillLayer(0.62, 0.05, QColor(150, 196, 120), 1.5),
                 HillLayer(0.78, 0.03, QColor(110, 170, 80), 0.8)};
    QImage img = paintLandscape(size, day, seed);

    const double u = size.height() / 480.0;
    const double gy = size.height() * 0.86;
    const double cx = size.width() * 0.42;
    const QColor coat(92, 60, 40);

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawEllipse(QPointF(cx, gy + 2 * u), 110 * u, 12 * u);

    p.setBrush(coat);
    for (double lx : {-70.0, -46.0, 42.0, 64.0})
        p.drawRoundedRect(QRectF(cx + lx * u - 8 * u, gy - 96 * u, 16 * u, 96 * u), 7 * u, 7 * u);
    p.drawRoundedRect(QRectF(cx - 85 * u, gy - 140 * u, 170 * u, 62 * u), 30 * u, 30 * u);
    QPolygonF neck;
    neck << QPointF(cx + 40 * u, gy - 138 * u) << QPointF(cx + 78 * u, gy - 186 * u)
         << QPointF(cx + 112 * u, gy - 160 * u) << QPointF(cx + 80 * u, gy - 100 * u);
    p.drawPolygon(neck);
    const QPointF head(cx + 98 * u, gy - 176 * u);
    p.drawEllipse(head, 30 * u, 28 * u);
    p.drawRoundedRect(QRectF(head.x() + 10 * u, head.y() - 6 * u, 42 * u, 24 * u), 11 * u, 11 * u);
    p.setBrush(QColor(40, 26, 20));
    p.drawEllipse(head + QPointF(50 * u, 0), 6 * u, 5 * u);
    p.save();
    p.translate(head + QPointF(-12 * u, 6 * u));
    p.rotate(15);
    p.drawEllipse(QPointF(0, 0), 11 * u, 26 * u);
    p.restore();
    p.setBrush(QColor(250, 250, 245));
    p.drawEllipse(head + QPointF(12 * u, -8 * u), 4 * u, 4 * u);

    QPainterPath tail;
    tail.moveTo(cx - 80 * u, gy - 128 * u);
    tail.quadTo(cx - 122 * u, gy - 150 * u, cx - 116 * u, gy - 190 * u);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(coat, 11 * u, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(tail);

    const QPointF ball(std::min(cx + 190 * u, size.width() - 30 * u), gy - 16 * u);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 50, 50));
    p.drawEllipse(ball, 16 * u, 16 * u);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(ball + QPointF(-5 * u, -6 * u), 5 * u, 4 * u);
    return img;
}
