#include "fuzz_checks.h"

#include "mainwindow/preview_rules.h"
#include "mainwindow/search_rules.h"
#include "mainwindow/settings_rules.h"
#include "platform/files/files.h"
#include "platform/imaging/lookahead.h"
#include "platform/imaging/picture.h"
#include "platform/imaging/picture_scale.h"
#include "viewer/fit_rules.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstring>
#include <vector>

namespace fuzzcheck {

namespace {

// One input at a time as a file (tools/fuzz.sh puts the temporary folder in memory).
QString scratch(QByteArrayView bytes, const char *name) {
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes.data(), bytes.size());
    return path;
}

// The line rules said plainly: CR LF, a lone CR or a lone LF ends a line; a line is cut at
// maxLength and the rest of it skipped; a last line needs no break.
std::vector<QByteArray> expectedLines(QByteArrayView data, int maxLines, int maxLength) {
    std::vector<QByteArray> lines;
    QByteArray line;
    bool open = false;
    for (qsizetype i = 0; i < data.size() && int(lines.size()) < maxLines; ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n')
                ++i;
            continue;
        }
        open = true;
        if (line.size() < maxLength)
            line.append(c);
    }
    if (open && int(lines.size()) < maxLines)
        lines.push_back(line);
    return lines;
}

QString checkNumber(const QString &text) {
    const auto value = ToInteger16(text);
    if (ToInteger16(QStringLiteral("  ") + text + QStringLiteral("\t ")) != value)
        return QStringLiteral("ToInteger16 depends on surrounding blanks");
    // A plain whole number in range converts to itself. (QString::toInt would also take text
    // with NULs after the digits, which no platform conversion reads as a number.)
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]{1,5}$"));
    const QString trimmed = text.trimmed();
    const int whole = trimmed.toInt();
    if (wholeNumber.match(trimmed).hasMatch() && whole >= -32768 && whole <= 32767 &&
        value != whole)
        return QStringLiteral("ToInteger16 changed the whole number %1").arg(whole);
    return {};
}

QString checkLoaded(const std::optional<platform::Picture> &picture, QSize &natural) {
    if (!picture)
        return {};
    const QImage &image = picture->image;
    if (image.isNull() || picture->natural.isEmpty())
        return QStringLiteral("a loaded picture without pixels");
    if (qint64(picture->natural.width()) * picture->natural.height() >
        platform::PictureBudgetPixels)
        return QStringLiteral("a picture beyond the budget loaded");
    if (image.width() > picture->natural.width() || image.height() > picture->natural.height())
        return QStringLiteral("decoded larger than the natural size");
    if (natural.isValid() && natural != picture->natural)
        return QStringLiteral("the natural size depends on the box");
    natural = picture->natural;
    return {};
}

// Lines of text: UTF-8, or any UTF-16 (lone surrogates included) when the first byte is odd.
QStringList textsOf(QByteArrayView bytes) {
    const bool utf16 = !bytes.isEmpty() && (bytes[0] & 1);
    QStringList texts;
    for (const QByteArrayView part :
         bytes.sliced(qMin<qsizetype>(1, bytes.size())).toByteArray().split('\n'))
        texts << (utf16 ? QString(reinterpret_cast<const QChar *>(part.data()), part.size() / 2)
                        : QString::fromUtf8(part));
    return texts;
}

template <class T> T take(QByteArrayView &bytes) {
    T value{};
    const auto n = std::min<qsizetype>(bytes.size(), sizeof value);
    std::memcpy(&value, bytes.data(), size_t(n));
    bytes = bytes.sliced(n);
    return value;
}

} // namespace

QString CheckSettings(QByteArrayView bytes) {
    const QString path = scratch(bytes, "orvane.ini");
    for (const auto &[maxLines, maxLength] :
         {std::pair{SettingsLines, SettingsLineLength}, std::pair{6, 7}, std::pair{64, 1}}) {
        const auto lines = platform::ReadLines(path, maxLines, maxLength);
        if (!lines || *lines != expectedLines(bytes, maxLines, maxLength))
            return QStringLiteral("lines cut at %1 split differently").arg(maxLength);
    }
    const QByteArrayView head = bytes.first(qMin<qsizetype>(bytes.size(), 64));
    for (const QString &text : {QString::fromUtf8(head), QString::fromLatin1(head)})
        if (const QString problem = checkNumber(text); !problem.isEmpty())
            return problem;
    return {};
}

