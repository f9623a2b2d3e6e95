#pragma once
// The viewer's arithmetic on twips held as float: fitting a picture to the screen, the zoom steps
// and the titles. Every intermediate result is stored as float, as the controls store it. And the
// character a key press types for the viewer.

#include <QString>
#include <optional>
#include <qnamespace.h>

// The factor of one zoom step, and the width below which a step out is refused.
inline constexpr double ZoomFactor = 1.25;
inline constexpr float SmallestUnzoomWidth = 1000.0f;

struct Fit {
    float Width = 0;
    float Height = 0;
    std::optional<float> AspectRatio; // the ratio of the last fit step that ran, if one did
};

// 1 when the picture's natural size is at least the screen's both ways, else 0.
int ZoomLimitFor(float scaleWidth, float scaleHeight, float screenWidth, float screenHeight);

// The display size of a picture: taller than the screen, fitted to its height keeping the inner
// proportions; then, still wider than the screen, fitted to its width. Never enlarged.
Fit FitToScreen(float outerWidth, float outerHeight, float innerWidth, float innerHeight,
                float screenWidth, float screenHeight);

struct ZoomStep {
    float Width = 0;
    float Height = 0;
    int ZoomLimit = 0;
    std::optional<float> AspectRatio;
    bool Changed = false; // false: the step was refused and the image stays as it is
};

// One step in: 1.25 times larger, clamped to the screen's height and then width (either clamp
// sets the limit). Refused while the limit is 1.
ZoomStep ZoomIn(float width, float height, float screenWidth, float screenHeight, int zoomLimit);
// One step out: 1.25 times smaller unless already narrower than 1000 twips. The limit is 0 after.
ZoomStep ZoomOut(float width, float height);

// The leading edge that centres a length on the screen, offset by the window's own edge.
float Centred(float screenLength, float length, float windowEdge);

// The viewer's title for a catalogue entry: extension dropped, first letter upper case, the rest
// lower case, folders kept ("holiday\PARIS.jpg" -> "Holiday\paris"). Nothing for an entry too
// short to have an extension. Of the entry as shown (platform::NameText).
std::optional<QString> ViewerTitle(const QString &entry);
// The title the viewer leaves behind when it closes: folders dropped, capitalised again.
QString ClosingTitle(const QString &title);
// The caption under the picture.
QString CaptionText(const QString &title);

// The character a key press types, 0 for none. With Ctrl or Alt held nothing is typed, whatever
// text the platform still reports (X11 gives "=" for Ctrl+=); Shift and AltGr type as usual.
int KeyAscii(const QString &text, Qt::KeyboardModifiers modifiers);
