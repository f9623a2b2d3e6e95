#include "scenery.h"

#include "rng.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTau = 2.0 * std::numbers::pi;

QColor withAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

// A ridge line made of three sine waves with random phases.
class Ridge {
  public:
    Ridge(const HillLayer &layer, QSize size, Rng &rng)
        : layer_(layer), w_(size.width()), h_(size.height()) {
        for (int i = 0; i < 3; ++i) {
            freq_[i] = rng.range(0.6, 1.4) * (i + 1) * layer.waviness;
            phase_[i] = rng.range(0.0, kTau);
        }
    }

    double y(double x) const {
        const double u = x / w_;
        const double f = 0.6 * std::sin(kTau * u * freq_[0] + phase_[0]) +
                         0.3 * std::sin(kTau * u * freq_[1] + phase_[1]) +
                         0.1 * std::sin(kTau * u * freq_[2] + phase_[2]);
        return h_ * (layer_.base - layer_.amplitude * f);
    }

    void paint(QPainter &p) const {
        QPainterPath path;
        path.moveTo(0, h_ + 1);
        const double step = std::max(2.0, w_ / 240.0);
        for (double x = 0; x < w_ + step; x += step)
            path.lineTo(x, y(x));
        path.lineTo(w_ + 1, h_ + 1);
        path.closeSubpath();
        const double top = h_ * (layer_.base - layer_.amplitude);
        QLinearGradient g(0, top, 0, h_);
        g.setColorAt(0, layer_.colour.lighter(112));
        g.setColorAt(1, layer_.colour.darker(125));
        p.fillPath(path, g);
    }

  private:
    HillLayer layer_;
    double w_, h_;
    double freq_[3]{};
    double phase_[3]{};
};

void paintSky(QPainter &p, QSize size, const Landscape &s) {
    QLinearGradient g(0, 0, 0, size.height() * (s.sea ? s.horizon : 0.85));
    g.setColorAt(0, s.skyTop);
    if (s.skyMiddle.isValid())
        g.setColorAt(0.55, s.skyMiddle);
    g.setColorAt(1, s.skyBottom);
    p.fillRect(QRect(QPoint(0, 0), size), g);
}

void paintStars(QPainter &p, QSize size, const Landscape &s, double scale, Rng &rng) {
    const double area = double(size.width()) * size.height() / (640.0 * 480.0);
    const int count = static_cast<int>(s.stars * area);
    const double bottom = size.height() * (s.sea ? s.horizon : 0.8);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const QPointF c(rng.range(0, size.width()), bottom * std::pow(rng.unit(), 1.3));
        const double r = scale * rng.range(0.5, 1.5);
        const int bright = rng.between(150, 255);
        if (rng.unit() < 0.08) {
            QRadialGradient glow(c, r * 5);
            glow.setColorAt(0, QColor(255, 255, 240, 120));
            glow.setColorAt(1, QColor(255, 255, 240, 0));
            p.setBrush(glow);
            p.drawEllipse(c, r * 5, r * 5);
        }
        p.setBrush(QColor(bright, bright, std::min(255, bright + 20)));
        p.drawEllipse(c, r, r);
    }
}

void paintLight(QPainter &p, QSize size, const Landscape &s, Rng &rng) {
    const QPointF c(s.lightPos.x() * size.width(), s.lightPos.y() * size.height());
    const double r = s.lightRadius * size.height();
    p.setPen(Qt::NoPen);

    QRadialGradient glow(c, r * 4);
    glow.setColorAt(0, withAlpha(s.lightColour, s.light == Light::Sun ? 150 : 70));
    glow.setColorAt(1, withAlpha(s.lightColour, 0));
    p.setBrush(glow);
    p.drawEllipse(c, r * 4, r * 4);

    QPainterPath disc;
    disc.addEllipse(c, r, r);
    if (s.light == Light::Crescent) {
        QPainterPath bite;
        bite.addEllipse(c + QPointF(r * 0.45, -r * 0.2), r * 0.95, r * 0.95);
        disc = disc.subtracted(bite);
    }
    p.fillPath(disc, s.lightColour);

    if (s.light == Light::Moon) {
        // A few faint maria so the moon is not a flat disc.
        for (int i = 0; i < 5; ++i) {
            const QPointF m = c + QPointF(rng.range(-0.5, 0.5) * r, rng.range(-0.5, 0.5) * r);
            const double mr = r * rng.range(0.12, 0.28);
            p.setBrush(withAlpha(s.lightColour.darker(125), 120));
            p.drawEllipse(m, mr, mr * 0.8);
        }
    }
}

void paintRainbow(QPainter &p, QSize size, double scale) {
    static const QColor bands[] = {{230, 60, 60},  {240, 150, 50}, {240, 220, 70}, {80, 190, 90},
                                   {70, 140, 220}, {90, 80, 190},  {150, 80, 180}};
    const QPointF c(size.width() * 0.45, size.height() * 0.95);
    const double width = 7 * scale;
    double r = size.height() * 0.75;
    p.setBrush(Qt::NoBrush);
    for (const QColor &b : bands) {
        p.setPen(QPen(withAlpha(b, 110), width + 1, Qt::SolidLine, Qt::FlatCap));
        p.drawEllipse(c, r, r);
        r -= width;
    }
}

