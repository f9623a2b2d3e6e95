#pragma once
// The preview's arithmetic and texts: fitting a picture into the preview box, the title, the
// kind of picture and the two size texts of the information line.

#include <QString>
#include <QtGlobal>
#include <optional>

// The preview box, in twips.
inline constexpr float PreviewBoxWidth = 1800.0f;
inline constexpr float PreviewBoxHeight = 1350.0f;

struct PreviewFit {
    float Left = 0, Top = 0, Width = 0, Height = 0;
    // The last ratio the fit computed; nothing when the picture needed no scaling.
    std::optional<float> AspectRatio;
};

// Fits a picture into the preview box, scaling down only, height first and then width, and
// centres it. scaleWidth/scaleHeight are its size in pixels, width/height its size in twips.
PreviewFit FitPreview(float scaleWidth, float scaleHeight, float width, float height);

// The title a catalogue entry gets in the main window: no folders, no extension, first letter
// upper case and the rest lower case ("animals\\tiger cub.JPG" -> "Tiger cub"). An entry too
// short to have a name before its extension keeps its whole name. Of the entry as shown
// (platform::NameText).
QString PreviewTitle(const QString &entry);

// The kind of picture: the entry's last three characters in lower case ("jpg", "gif", "bmp").
QString PictureType(const QString &entry);

// A file size as the information line shows it: "1023 Bytes", "1.5 KB", "10.00 MB", with the
// given decimal separator. An unreadable size counts as 0.
QString SizeText(std::optional<qint64> bytes, const QString &decimalSeparator);

// "640 * 480 pixels".
QString PixelSizeText(int width, int height);

// The information line's next text after step infoStep for a picture of the given kind, and the
// step that follows; nothing when the line stays as it is (no known kind at step 0).
struct InfoLine {
    QString text;
    int nextStep = 0;
};
struct InfoFacts {
    QString type;
    QString pixelSize;
    QString sizeText;
    QString title;
};
std::optional<InfoLine> NextInfoLine(int infoStep, const InfoFacts &facts);
