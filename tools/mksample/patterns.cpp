#include "patterns.h"

#include "rng.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// QImage starts with whatever was in memory; clear it so anti-aliased edges
// never blend with leftovers and every run writes the same bytes.
QImage blank(QSize size, QColor colour = Qt::black) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

double scaleFor(QSize size) {
    return std::min(size.width(), size.height() * 4 / 3) / 640.0;
}

QImage canvas(QSize size, QColor top, QColor bottom) {
    QImage img = blank(size);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(img.rect(), g);
    return img;
}

QColor hsv(double h, double s, double v, double a = 1.0) {
    return QColor::fromHsvF(static_cast<float>(std::fmod(h + 10.0, 1.0)), static_cast<float>(s),
                            static_cast<float>(v), static_cast<float>(a));
}

void startPainter(QPainter &p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
}

} // namespace

QImage paintCircles(QSize size, std::uint64_t seed) {
    QImage img = canvas(size, QColor(255, 248, 232), QColor(222, 236, 250));
    Rng rng(seed);
    const double s = scaleFor(size);
    QPainter p(&img);
    startPainter(p);
    p.setPen(QPen(QColor(255, 255, 255, 200), 2 * s));
    for (int i = 0; i < 32; ++i) {
        const double r = rng.range(18, 110) * s;
        p.setBrush(hsv(rng.range(0.45, 1.05), 0.5, 0.95, 0.55));
        p.drawEllipse(QPointF(rng.range(0, size.width()), rng.range(0, size.height())), r, r);
    }
    return img;
}

QImage paintSquares(QSize size, std::uint64_t seed) {
    QImage img = canvas(size, QColor(24, 64, 72), QColor(14, 34, 48));
    Rng rng(seed);
    const int cols = 6;
    const int rows = 4;
    const double cw = double(size.width()) / cols;
    const double ch = double(size.height()) / rows;
    QPainter p(&img);
    startPainter(p);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < cols; ++x) {
            p.save();
            p.translate((x + 0.5) * cw, (y + 0.5) * ch);
            p.rotate(rng.range(-25, 25));
            const double side = std::min(cw, ch) * rng.range(0.45, 0.75);
            p.setBrush(hsv(0.08 + 0.07 * x + 0.04 * y, 0.65, 0.95, 0.9));
            p.drawRoundedRect(QRectF(-side / 2, -side / 2, side, side), side * 0.08, side * 0.08);
            p.restore();
        }
    }
    return img;
}

QImage paintTriangles(QSize size, std::uint64_t seed) {
    QImage img = blank(size, QColor(173, 114, 116));
    Rng rng(seed);
    const int cols = 10;
    const int rows = 8;
    std::vector<QPointF> pts((cols + 1) * (rows + 1));
    for (int y = 0; y <= rows; ++y) {
        for (int x = 0; x <= cols; ++x) {
            const double jx = (x > 0 && x < cols) ? rng.range(-0.35, 0.35) : 0.0;
            const double jy = (y > 0 && y < rows) ? rng.range(-0.35, 0.35) : 0.0;
            pts[y * (cols + 1) + x] = QPointF((x + jx) * size.width() / double(cols),
                                              (y + jy) * size.height() / double(rows));
        }
    }
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor a(250, 176, 92);
    const QColor b(96, 52, 140);
    auto triangle = [&](QPointF p0, QPointF p1, QPointF p2) {
        const QPointF c = (p0 + p1 + p2) / 3.0;
        const double t = std::clamp((c.x() / size.width() + c.y() / size.height()) / 2.0 +
                                        rng.range(-0.06, 0.06),
                                    0.0, 1.0);
        const QColor col =
            QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                             static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                             static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
        p.setPen(QPen(col, 1));
        p.setBrush(col);
        p.drawPolygon(QPolygonF({p0, p1, p2}));
    };
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < cols; ++x) {
            const QPointF tl = pts[y * (cols + 1) + x];
            const QPointF tr = pts[y * (cols + 1) + x + 1];
            const QPointF bl = pts[(y + 1) * (cols + 1) + x];
            const QPointF br = pts[(y + 1) * (cols + 1) + x + 1];
            triangle(tl, tr, bl);
            triangle(tr, br, bl);
        }
    }
    return img;
}

