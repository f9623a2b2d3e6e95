#include "app/globals.h"
#include "platform/imaging/lookahead.h"
#include "platform/runtime/twips.h"
#include "viewer/fit_rules.h"
#include "viewer/form2.h"

#include <cmath>

namespace {

bool InCatalogueBounds(int index) {
    return index >= 0 && index <= CatalogueCapacity;
}

QString PicturePath(int index) {
    return g.ImagesFolder + QLatin1Char('\\') + g.ImageArray[static_cast<size_t>(index)];
}

// The device pixels a picture of a given natural size is laid out at on this screen: the decode
// never needs to be larger, since no zoom step enlarges a picture past its fitted size unless
// the picture is smaller than the screen, and those are kept whole. Pure, for the worker.
platform::DisplaySizeFor DisplaySizeFor(float screenWidth, float screenHeight, float twipsPerPixel,
                                        qreal devicePixelRatio) {
    return [=](QSize natural) {
        const float w = static_cast<float>(natural.width()) * twipsPerPixel;
        const float h = static_cast<float>(natural.height()) * twipsPerPixel;
        const Fit fit = FitToScreen(w, h, w, h, screenWidth, screenHeight);
        auto device = [&](float twips) {
            const double pixels = std::round(static_cast<double>(twips) / twipsPerPixel);
            return static_cast<int>(std::clamp(std::round(pixels * devicePixelRatio), 0.0, 1.0e6));
        };
        return QSize(device(fit.Width), device(fit.Height));
    };
}

} // namespace

// Nothing loaded yet measures 0 both ways.
float Form2::ScaleWidth() const {
    return platform::ToTwips(std::max(0, Picture1.natural.width()), this);
}
float Form2::ScaleHeight() const {
    return platform::ToTwips(std::max(0, Picture1.natural.height()), this);
}

// The picture is read on a worker and laid out with its title once it has been; until then the
// window shows the picture before it, or black before the first.
void Form2::DisplayImage() {
    displayTimer_->stop();
    const int index = g.CurrentIndex;
    askedAt_ = ++g.PicturesAsked;
    if (!InCatalogueBounds(index)) {
        displayRead_.drop();
        return LayOut(index, std::nullopt);
    }
    // The same picture asked for again (the window's load and its activation) is the read under
    // way.
    if (displayRead_.pending() && readingIndex_ == index)
        return;
    readingIndex_ = index;
    displayRead_.start<std::optional<platform::Picture>>(
        this, platform::DisplayRead(PicturePath(index), ScreenSizeFor(this, devicePixelRatioF())),
        [this, index](std::optional<platform::Picture> picture) {
            LayOut(index, std::move(picture));
        });
}

void Form2::LayOut(int index, std::optional<platform::Picture> picture) {
    Image1->SetVisible(false);
    // A picture that cannot be read leaves the previous one in the loader, laid out again below;
    // it is not this entry's picture, so Save and Wallpaper have nothing to write.
    if (picture)
        Picture1 = std::move(*picture);
    else
        Picture1.source.clear();

    g.ZoomLimit = ZoomLimitFor(ScaleWidth(), ScaleHeight(), platform::ScreenWidth(this),
                               platform::ScreenHeight(this));

    const Fit fit = FitToScreen(ScaleWidth(), ScaleHeight(), ScaleWidth(), ScaleHeight(),
                                platform::ScreenWidth(this), platform::ScreenHeight(this));
    if (fit.AspectRatio)
        g.AspectRatio = *fit.AspectRatio;
    Image1->SetHeight(fit.Height);
    Image1->SetWidth(fit.Width);
    Image1->SetPicture(Picture1.image);
    Image1->SetLeft(Centred(platform::ScreenWidth(this), Image1->Width(), FormLeft()));
    Image1->SetTop(Centred(platform::ScreenHeight(this), Image1->Height(), FormTop()));
    Image1->SetVisible(true);

    ShowTitle(index);
    lookAheadTimer_->start(100);
    for (const auto &command : std::exchange(afterDisplay_, {}))
        command();
}

bool Form2::WaitsForDisplay(std::function<void()> command) {
    if (displayTimer_->isActive())
        DisplayImage();
    if (!displayRead_.pending())
        return false;
    afterDisplay_.push_back(std::move(command));
    return true;
}

void Form2::ShowTitle(int index) {
    const std::optional<QString> own = InCatalogueBounds(index)
                                           ? ViewerTitle(g.ImageArray[static_cast<size_t>(index)])
                                           : std::nullopt;
    if (own && askedAt_ > g.TitleAskedAt) {
        g.ImageTitle = *own;
        g.TitleAskedAt = askedAt_;
    }
    const QString title = own.value_or(g.ImageTitle);
    Label1->setText(CaptionText(title));
    Image1->setAccessibleName(title);
    Label1->adjustSize();
    const float width = platform::ToTwips(Label1->width(), this);
    const float height = platform::ToTwips(Label1->height(), this);
    platform::Place(Label1, Centred(platform::ScreenWidth(this), width, FormLeft()),
                    platform::ScreenHeight(this) - 500 + FormTop(), width, height);
    Label1->show();
}

platform::DisplaySizeFor Form2::ScreenSizeFor(const QWidget *on, qreal devicePixelRatio) {
    return DisplaySizeFor(platform::ScreenWidth(on), platform::ScreenHeight(on),
                          platform::TwipsPerPixel(on), devicePixelRatio);
}

// The picture the next step in the same direction shows is read while this one is looked at.
void Form2::LookAheadOnward() {
    LookAheadAt(g.CurrentIndex + (steppingBack_ ? -1 : 1));
}

void Form2::LookAheadAt(int index) {
    if (index > g.ImageCount)
        index = 1;
    if (index < 1)
        index = g.ImageCount;
    if (!InCatalogueBounds(index) || g.ImageArray[static_cast<size_t>(index)].isEmpty()) {
        platform::DropLookAhead();
        return;
    }
    platform::LookAhead(PicturePath(index), ScreenSizeFor(this, devicePixelRatioF()));
}

void Form2::DisplaySoon() {
    if (!displayTimer_->isActive())
        displayTimer_->start();
}