QString CheckPicture(QByteArrayView bytes) {
    const QString path = scratch(bytes, "picture");
    QSize natural;
    // As the preview reads it.
    QString problem = checkLoaded(platform::LoadPictureFile(path, QSize(120, 90)), natural);
    if (!problem.isEmpty())
        return problem;
    // As the viewer reads it: on the look-ahead worker, taken over for display.
    const auto sizeFor = [](QSize size) { return platform::FittedSize(size, QSize(1024, 768)); };
    platform::LookAhead(path, sizeFor);
    const auto shown = platform::LoadPictureForDisplay(path, sizeFor);
    platform::DropLookAhead();
    if (!(problem = checkLoaded(shown, natural)).isEmpty())
        return problem;
    if (shown && shown->image.width() > sizeFor(natural).width() + 1 &&
        shown->image.height() > sizeFor(natural).height() + 1)
        return QStringLiteral("shown larger than the screen needs");
    // As a save reads it, at the natural size: only a picture that was shown can be saved, and
    // only up to 4 megapixels here, as larger ones cost a second each and would starve the rest.
    if (!natural.isValid() || qint64(natural.width()) * natural.height() > 4'000'000)
        return {};
    if (!(problem = checkLoaded(platform::LoadPictureFile(path), natural)).isEmpty())
        return problem;
    // What the save writes reads back at the same size.
    const QString target = scratch({}, "saved.bmp");
    if (qint64(natural.width()) * natural.height() <= 256 * 256 &&
        platform::SavePictureAsBitmap(path, target)) {
        const auto saved = platform::LoadPictureFile(target);
        if (!saved || saved->natural != natural)
            return QStringLiteral("the saved bitmap does not read back at its size");
    }
    return {};
}

QString CheckSearch(QByteArrayView bytes) {
    QStringList entries = textsOf(bytes);
    const QString text = SearchTextOf(entries.takeFirst());
    if (entries.size() > 64)
        entries.resize(64);

    // Splitting, against a split at runs of spaces.
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    KeywordArray keywords;
    for (int k = 0; k < int(keywords.size()); ++k)
        keywords[size_t(k)] = QStringLiteral("before %1").arg(k);
    QString rest = text;
    const int count = SplitKeywords(rest, keywords);
    if (count != words.size())
        return QStringLiteral("%1 keywords counted, %2 words").arg(count).arg(words.size());
    for (int k = 0; k < int(keywords.size()); ++k)
        if (keywords[size_t(k)] !=
            (k >= 1 && k <= count ? words[k - 1] : QStringLiteral("before %1").arg(k)))
            return QStringLiteral("keyword %1 is not the word").arg(k);

    // Matching and compacting, against a plain filter over the lower-cased entries.
    QStringList expected;
    for (const QString &entry : entries) {
        bool all = count >= 1;
        for (int k = 0; all && k < std::min(count, 3); ++k)
            all = entry.toLower().contains(words[k]);
        if (EntryMatches(entry, keywords, count) != all)
            return QStringLiteral("EntryMatches disagrees on an entry");
        if (all)
            expected << entry;
    }
    std::vector<QString> catalogue{QStringLiteral("index 0")};
    catalogue.insert(catalogue.end(), entries.begin(), entries.end());
    const std::vector<QString> original = catalogue;
    // A count beyond the catalogue is held to its size.
    const int n =
        CompactMatches(catalogue, int(entries.size()) + (count % 2 ? 1000 : 0), keywords, count);
    if (n != expected.size())
        return QStringLiteral("%1 matches, %2 expected").arg(n).arg(expected.size());
    for (int i = 0; i < int(catalogue.size()); ++i)
        if (catalogue[size_t(i)] != (i >= 1 && i <= n ? expected[i - 1] : original[size_t(i)]))
            return QStringLiteral("entry %1 after compacting is wrong").arg(i);
    return {};
}

QString CheckFit(QByteArrayView bytes) {
    // A picture's and a screen's size in pixels and the twips a pixel takes.
    float pixels[4];
    for (float &length : pixels)
        length = std::max<quint16>(take<quint16>(bytes), 1);
    const float twips = 1.0f + float(take<quint8>(bytes) % 30);
    const auto keys = take<quint8>(bytes);
    const float pixelWidth = pixels[0], pixelHeight = pixels[1];
    const float w = pixelWidth * twips, h = pixelHeight * twips;
    const float screenW = pixels[2] * twips, screenH = pixels[3] * twips;
    constexpr float slack = 0.01f;

    const PreviewFit preview = FitPreview(pixelWidth, pixelHeight, w, h);
    if (!(preview.Width <= std::min(PreviewBoxWidth, w) + slack &&
          preview.Height <= std::min(PreviewBoxHeight, h) + slack))
        return QStringLiteral("the preview is larger than the box or the picture");

    const Fit fit = FitToScreen(w, h, w, h, screenW, screenH);
    if (!(fit.Width <= std::min(screenW, w) + slack && fit.Height <= std::min(screenH, h) + slack))
        return QStringLiteral("the viewer's fit is larger than the screen or the picture");
    float width = fit.Width, height = fit.Height;
    int limit = ZoomLimitFor(w, h, screenW, screenH);
    for (int i = 0; i < 8; ++i) {
        const ZoomStep step = (keys >> i) & 1 ? ZoomIn(width, height, screenW, screenH, limit)
                                              : ZoomOut(width, height);
        if (!step.Changed && (step.Width != width || step.Height != height))
            return QStringLiteral("a refused zoom step changed the size");
        if (!(step.Width <= std::max(width, screenW) + slack &&
              step.Height <= std::max(height, screenH) + slack))
            return QStringLiteral("zoomed beyond the screen");
        width = step.Width;
        height = step.Height;
        limit = step.ZoomLimit;
    }
    return {};
}

} // namespace fuzzcheck