QImage paintRings(QSize size, std::uint64_t seed) {
    QImage img = canvas(size, QColor(20, 24, 56), QColor(40, 20, 60));
    Rng rng(seed);
    const double s = scaleFor(size);
    QPainter p(&img);
    startPainter(p);
    p.setBrush(Qt::NoBrush);
    for (int c = 0; c < 3; ++c) {
        const QPointF centre(rng.range(0.2, 0.8) * size.width(),
                             rng.range(0.2, 0.8) * size.height());
        const double hue = rng.unit();
        for (int i = 1; i <= 14; ++i) {
            p.setPen(QPen(hsv(hue + i * 0.025, 0.6, 1.0, 0.55), 3 * s));
            p.drawEllipse(centre, i * 16 * s, i * 16 * s);
        }
    }
    return img;
}

QImage paintStripes(QSize size, std::uint64_t seed) {
    static const QColor colours[] = {
        {38, 70, 83}, {42, 157, 143}, {233, 196, 106}, {244, 162, 97}, {231, 111, 81}};
    QImage img = blank(size);
    Rng rng(seed);
    const double s = scaleFor(size);
    const double diag = std::hypot(size.width(), size.height());
    QPainter p(&img);
    startPainter(p);
    p.translate(size.width() / 2.0, size.height() / 2.0);
    p.rotate(-30);
    int k = 0;
    for (double x = -diag / 2; x < diag / 2; ++k) {
        const double w = rng.range(18, 64) * s;
        p.setBrush(colours[k % 5]);
        p.drawRect(QRectF(x, -diag / 2, w + 1, diag));
        x += w;
    }
    return img;
}

QImage paintMosaic(QSize size, std::uint64_t seed) {
    QImage img = canvas(size, QColor(40, 40, 46), QColor(30, 30, 36));
    Rng rng(seed);
    const double cell = 40 * scaleFor(size);
    QPainter p(&img);
    startPainter(p);
    for (double y = 0; y < size.height(); y += cell) {
        for (double x = 0; x < size.width(); x += cell) {
            const double h = 0.5 + 0.25 * (x / size.width()) - 0.2 * (y / size.height());
            p.setBrush(hsv(h + rng.range(-0.04, 0.04), 0.55, rng.range(0.75, 0.98)));
            p.drawRoundedRect(QRectF(x + 2, y + 2, cell - 4, cell - 4), cell * 0.15, cell * 0.15);
        }
    }
    return img;
}

QImage paintBubbles(QSize size, std::uint64_t seed) {
    QImage img = canvas(size, QColor(60, 190, 200), QColor(10, 50, 110));
    Rng rng(seed);
    const double s = scaleFor(size);
    QPainter p(&img);
    startPainter(p);
    for (int i = 0; i < 5; ++i) {
        const double x = rng.range(0, size.width());
        const double spread = rng.range(30, 90) * s;
        QLinearGradient g(0, 0, 0, size.height());
        g.setColorAt(0, QColor(255, 255, 255, 60));
        g.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(g);
        p.drawPolygon(QPolygonF({QPointF(x - spread * 0.3, 0), QPointF(x + spread * 0.3, 0),
                                 QPointF(x + spread * 2, size.height()),
                                 QPointF(x + spread, size.height())}));
    }
    for (int i = 0; i < 45; ++i) {
        const QPointF c(rng.range(0, size.width()), rng.range(0, size.height()));
        const double r = rng.range(4, 30) * s;
        p.setPen(QPen(QColor(255, 255, 255, 170), std::max(1.0, 1.5 * s)));
        p.setBrush(QColor(255, 255, 255, 30));
        p.drawEllipse(c, r, r);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawEllipse(c + QPointF(-r * 0.4, -r * 0.4), r * 0.2, r * 0.14);
    }
    return img;
}

QImage paintSpiral(QSize size, std::uint64_t seed) {
    QImage img = blank(size);
    Rng rng(seed);
    const double s = scaleFor(size);
    QPainter p(&img);
    startPainter(p);
    const QPointF centre(size.width() / 2.0, size.height() / 2.0);
    QRadialGradient bg(centre, std::hypot(size.width(), size.height()) / 2);
    bg.setColorAt(0, QColor(40, 36, 70));
    bg.setColorAt(1, QColor(8, 8, 20));
    p.fillRect(img.rect(), bg);
    const double hue0 = rng.unit();
    const double golden = kPi * (3.0 - std::sqrt(5.0));
    for (int i = 0; i < 700; ++i) {
        const double r = 8.5 * s * std::sqrt(double(i));
        const double a = i * golden;
        const double dot = (1.5 + 4.5 * i / 700.0) * s;
        p.setBrush(hsv(hue0 + i / 900.0, 0.6, 1.0, 0.9));
        p.drawEllipse(centre + QPointF(r * std::cos(a), r * std::sin(a)), dot, dot);
    }
    return img;
}

