#include "pictures.h"

#include "animals.h"
#include "patterns.h"
#include "scenery.h"

namespace {

using Draw = std::function<QImage(QSize, std::uint64_t)>;

Draw scene(const Landscape &l) {
    return [l](QSize size, std::uint64_t seed) { return paintLandscape(size, l, seed); };
}

Landscape daySky(int clouds) {
    Landscape l;
    l.skyTop = QColor(74, 136, 214);
    l.skyBottom = QColor(206, 228, 246);
    l.light = Light::Sun;
    l.lightPos = QPointF(0.76, 0.18);
    l.lightRadius = 0.06;
    l.clouds = clouds;
    return l;
}

Landscape sunsetSky() {
    Landscape l;
    l.skyTop = QColor(58, 40, 112);
    l.skyMiddle = QColor(232, 112, 96);
    l.skyBottom = QColor(255, 204, 126);
    l.light = Light::Sun;
    l.lightPos = QPointF(0.5, 0.6);
    l.lightRadius = 0.09;
    l.lightColour = QColor(255, 222, 150);
    return l;
}

Landscape nightSky(int stars, Light moon) {
    Landscape l;
    l.skyTop = QColor(8, 10, 36);
    l.skyMiddle = QColor(20, 30, 72);
    l.skyBottom = QColor(48, 60, 110);
    l.stars = stars;
    l.light = moon;
    l.lightPos = QPointF(0.7, 0.22);
    l.lightRadius = 0.07;
    l.lightColour = QColor(246, 240, 214);
    return l;
}

Landscape withSea(Landscape l, QColor top, QColor bottom, double horizon = 0.62) {
    l.sea = true;
    l.horizon = horizon;
    l.seaTop = top;
    l.seaBottom = bottom;
    return l;
}

Landscape greenHills(Landscape l, int trees = 0) {
    l.hills = {HillLayer(0.62, 0.06, QColor(150, 190, 140), 1.3),
               HillLayer(0.72, 0.06, QColor(112, 172, 92), 1.0),
               HillLayer(0.84, 0.05, QColor(84, 148, 64), 0.8)};
    l.trees = trees;
    return l;
}

Landscape duskHills(Landscape l) {
    l.hills = {HillLayer(0.72, 0.05, QColor(120, 72, 112), 1.4),
               HillLayer(0.8, 0.05, QColor(82, 46, 84), 1.0),
               HillLayer(0.9, 0.04, QColor(44, 28, 52), 0.8)};
    return l;
}

Landscape nightHills(Landscape l) {
    l.hills = {HillLayer(0.76, 0.05, QColor(30, 36, 62), 1.2),
               HillLayer(0.86, 0.05, QColor(14, 18, 34), 0.9)};
    return l;
}

// Each picture gets its own seed from its name, so adding a picture does not
// change the others.
std::uint64_t seedFor(const QString &path) {
    std::uint64_t h = 1469598103934665603ULL;
    for (QChar c : path) {
        h ^= c.unicode();
        h *= 1099511628211ULL;
    }
    return h;
}

} // namespace

