#include "viewer/fit_rules.h"

#include "platform/files/names.h"

int ZoomLimitFor(float scaleWidth, float scaleHeight, float screenWidth, float screenHeight) {
    return (scaleWidth < screenWidth || scaleHeight < screenHeight) ? 0 : 1;
}

Fit FitToScreen(float outerWidth, float outerHeight, float innerWidth, float innerHeight,
                float screenWidth, float screenHeight) {
    Fit fit;
    if (outerHeight > screenHeight) {
        const float ratio = innerWidth / innerHeight;
        fit.AspectRatio = ratio;
        fit.Height = screenHeight;
        fit.Width = fit.Height * ratio;
    } else {
        fit.Height = outerHeight;
        fit.Width = outerWidth;
    }
    if (fit.Width > screenWidth) {
        const float ratio = fit.Height / fit.Width;
        fit.AspectRatio = ratio;
        fit.Width = screenWidth;
        fit.Height = fit.Width * ratio;
    }
    return fit;
}

ZoomStep ZoomIn(float width, float height, float screenWidth, float screenHeight, int zoomLimit) {
    ZoomStep step{width, height, zoomLimit, std::nullopt, false};
    if (zoomLimit == 1)
        return step;
    step.Changed = true;
    step.Height = static_cast<float>(static_cast<double>(height) * ZoomFactor);
    step.Width = static_cast<float>(static_cast<double>(width) * ZoomFactor);
    if (step.Height > screenHeight) {
        const float ratio = step.Width / step.Height;
        step.AspectRatio = ratio;
        step.Height = screenHeight;
        step.Width = step.Height * ratio;
        step.ZoomLimit = 1;
    }
    if (step.Width > screenWidth) {
        const float ratio = step.Height / step.Width;
        step.AspectRatio = ratio;
        step.Width = screenWidth;
        step.Height = step.Width * ratio;
        step.ZoomLimit = 1;
    }
    return step;
}

ZoomStep ZoomOut(float width, float height) {
    ZoomStep step{width, height, 0, std::nullopt, false};
    if (width < SmallestUnzoomWidth)
        return step;
    step.Changed = true;
    step.Height = static_cast<float>(static_cast<double>(height) / ZoomFactor);
    step.Width = static_cast<float>(static_cast<double>(width) / ZoomFactor);
    return step;
}

float Centred(float screenLength, float length, float windowEdge) {
    return (screenLength - length) / 2 + windowEdge;
}

std::optional<QString> ViewerTitle(const QString &heldEntry) {
    const QString entry = platform::NameText(heldEntry);
    const qsizetype rest = entry.size() - 5;
    if (rest < 0)
        return std::nullopt;
    return entry.left(1).toUpper() + entry.mid(1, rest).toLower();
}

QString ClosingTitle(const QString &title) {
    QString bare = title;
    const qsizetype slash = bare.lastIndexOf(QLatin1Char('\\'));
    if (slash >= 0)
        bare = bare.mid(slash + 1);
    if (bare.isEmpty())
        return bare;
    return bare.left(1).toUpper() + bare.mid(1).toLower();
}

QString CaptionText(const QString &title) {
    return QStringLiteral("  ") + title + QStringLiteral("  ");
}

int KeyAscii(const QString &text, Qt::KeyboardModifiers modifiers) {
    if (text.isEmpty() || (modifiers & (Qt::ControlModifier | Qt::AltModifier)))
        return 0;
    return text.at(0).unicode();
}
