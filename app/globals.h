#pragma once
// The program-wide variables every window shares. A value not yet assigned reads as 0 or "",
// which is what the windows rely on before the main window's start-up has run.

#include <QString>
#include <array>

inline constexpr int CatalogueCapacity = 10000;

struct Globals {
    // The catalogue: entries 1..ImageCount are paths relative to ImagesFolder with '\' separators.
    std::array<QString, CatalogueCapacity + 1> ImageArray;
    int ImageCount = 0;
    QString ImagesFolder;
    int CurrentIndex = 0;

    // The current picture.
    QString ImageTitle;
    QString ImageType;
    QString ImageSizeText;
    int InfoStep = 0;
    float AspectRatio = 0.0f;
    // Pictures are read on workers: each window's read is numbered when asked for, and a read
    // that finishes after one asked for later, in the other window, leaves that one's title.
    quint64 PicturesAsked = 0;
    quint64 TitleAskedAt = 0;

    // Viewer and slideshow.
    int SlideshowOn = 0;
    int SlideshowPaused = 0;
    int SlideshowDelay = 0;
    int ZoomLimit = 0;
    int ActiveWindow = 0;

    // Keyword search.
    QString SearchString;
    std::array<QString, 6> Keywords;
    int KeywordCount = 0;
    int MatchCount = 0;
    int KeywordsFound = 0;
    int TooManyKeywords = 0;

    // Where the program was started from; Open With builds its path from here.
    QString AppPath;
};

extern Globals g;

// Catalogue entry i, or "" outside the array's bounds (an unset index reads element 0).
QString CatalogueEntry(int index);