void paintClouds(QPainter &p, QSize size, const Landscape &s, double scale, Rng &rng) {
    p.setPen(Qt::NoPen);
    for (int i = 0; i < s.clouds; ++i) {
        const QPointF centre(rng.range(0.05, 0.95) * size.width(),
                             rng.range(0.08, 0.4) * size.height());
        const double span = rng.range(50, 110) * scale;
        const int puffs = rng.between(5, 8);
        for (int k = 0; k < puffs; ++k) {
            const QPointF c =
                centre + QPointF(rng.range(-1.0, 1.0) * span, rng.range(-0.25, 0.15) * span);
            const double r = span * rng.range(0.35, 0.6);
            QRadialGradient g(c, r);
            g.setColorAt(0, withAlpha(s.cloudColour, 210));
            g.setColorAt(0.6, withAlpha(s.cloudColour, 150));
            g.setColorAt(1, withAlpha(s.cloudColour, 0));
            p.setBrush(g);
            p.drawEllipse(c, r, r * 0.7);
        }
    }
}

void paintBirds(QPainter &p, QSize size, int count, double scale, Rng &rng) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(50, 50, 60, 200), 1.6 * scale, Qt::SolidLine, Qt::RoundCap));
    const QPointF flock(rng.range(0.2, 0.6) * size.width(), rng.range(0.15, 0.3) * size.height());
    for (int i = 0; i < count; ++i) {
        const QPointF c = flock + QPointF(rng.range(-80, 80), rng.range(-30, 30)) * scale;
        const double w = rng.range(5, 9) * scale;
        QPainterPath bird;
        bird.moveTo(c + QPointF(-w, -w * 0.3));
        bird.quadTo(c + QPointF(-w * 0.5, -w * 0.6), c);
        bird.quadTo(c + QPointF(w * 0.5, -w * 0.6), c + QPointF(w, -w * 0.3));
        p.drawPath(bird);
    }
}

void paintSea(QPainter &p, QSize size, const Landscape &s, double scale, Rng &rng) {
    const double top = s.horizon * size.height();
    const QRectF rect(0, top, size.width(), size.height() - top);
    QLinearGradient g(rect.topLeft(), rect.bottomLeft());
    g.setColorAt(0, s.seaTop);
    g.setColorAt(1, s.seaBottom);
    p.fillRect(rect, g);

    // Glints get longer and more widely spaced towards the viewer.
    p.setPen(Qt::NoPen);
    const int glints = static_cast<int>(140 * size.width() / 640.0);
    for (int i = 0; i < glints; ++i) {
        const double d = rng.unit();
        const double y = top + rect.height() * d * d;
        const double len = (6 + 40 * d) * scale * rng.range(0.5, 1.5);
        p.setBrush(withAlpha(s.seaTop.lighter(140), rng.between(50, 110)));
        p.drawRect(QRectF(rng.range(0, size.width()), y, len, std::max(1.0, 1.5 * d * scale)));
    }

    if (s.light != Light::None && s.lightPos.y() < s.horizon) {
        const double x = s.lightPos.x() * size.width();
        const double r = s.lightRadius * size.height();
        for (double y = top + 2; y < size.height(); y += 4 * scale) {
            const double t = (y - top) / rect.height();
            const double half = r * (0.5 + 1.2 * t) * rng.range(0.4, 1.1);
            p.setBrush(withAlpha(s.lightColour, static_cast<int>(170 * (1 - 0.6 * t))));
            p.drawRect(QRectF(x - half, y, half * 2, 1.5 * scale));
        }
    }
}

void paintTree(QPainter &p, QPointF foot, double height, QColor leaves) {
    const double trunkW = height * 0.08;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(92, 64, 44));
    p.drawRect(QRectF(foot.x() - trunkW / 2, foot.y() - height * 0.45, trunkW, height * 0.47));
    const QPointF crown(foot.x(), foot.y() - height * 0.65);
    const double r = height * 0.32;
    QRadialGradient g(crown + QPointF(-r * 0.3, -r * 0.3), r * 1.4);
    g.setColorAt(0, leaves.lighter(130));
    g.setColorAt(1, leaves.darker(130));
    p.setBrush(g);
    p.drawEllipse(crown, r * 0.9, r);
    p.drawEllipse(crown + QPointF(-r * 0.5, r * 0.3), r * 0.6, r * 0.55);
    p.drawEllipse(crown + QPointF(r * 0.5, r * 0.3), r * 0.6, r * 0.55);
}

