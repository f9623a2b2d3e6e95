#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QSize>

#include <cstdint>
#include <vector>

// Outdoor pictures are built from a handful of layers; a Landscape says which
// layers a picture has and how they are coloured. Positions and sizes are
// fractions of the picture so one description works at any size.

struct HillLayer {
    HillLayer(double base, double amplitude, QColor colour, double waviness = 1.0)
        : base(base), amplitude(amplitude), colour(colour), waviness(waviness) {}

    double base;      // mean ridge height, fraction of picture height from the top
    double amplitude; // ridge swing, fraction of picture height
    QColor colour;
    double waviness; // more ridges across the picture when larger
};

enum class Light { None, Sun, Moon, Crescent };

struct Landscape {
    QColor skyTop;
    QColor skyBottom;
    QColor skyMiddle; // optional third sky colour half way down

    Light light = Light::None;
    QPointF lightPos{0.72, 0.25};
    double lightRadius = 0.07; // fraction of picture height
    QColor lightColour{255, 236, 160};

    int stars = 0; // per 640x480 of area
    int clouds = 0;
    QColor cloudColour{255, 255, 255};
    int birds = 0;
    bool rainbow = false;

    bool sea = false;
    double horizon = 0.62; // sea line, fraction of picture height
    QColor seaTop;
    QColor seaBottom;
    bool boat = false;
    bool lighthouse = false;
    bool beach = false;

    std::vector<HillLayer> hills; // back to front
    int trees = 0;                // stand on the front hill
    bool loneTree = false;        // one large tree on the front hill
};

QImage paintLandscape(QSize size, const Landscape &scene, std::uint64_t seed);
