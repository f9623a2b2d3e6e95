#include "mainwindow/preview_rules.h"

#include "platform/files/names.h"

#include <QLatin1Char>

PreviewFit FitPreview(float scaleWidth, float scaleHeight, float width, float height) {
    // Single-precision throughout: the worked sizes (1350 * 4/3 = 1800) depend on it.
    PreviewFit fit;
    if (height > PreviewBoxHeight) {
        const float ratio = scaleWidth / scaleHeight;
        fit.AspectRatio = ratio;
        fit.Height = PreviewBoxHeight;
        fit.Width = fit.Height * ratio;
    } else {
        fit.Height = height;
        fit.Width = width;
    }
    if (fit.Width > PreviewBoxWidth) {
        const float ratio = fit.Height / fit.Width;
        fit.AspectRatio = ratio;
        fit.Width = PreviewBoxWidth;
        fit.Height = fit.Width * ratio;
    }
    fit.Left = (PreviewBoxWidth - fit.Width) / 2.0f;
    fit.Top = (PreviewBoxHeight - fit.Height) / 2.0f;
    return fit;
}

namespace {
QString capitalised(const QString &text) {
    return text.left(1).toUpper() + text.mid(1).toLower();
}
} // namespace

QString PreviewTitle(const QString &heldEntry) {
    const QString entry = platform::NameText(heldEntry);
    QString title = entry.size() >= 5 ? capitalised(entry.left(entry.size() - 4)) : entry;
    const qsizetype slash = title.lastIndexOf(QLatin1Char('\\'));
    if (slash >= 0)
        title = title.mid(slash + 1);
    return capitalised(title);
}

QString PictureType(const QString &entry) {
    return entry.right(3).toLower();
}

QString SizeText(std::optional<qint64> bytes, const QString &decimalSeparator) {
    const qint64 size = bytes.value_or(0);
    auto decimals = [&decimalSeparator](double value, int places) {
        // Digits stay ASCII and ungrouped; only the separator follows the user's settings.
        return QString::number(value, 'f', places).replace(QLatin1Char('.'), decimalSeparator);
    };
    if (size >= 1048576)
        return decimals(static_cast<double>(size) / 1024.0 / 1024.0, 2) + QStringLiteral(" MB");
    if (size >= 1024)
        return decimals(static_cast<double>(size) / 1024.0, 1) + QStringLiteral(" KB");
    return QString::number(size) + QStringLiteral(" Bytes");
}

QString PixelSizeText(int width, int height) {
    return QString::number(width) + QStringLiteral(" * ") + QString::number(height) +
           QStringLiteral(" pixels");
}

std::optional<InfoLine> NextInfoLine(int infoStep, const InfoFacts &facts) {
    if (infoStep == 0 && facts.type == QLatin1String("jpg"))
        return InfoLine{QStringLiteral("Jpeg Image"), 1};
    if (infoStep == 0 && facts.type == QLatin1String("gif"))
        return InfoLine{QStringLiteral("Gif Image"), 1};
    if (infoStep == 0 && facts.type == QLatin1String("bmp"))
        return InfoLine{QStringLiteral("Bitmap Image"), 1};
    if (infoStep == 1)
        return InfoLine{facts.pixelSize, 2};
    if (infoStep == 2)
        return InfoLine{facts.sizeText, 3};
    if (infoStep == 3)
        return InfoLine{facts.title, 0};
    return std::nullopt;
}