void paintLighthouse(QPainter &p, QSize size, const Landscape &s, double scale) {
    const double base = s.horizon * size.height() + 30 * scale;
    const double x = size.width() * 0.16;
    const double h = 170 * scale;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 84, 80));
    p.drawEllipse(QPointF(x, base + 6 * scale), 60 * scale, 18 * scale);

    QPolygonF tower;
    tower << QPointF(x - 16 * scale, base) << QPointF(x + 16 * scale, base)
          << QPointF(x + 10 * scale, base - h) << QPointF(x - 10 * scale, base - h);
    p.setBrush(QColor(245, 245, 240));
    p.drawPolygon(tower);
    QPainterPath clip;
    clip.addPolygon(tower);
    p.save();
    p.setClipPath(clip);
    p.setBrush(QColor(200, 50, 50));
    for (int i = 0; i < 4; i += 2)
        p.drawRect(QRectF(x - 20 * scale, base - h * (i + 1) / 4.0, 40 * scale, h / 4.0));
    p.restore();

    p.setBrush(QColor(255, 230, 130));
    p.drawRect(QRectF(x - 9 * scale, base - h - 16 * scale, 18 * scale, 16 * scale));
    p.setBrush(QColor(60, 60, 66));
    QPolygonF roof;
    roof << QPointF(x - 13 * scale, base - h - 16 * scale)
         << QPointF(x + 13 * scale, base - h - 16 * scale) << QPointF(x, base - h - 30 * scale);
    p.drawPolygon(roof);
}

void paintBoat(QPainter &p, QSize size, const Landscape &s, double scale) {
    const QPointF c(size.width() * 0.62, s.horizon * size.height() + 45 * scale);
    p.setPen(Qt::NoPen);
    QPolygonF hull;
    hull << c + QPointF(-50, 0) * scale << c + QPointF(50, 0) * scale << c + QPointF(36, 14) * scale
         << c + QPointF(-36, 14) * scale;
    p.setBrush(QColor(120, 70, 50));
    p.drawPolygon(hull);
    p.setBrush(QColor(70, 50, 40));
    p.drawRect(QRectF(c.x() - 1.5 * scale, c.y() - 82 * scale, 3 * scale, 82 * scale));
    QPolygonF mainSail;
    mainSail << c + QPointF(3, -80) * scale << c + QPointF(3, -6) * scale
             << c + QPointF(44, -6) * scale;
    QPolygonF jib;
    jib << c + QPointF(-3, -72) * scale << c + QPointF(-3, -6) * scale
        << c + QPointF(-34, -6) * scale;
    p.setBrush(QColor(252, 250, 240));
    p.drawPolygon(mainSail);
    p.setBrush(QColor(240, 200, 120));
    p.drawPolygon(jib);
}

void paintBeach(QPainter &p, QSize size, double scale) {
    QPainterPath sand;
    const double h = size.height();
    const double w = size.width();
    sand.moveTo(0, h * 0.8);
    sand.cubicTo(w * 0.3, h * 0.74, w * 0.6, h * 0.9, w, h * 0.84);
    sand.lineTo(w, h + 1);
    sand.lineTo(0, h + 1);
    sand.closeSubpath();
    QLinearGradient g(0, h * 0.75, 0, h);
    g.setColorAt(0, QColor(240, 222, 176));
    g.setColorAt(1, QColor(214, 186, 130));
    p.setPen(QPen(QColor(255, 255, 255, 170), 3 * scale));
    p.setBrush(g);
    p.drawPath(sand);
}

} // namespace

QImage paintLandscape(QSize size, const Landscape &s, std::uint64_t seed) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(s.skyBottom); // cleared so edges never blend with stale memory
    Rng rng(seed);
    const double scale = std::min(size.width(), size.height() * 4 / 3) / 640.0;

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    paintSky(p, size, s);
    if (s.stars > 0)
        paintStars(p, size, s, std::max(scale, 0.6), rng);
    if (s.light != Light::None)
        paintLight(p, size, s, rng);
    if (s.rainbow)
        paintRainbow(p, size, scale);
    if (s.clouds > 0)
        paintClouds(p, size, s, scale, rng);
    if (s.birds > 0)
        paintBirds(p, size, s.birds, scale, rng);
    if (s.sea)
        paintSea(p, size, s, scale, rng);
    if (s.beach)
        paintBeach(p, size, scale);

    std::vector<Ridge> ridges;
    for (const HillLayer &layer : s.hills)
        ridges.emplace_back(layer, size, rng);
    for (const Ridge &r : ridges)
        r.paint(p);

    if (!ridges.empty() && (s.trees > 0 || s.loneTree)) {
        const Ridge &front = ridges.back();
        const QColor leaves = s.hills.back().colour.darker(150);
        for (int i = 0; i < s.trees; ++i) {
            const double x = rng.range(0.03, 0.97) * size.width();
            paintTree(p, QPointF(x, front.y(x) + 4 * scale), rng.range(28, 52) * scale, leaves);
        }
        if (s.loneTree) {
            const double x = size.width() * 0.32;
            paintTree(p, QPointF(x, front.y(x) + 6 * scale), size.height() * 0.42, leaves);
        }
    }
    if (s.lighthouse)
        paintLighthouse(p, size, s, scale);
    if (s.boat)
        paintBoat(p, size, s, scale);
    return img;
}
