#include "mainwindow/settings_rules.h"

#include "platform/files/names.h"

#include <cmath>

std::optional<int> ToInteger16(const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Only plain decimal notation: digits, one point, an optional sign and exponent.
    for (const QChar c : trimmed) {
        if (!(c.isDigit() && c.unicode() < 128) && c != QLatin1Char('.') && c != QLatin1Char('-') &&
            c != QLatin1Char('+') && c != QLatin1Char('e') && c != QLatin1Char('E'))
            return std::nullopt;
    }
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value); // the default mode rounds halves to even
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return static_cast<int>(rounded);
}

std::optional<QColor> QBColor(int index) {
    static const QColor palette[16] = {
        {0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
        {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
        {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
        {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
    };
    if (index < 0 || index > 15)
        return std::nullopt;
    return palette[index];
}

TitleSettings ReadTitleSettings(const std::optional<std::vector<QByteArray>> &lines) {
    TitleSettings settings;
    const size_t count = lines ? lines->size() : 0;
    // A file that ends before line 2 leaves the value unset, which converts to 0: black.
    if (count < 2) {
        settings.colour = QBColor(0);
    } else if (const auto index = ToInteger16(QString::fromLocal8Bit((*lines)[1]))) {
        settings.colour = QBColor(*index);
    }
    if (count >= 5)
        settings.title = platform::TextOfBytes((*lines)[4]);
    return settings;
}
