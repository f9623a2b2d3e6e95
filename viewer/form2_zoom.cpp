#include "app/globals.h"
#include "platform/runtime/twips.h"
#include "viewer/fit_rules.h"
#include "viewer/form2.h"

// The magnification lives only in Image1's size; the picture is stretched, never read again.

void Form2::zoom() {
    if (WaitsForDisplay([this] { zoom(); }))
        return;
    const ZoomStep step = ZoomIn(Image1->Width(), Image1->Height(), platform::ScreenWidth(this),
                                 platform::ScreenHeight(this), g.ZoomLimit);
    if (!step.Changed)
        return;
    Image1->SetVisible(false);
    Image1->SetHeight(step.Height);
    Image1->SetWidth(step.Width);
    if (step.AspectRatio)
        g.AspectRatio = *step.AspectRatio;
    g.ZoomLimit = step.ZoomLimit;
    Image1->SetLeft(Centred(platform::ScreenWidth(this), Image1->Width(), FormLeft()));
    Image1->SetTop(Centred(platform::ScreenHeight(this), Image1->Height(), FormTop()));
    Image1->SetVisible(true);
}

void Form2::unzoom() {
    if (WaitsForDisplay([this] { unzoom(); }))
        return;
    const ZoomStep step = ZoomOut(Image1->Width(), Image1->Height());
    g.ZoomLimit = step.ZoomLimit;
    if (!step.Changed)
        return;
    Image1->SetVisible(false);
    Image1->SetHeight(step.Height);
    Image1->SetWidth(step.Width);
    Image1->SetLeft(Centred(platform::ScreenWidth(this), Image1->Width(), FormLeft()));
    Image1->SetTop(Centred(platform::ScreenHeight(this), Image1->Height(), FormTop()));
    Image1->SetVisible(true);
}

void Form2::mnuOptionsZoomIn_Click() {
    if (WaitsForDisplay([this] { mnuOptionsZoomIn_Click(); }))
        return;
    zoom();
    g.ZoomLimit = ZoomLimitFor(ScaleWidth(), ScaleHeight(), platform::ScreenWidth(this),
                               platform::ScreenHeight(this));
}

void Form2::mnuOptionsZoomOut_Click() {
    unzoom();
}