QImage paintBokeh(QSize size, std::uint64_t seed) {
    QImage img = canvas(size, QColor(44, 20, 60), QColor(16, 24, 58));
    Rng rng(seed);
    const double s = scaleFor(size);
    QPainter p(&img);
    startPainter(p);
    for (int i = 0; i < 40; ++i) {
        const QPointF c(rng.range(0, size.width()), rng.range(0, size.height()));
        const double r = rng.range(20, 90) * s;
        const QColor col = hsv(rng.range(0.02, 0.18), 0.6, 1.0);
        QRadialGradient g(c, r);
        g.setColorAt(0, QColor(col.red(), col.green(), col.blue(), 110));
        g.setColorAt(0.8, QColor(col.red(), col.green(), col.blue(), 80));
        g.setColorAt(1, QColor(col.red(), col.green(), col.blue(), 0));
        p.setBrush(g);
        p.drawEllipse(c, r, r);
    }
    return img;
}

QImage paintColourWheel(QSize size, std::uint64_t seed) {
    QImage img = canvas(size, QColor(236, 236, 240), QColor(200, 200, 210));
    Rng rng(seed);
    QPainter p(&img);
    startPainter(p);
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    const double r = size.height() * 0.4;
    QConicalGradient wheel(c, rng.range(0, 360));
    for (int i = 0; i <= 6; ++i)
        wheel.setColorAt(i / 6.0, hsv(i / 6.0, 0.85, 1.0));
    p.setBrush(QColor(0, 0, 0, 40));
    p.drawEllipse(c + QPointF(r * 0.04, r * 0.06), r, r);
    p.setBrush(wheel);
    p.drawEllipse(c, r, r);
    QRadialGradient centre(c, r);
    centre.setColorAt(0, QColor(255, 255, 255, 255));
    centre.setColorAt(0.25, QColor(255, 255, 255, 160));
    centre.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(centre);
    p.drawEllipse(c, r, r);
    return img;
}

QImage paintWaves(QSize size, std::uint64_t seed) {
    QImage img = canvas(size, QColor(255, 236, 210), QColor(250, 210, 180));
    Rng rng(seed);
    const double w = size.width();
    const double h = size.height();
    QPainter p(&img);
    startPainter(p);
    for (int band = 0; band < 7; ++band) {
        const double base = h * (0.3 + 0.1 * band);
        const double amp = h * 0.04 * rng.range(0.7, 1.3);
        const double freq = rng.range(1.2, 2.4);
        const double phase = rng.range(0, 2 * kPi);
        QPainterPath path;
        path.moveTo(0, h + 1);
        for (double x = 0; x <= w + 4; x += 4)
            path.lineTo(x, base + amp * std::sin(2 * kPi * freq * x / w + phase));
        path.lineTo(w + 4, h + 1);
        path.closeSubpath();
        p.fillPath(path, hsv(0.47 + band * 0.025, 0.35 + band * 0.08, 0.95 - band * 0.08));
    }
    return img;
}

QImage paintCheckers(QSize size, std::uint64_t seed) {
    QImage img = blank(size, QColor(236, 228, 206));
    Rng rng(seed);
    const double cell = size.height() / 8.0;
    QPainter p(&img);
    startPainter(p);
    for (int y = 0; y * cell < size.height(); ++y)
        for (int x = 0; x * cell < size.width(); ++x) {
            p.setBrush((x + y) % 2 ? QColor(236, 228, 206) : QColor(158, 186, 150));
            p.drawRect(QRectF(x * cell, y * cell, cell + 0.5, cell + 0.5));
        }
    const QPointF ball(rng.range(0.35, 0.65) * size.width(), size.height() * 0.5);
    const double r = size.height() * 0.16;
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawEllipse(ball + QPointF(r * 0.5, r * 1.05), r * 1.05, r * 0.35);
    QRadialGradient g(ball + QPointF(-r * 0.35, -r * 0.4), r * 1.5);
    g.setColorAt(0, QColor(255, 170, 160));
    g.setColorAt(0.4, QColor(220, 50, 50));
    g.setColorAt(1, QColor(110, 16, 24));
    p.setBrush(g);
    p.drawEllipse(ball, r, r);
    return img;
}
