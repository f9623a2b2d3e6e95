#pragma once
// The settings file's rules: which lines count and how line 2 becomes the title's colour.

#include <QByteArray>
#include <QColor>
#include <QString>
#include <optional>
#include <vector>

// How many lines the start-up reads, and the longest line it keeps.
inline constexpr int SettingsLines = 6;
inline constexpr int SettingsLineLength = 4096;

// Text to a 16-bit integer as the platform converts it: blanks around the number allowed, a
// fraction rounded to the nearest whole number, halves to the even neighbour. Nothing when the
// text is not a number or the result does not fit.
std::optional<int> ToInteger16(const QString &text);

// The 16-colour palette; nothing outside 0..15.
std::optional<QColor> QBColor(int index);

struct TitleSettings {
    std::optional<QColor> colour; // nothing: the title keeps its colour
    QString title;
};

// What the start-up makes of the file's lines (nothing when the file could not be opened).
TitleSettings ReadTitleSettings(const std::optional<std::vector<QByteArray>> &lines);