std::vector<SamplePicture> samplePictures() {
    const QSize vga(640, 480);
    const QSize svga(800, 600);
    const QSize xga(1024, 768);

    Landscape sunsetHills = duskHills(sunsetSky());
    sunsetHills.birds = 5;

    Landscape portrait = greenHills(daySky(2));
    portrait.lightPos = QPointF(0.72, 0.12);
    portrait.loneTree = true;

    Landscape dawnTower;
    dawnTower.skyTop = QColor(8, 10, 40);
    dawnTower.skyMiddle = QColor(96, 64, 140);
    dawnTower.skyBottom = QColor(255, 190, 132);
    dawnTower.stars = 260;
    dawnTower.hills = {HillLayer(0.93, 0.015, QColor(60, 40, 70), 1.0)};

    Landscape valleyBig = greenHills(daySky(6), 40);
    valleyBig.hills.insert(valleyBig.hills.begin(),
                           HillLayer(0.5, 0.1, QColor(150, 170, 200), 2.0));
    valleyBig.birds = 7;

    Landscape panorama = duskHills(sunsetSky());
    panorama.lightPos = QPointF(0.7, 0.5);
    for (HillLayer &h : panorama.hills)
        h.waviness *= 4;

    Landscape oldHills;
    oldHills.skyTop = QColor(226, 210, 178);
    oldHills.skyBottom = QColor(246, 236, 214);
    oldHills.light = Light::Sun;
    oldHills.lightColour = QColor(255, 246, 220);
    oldHills.hills = {HillLayer(0.66, 0.06, QColor(170, 150, 116)),
                      HillLayer(0.8, 0.05, QColor(132, 110, 80))};
    oldHills.trees = 4;

    Landscape oldSea = withSea(oldHills, QColor(160, 160, 150), QColor(110, 108, 96));
    oldSea.hills.clear();
    oldSea.trees = 0;
    oldSea.boat = true;

    Landscape morning = greenHills(daySky(4));
    morning.skyTop = QColor(120, 170, 230);
    morning.skyBottom = QColor(255, 222, 192);
    morning.lightPos = QPointF(0.25, 0.55);
    morning.hills.erase(morning.hills.begin());

    Landscape afternoon = daySky(7);
    afternoon.skyTop = QColor(30, 90, 190);
    afternoon.hills = {HillLayer(0.9, 0.03, QColor(96, 150, 80), 0.7)};

    Landscape golden = sunsetSky();
    golden.skyTop = QColor(110, 90, 60);
    golden.skyMiddle = QColor(230, 170, 80);
    golden.skyBottom = QColor(255, 226, 150);
    golden.lightPos = QPointF(0.3, 0.55);
    golden.hills = {HillLayer(0.74, 0.05, QColor(170, 120, 60)),
                    HillLayer(0.86, 0.05, QColor(110, 70, 36))};
    golden.trees = 5;

    Landscape redSunset = withSea(sunsetSky(), QColor(200, 90, 80), QColor(60, 30, 70));
    redSunset.skyMiddle = QColor(220, 60, 60);

    Landscape pinkDusk = duskHills(nightSky(40, Light::Crescent));
    pinkDusk.skyMiddle = QColor(150, 90, 150);
    pinkDusk.skyBottom = QColor(250, 170, 180);

    Landscape storm = daySky(12);
    storm.skyTop = QColor(64, 70, 86);
    storm.skyBottom = QColor(164, 168, 178);
    storm.light = Light::None;
    storm.cloudColour = QColor(118, 120, 132);
    storm.hills = {HillLayer(0.8, 0.05, QColor(60, 86, 64)),
                   HillLayer(0.9, 0.04, QColor(36, 56, 40))};

    Landscape rainbow = greenHills(daySky(3), 3);
    rainbow.rainbow = true;
    rainbow.light = Light::None;

    Landscape nightSea =
        withSea(nightSky(150, Light::Moon), QColor(40, 56, 100), QColor(6, 10, 30));
    nightSea.lightPos = QPointF(0.4, 0.25);

    Landscape mountains = daySky(2);
    mountains.hills = {HillLayer(0.45, 0.14, QColor(150, 166, 200), 2.2),
                       HillLayer(0.6, 0.12, QColor(110, 130, 170), 1.8),
                       HillLayer(0.78, 0.06, QColor(90, 130, 90), 1.0)};

    Landscape dawnHills = greenHills(sunsetSky());
    dawnHills.skyTop = QColor(150, 170, 220);
    dawnHills.skyMiddle = QColor(250, 200, 200);
    dawnHills.lightPos = QPointF(0.3, 0.62);

    Landscape valley = daySky(3);
    valley.hills = {HillLayer(0.55, 0.12, QColor(130, 170, 120), 0.5),
                    HillLayer(0.78, 0.16, QColor(96, 150, 70), 0.5)};
    valley.trees = 10;

    Landscape twoHills = daySky(2);
    twoHills.hills = {HillLayer(0.7, 0.12, QColor(120, 180, 90), 0.55)};

    Landscape beach = withSea(daySky(3), QColor(90, 180, 200), QColor(40, 120, 160), 0.55);
    beach.beach = true;

    Landscape seaSunset = withSea(sunsetSky(), QColor(236, 140, 100), QColor(70, 40, 90));
    seaSunset.birds = 4;

    Landscape lighthouse = withSea(daySky(4), QColor(70, 140, 190), QColor(20, 70, 120), 0.66);
    lighthouse.lightPos = QPointF(0.8, 0.15);
    lighthouse.lighthouse = true;

    Landscape boat = withSea(daySky(5), QColor(80, 150, 200), QColor(24, 80, 140));
    boat.boat = true;
    boat.birds = 3;

    Landscape postcard = withSea(sunsetSky(), QColor(230, 150, 110), QColor(60, 40, 90));

    Landscape littleSun = greenHills(daySky(0));
    littleSun.lightPos = QPointF(0.3, 0.3);
    littleSun.lightRadius = 0.12;

    std::vector<SamplePicture> list = {
        {"images/sunset over hills.jpg", svga, scene(sunsetHills)},
        {"images/CAT.JPG", vga, paintCat},
        {"images/Dog.Gif", vga, paintDog},
        {"images/portrait exif.jpg", QSize(480, 640), scene(portrait), Storage::JpegOrientation6},
        {"images/postcard.jpg", QSize(120, 90), scene(postcard)},
        {"images/little sun.gif", QSize(60, 40), scene(littleSun)},
        {"images/big valley.jpg", QSize(4000, 3000), scene(valleyBig)},
        {"images/panorama.jpg", QSize(2000, 200), scene(panorama)},
        {"images/from night to day.bmp", QSize(200, 1600), scene(dawnTower)},
        {"images/welcome.bmp", vga, scene(greenHills(daySky(3), 6))},
        {"images/photo.jpeg", vga, scene(greenHills(daySky(2), 2))},
        {"images/photo.png", vga, paintCircles},

        {"images/old.jpg/old hills.jpg", vga, scene(oldHills)},
        {"images/old.jpg/old sea.gif", vga, scene(oldSea)},

        {"images/skies/morning sky.jpg", svga, scene(morning)},
        {"images/skies/blue afternoon.jpg", svga, scene(afternoon)},
        {"images/skies/clouds.gif", vga, scene(daySky(9))},
        {"images/skies/golden hour.jpg", svga, scene(golden)},
        {"images/skies/red sunset.bmp", vga, scene(redSunset)},
        {"images/skies/pink dusk.jpg", vga, scene(pinkDusk)},
        {"images/skies/storm coming.jpg", svga, scene(storm)},
        {"images/skies/rainbow.gif", vga, scene(rainbow)},

        {"images/skies/night/starry night.jpg", svga,
         scene(nightHills(nightSky(320, Light::None)))},
        {"images/skies/night/full moon.gif", vga, scene(nightHills(nightSky(120, Light::Moon)))},
        {"images/skies/night/crescent moon.jpg", vga,
         scene(nightHills(nightSky(200, Light::Crescent)))},
        {"images/skies/night/Milky Way.bmp", vga, scene(nightHills(nightSky(900, Light::None)))},
        {"images/skies/night/night over sea.jpg", svga, scene(nightSea)},

        {"images/hills/rolling hills.jpg", svga, scene(greenHills(daySky(3)))},
        {"images/hills/hills at dawn.gif", vga, scene(dawnHills)},
        {"images/hills/far mountains.jpg", xga, scene(mountains)},
        {"images/hills/valley.bmp", vga, scene(valley)},

        {"images/hills/green/green meadow.jpg", svga, scene(greenHills(daySky(2), 10))},
        {"images/hills/green/spring hills.gif", vga, scene(greenHills(daySky(5), 4))},
        {"images/hills/green/two hills.jpg", vga, scene(twoHills)},
        {"images/hills/green/lone tree.jpg", QSize(600, 800), scene(portrait)},

        {"images/sea/calm sea.jpg", svga,
         scene(withSea(daySky(2), QColor(100, 170, 210), QColor(30, 90, 150)))},
        {"images/sea/sea horizon.gif", vga,
         scene(withSea(daySky(4), QColor(70, 150, 200), QColor(20, 60, 120), 0.5))},
        {"images/sea/sailing boat.jpg", svga, scene(boat)},
        {"images/sea/lighthouse.bmp", vga, scene(lighthouse)},
        {"images/sea/beach.jpg", svga, scene(beach)},
        {"images/sea/sunset at sea.jpg", xga, scene(seaSunset)},

        {"images/shapes/circles.jpg", svga, paintCircles},
        {"images/shapes/squares.gif", vga, paintSquares},
        {"images/shapes/triangles.bmp", vga, paintTriangles},
        {"images/shapes/rings.jpg", svga, paintRings},
        {"images/shapes/stripes.gif", vga, paintStripes},
        {"images/shapes/mosaic.jpg", svga, paintMosaic},
        {"images/shapes/bubbles.jpg", vga, paintBubbles},
        {"images/shapes/spiral.gif", QSize(600, 600), paintSpiral},

        {"images/shapes/abstract/soft circles.jpg", svga, paintBokeh},
        {"images/shapes/abstract/colour wheel.gif", vga, paintColourWheel},
        {"images/shapes/abstract/waves.jpg", svga, paintWaves},
        {"images/shapes/abstract/checkers.bmp", vga, paintCheckers},
    };
    return list;
}

std::uint64_t pictureSeed(const QString &path) {
    return seedFor(path);
}

QImage paintSplash(QSize size) {
    Landscape l = withSea(sunsetSky(), QColor(236, 150, 110), QColor(80, 50, 100), 0.66);
    l.lightPos = QPointF(0.5, 0.56);
    l.lightRadius = 0.16;
    return paintLandscape(size, l, seedFor(QStringLiteral("splash")));
}

QImage paintMenuBackground(QSize size) {
    // Pale on purpose: the main window draws black text and buttons over it.
    Landscape l;
    l.skyTop = QColor(214, 232, 250);
    l.skyBottom = QColor(250, 252, 255);
    l.clouds = 3;
    l.hills = {HillLayer(0.78, 0.04, QColor(214, 234, 206), 1.2),
               HillLayer(0.88, 0.04, QColor(196, 224, 186), 0.9)};
    return paintLandscape(size, l, seedFor(QStringLiteral("menu")));
}
