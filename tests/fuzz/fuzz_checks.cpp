#include "fuzz_checks.h"

#include "dialogs/desktop_rules.h"
#include "dialogs/save_rules.h"
#include "mainwindow/preview_rules.h"
#include "mainwindow/search_rules.h"
#include "mainwindow/settings_rules.h"
#include "platform/files/files.h"
#include "platform/imaging/lookahead.h"
#include "platform/imaging/picture.h"
#include "platform/imaging/picture_scale.h"
#include "viewer/fit_rules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cmath>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace fuzzcheck {

ScratchFile::ScratchFile(const char *name) {
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    folder_ = QStringLiteral("%1/orvane-fuzz-%2").arg(base).arg(::getpid());
    QDir().mkpath(folder_);
    path_ = folder_ + '/' + QString::fromLatin1(name);
}

const QString &ScratchFile::write(QByteArrayView bytes) {
    const QByteArray native = QFile::encodeName(path_);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::close(fd);
    }
    return path_;
}

QString ScratchFile::sibling(const char *name) const {
    return folder_ + '/' + QString::fromLatin1(name);
}

namespace {

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

QString checkLines(const QString &path, QByteArrayView bytes, int maxLines, int maxLength) {
    const auto lines = platform::ReadLines(path, maxLines, maxLength);
    if (!lines)
        return QStringLiteral("ReadLines could not read a regular file");
    if (*lines != expectedLines(bytes, maxLines, maxLength))
        return QStringLiteral("ReadLines(%1, %2) split the lines differently")
            .arg(maxLines)
            .arg(maxLength);
    return {};
}

QString checkNumber(const QString &text) {
    const auto value = ToInteger16(text);
    if (value && (*value < -32768 || *value > 32767))
        return QStringLiteral("ToInteger16 out of range: %1").arg(*value);
    // Blanks around a number never change it.
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
    if (value)
        (void)QBColor(*value);
    return {};
}

} // namespace

QString CheckSettings(QByteArrayView bytes, ScratchFile &scratch) {
    const QString &path = scratch.write(bytes);
    for (const auto &[maxLines, maxLength] :
         {std::pair{SettingsLines, SettingsLineLength}, std::pair{6, 7}, std::pair{64, 1}}) {
        const QString problem = checkLines(path, bytes, maxLines, maxLength);
        if (!problem.isEmpty())
            return problem;
    }
    const auto lines = platform::ReadLines(path, SettingsLines, SettingsLineLength);
    const TitleSettings settings = ReadTitleSettings(lines);
    if (settings.title.size() > SettingsLineLength)
        return QStringLiteral("title longer than a line may be");
    if (settings.colour && !settings.colour->isValid())
        return QStringLiteral("invalid colour");

    const QByteArrayView head = bytes.first(qMin<qsizetype>(bytes.size(), 64));
    for (const QString &text : {QString::fromUtf8(head), QString::fromLatin1(head)}) {
        const QString problem = checkNumber(text);
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

namespace {

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
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        return QStringLiteral("unexpected pixel format %1").arg(int(image.format()));
    if (natural.isValid() && natural != picture->natural)
        return QStringLiteral("the natural size depends on the box");
    natural = picture->natural;
    return {};
}

} // namespace

QString CheckPicture(QByteArrayView bytes, ScratchFile &scratch) {
    const QString &path = scratch.write(bytes);
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
    problem = checkLoaded(shown, natural);
    if (!problem.isEmpty())
        return problem;
    if (shown && shown->image.width() > sizeFor(natural).width() + 1 &&
        shown->image.height() > sizeFor(natural).height() + 1)
        return QStringLiteral("shown larger than the screen needs");
    // As a save reads it, at the natural size: only a picture that was shown can be saved, and
    // only up to 4 megapixels here, as larger ones cost a second each and would starve the rest.
    if (!natural.isValid() || qint64(natural.width()) * natural.height() > 4'000'000)
        return {};
    problem = checkLoaded(platform::LoadPictureFile(path), natural);
    if (!problem.isEmpty())
        return problem;
    // What the save writes reads back at the same size.
    if (natural.isValid() && qint64(natural.width()) * natural.height() <= 256 * 256) {
        const QString target = scratch.sibling("saved.bmp");
        QFile::remove(target);
        if (platform::SavePictureAsBitmap(path, target)) {
            const auto saved = platform::LoadPictureFile(target);
            if (!saved || saved->natural != natural)
                return QStringLiteral("the saved bitmap does not read back at its size");
        }
    }
    return {};
}

namespace {

// Lines of text from fuzzer bytes: UTF-8, or any UTF-16 (lone surrogates included) when the first
// byte is odd.
QStringList textsOf(QByteArrayView bytes) {
    const bool utf16 = !bytes.isEmpty() && (bytes[0] & 1);
    if (!bytes.isEmpty())
        bytes = bytes.sliced(1);
    QStringList texts;
    for (const QByteArrayView part : QByteArray(bytes.data(), bytes.size()).split('\n')) {
        if (utf16)
            texts << QString(reinterpret_cast<const QChar *>(part.data()), part.size() / 2);
        else
            texts << QString::fromUtf8(part);
    }
    return texts;
}

QString checkSplit(const QStringList &words, const KeywordArray &keywords, const QString &rest,
                   int count) {
    if (count != words.size())
        return QStringLiteral("%1 keywords counted, %2 words").arg(count).arg(words.size());
    if (keywords[0] != QStringLiteral("before 0"))
        return QStringLiteral("keyword 0 was written");
    for (int k = 1; k < int(keywords.size()); ++k) {
        const QString &expected = k <= count ? words[k - 1] : QStringLiteral("before %1").arg(k);
        if (keywords[size_t(k)] != expected)
            return QStringLiteral("keyword %1 is not the word").arg(k);
    }
    if (count > 0 && rest != words.last())
        return QStringLiteral("the text does not end as its last word");
    return {};
}

} // namespace

QString CheckSearchRules(QByteArrayView bytes) {
    QStringList texts = textsOf(bytes);
    const QString typed = texts.takeFirst();
    if (texts.size() > 64)
        texts.resize(64);

    // Splitting, against a split at runs of spaces.
    const QString text = SearchTextOf(typed);
    if (text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' ')))
        return QStringLiteral("the search text keeps spaces around it");
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    KeywordArray keywords;
    for (int k = 0; k < int(keywords.size()); ++k)
        keywords[size_t(k)] = QStringLiteral("before %1").arg(k);
    QString rest = text;
    const int count = SplitKeywords(rest, keywords);
    QString problem = checkSplit(words, keywords, rest, count);
    if (!problem.isEmpty())
        return problem;

    // Matching and compacting, against a plain filter over the lower-cased entries.
    QStringList expected;
    for (const QString &entry : texts) {
        bool all = count >= 1;
        for (int k = 0; all && k < std::min(count, 3); ++k)
            all = entry.toLower().contains(words[k]);
        if (EntryMatches(entry, keywords, count) != all)
            return QStringLiteral("EntryMatches disagrees on an entry");
        if (all)
            expected << entry;
        const QString name = FileNamePart(entry);
        if (name.contains(QLatin1Char('\\')) || !entry.endsWith(name))
            return QStringLiteral("FileNamePart is not the name after the last backslash");
    }
    std::vector<QString> catalogue{QStringLiteral("index 0")};
    catalogue.insert(catalogue.end(), texts.begin(), texts.end());
    const std::vector<QString> original = catalogue;
    const int imageCount = int(texts.size());
    // A count beyond the catalogue is held to its size.
    const int n = CompactMatches(catalogue, imageCount + (count % 2 ? 1000 : 0), keywords, count);
    if (count < 1 && n != 0)
        return QStringLiteral("matches without keywords");
    if (n != expected.size())
        return QStringLiteral("%1 matches, %2 expected").arg(n).arg(expected.size());
    if (catalogue[0] != original[0])
        return QStringLiteral("index 0 was written");
    for (int i = 1; i <= imageCount; ++i) {
        const QString &want = i <= n ? expected[i - 1] : original[size_t(i)];
        if (catalogue[size_t(i)] != want)
            return QStringLiteral("entry %1 after compacting is wrong").arg(i);
    }
    return {};
}

namespace {

template <class T> T take(QByteArrayView &bytes) {
    T value{};
    const auto n = std::min<qsizetype>(bytes.size(), sizeof value);
    std::memcpy(&value, bytes.data(), size_t(n));
    bytes = bytes.sliced(n);
    return value;
}

bool isAscii(const QString &text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
}

QString capitalisedOnce(const QString &text) {
    return text.left(1).toUpper() + text.mid(1).toLower();
}

QString checkFit(PreviewFit fit, bool plausible) {
    // Any floats at all: nothing to hold but that the rules return.
    if (!plausible)
        return {};
    constexpr float slack = 0.01f;
    if (!(fit.Width <= PreviewBoxWidth + slack && fit.Height <= PreviewBoxHeight + slack))
        return QStringLiteral("fitted %1 x %2, larger than the box").arg(fit.Width).arg(fit.Height);
    if (!(fit.Left >= -slack && fit.Top >= -slack))
        return QStringLiteral("placed outside the box at %1, %2").arg(fit.Left).arg(fit.Top);
    return {};
}

} // namespace

QString CheckPreviewRules(QByteArrayView bytes) {
    const auto rawWidth = take<float>(bytes);
    const auto rawHeight = take<float>(bytes);
    const auto pixelWidth = take<quint16>(bytes);
    const auto pixelHeight = take<quint16>(bytes);
    const auto fileSize = take<qint64>(bytes);
    const auto step = take<qint32>(bytes);
    const auto twips = 1.0f + float(take<quint8>(bytes) % 30);

    // A picture's own size, as the preview measures it; then any floats at all.
    const float w = float(std::max<quint16>(pixelWidth, 1));
    const float h = float(std::max<quint16>(pixelHeight, 1));
    QString problem = checkFit(FitPreview(w, h, w * twips, h * twips), true);
    if (problem.isEmpty())
        problem = checkFit(FitPreview(rawWidth, rawHeight, rawWidth * 15, rawHeight * 15),
                           std::isfinite(rawWidth) && std::isfinite(rawHeight) && rawWidth >= 1 &&
                               rawHeight >= 1 && rawWidth < 1e7f && rawHeight < 1e7f);
    if (!problem.isEmpty())
        return problem;

    const QStringList texts = textsOf(bytes);
    const QString entry = texts.isEmpty() ? QString() : texts.join(QLatin1Char('\n'));
    const QString title = PreviewTitle(entry);
    if (title.contains(QLatin1Char('\\')))
        return QStringLiteral("a title with a folder in it");
    if (isAscii(entry)) {
        const QString name = entry.size() >= 5 ? entry.left(entry.size() - 4) : entry;
        if (title != capitalisedOnce(name.mid(name.lastIndexOf(QLatin1Char('\\')) + 1)))
            return QStringLiteral("title \"%1\" for \"%2\"").arg(title, entry);
        if (PictureType(entry) != entry.right(3).toLower())
            return QStringLiteral("type of \"%1\"").arg(entry);
    }

    for (const QString &separator : {QStringLiteral("."), QStringLiteral(",")}) {
        const QString text = SizeText(fileSize, separator);
        if (!text.endsWith(QLatin1String(" Bytes")) && !text.endsWith(QLatin1String(" KB")) &&
            !text.endsWith(QLatin1String(" MB")))
            return QStringLiteral("size text \"%1\"").arg(text);
        if (fileSize >= 0 && fileSize < 1024 && text != QString::number(fileSize) + " Bytes")
            return QStringLiteral("size text \"%1\" for %2 bytes").arg(text).arg(fileSize);
    }
    if (SizeText(std::nullopt, QStringLiteral(".")) != QLatin1String("0 Bytes"))
        return QStringLiteral("an unreadable size is not 0 Bytes");
    (void)PixelSizeText(pixelWidth, pixelHeight);

    // The information line: any step either leaves the line or moves on within the cycle.
    const InfoFacts facts{PictureType(entry), PixelSizeText(pixelWidth, pixelHeight),
                          SizeText(fileSize, QStringLiteral(".")), title};
    if (const auto line = NextInfoLine(step, facts)) {
        if (line->nextStep < 0 || line->nextStep > 3)
            return QStringLiteral("information step %1 after %2").arg(line->nextStep).arg(step);
    }
    int at = 0;
    for (int i = 0; i < 8; ++i) {
        const auto line = NextInfoLine(at, facts);
        if (!line)
            break;
        at = line->nextStep;
    }
    return {};
}

QString CheckViewerRules(QByteArrayView bytes) {
    // A picture's and a screen's size in pixels, at 15 twips a pixel, and the zoom keys pressed.
    const float w = 15.0f * float(std::max<quint16>(take<quint16>(bytes), 1));
    const float h = 15.0f * float(std::max<quint16>(take<quint16>(bytes), 1));
    const float screenW = 15.0f * float(std::max<quint16>(take<quint16>(bytes), 1));
    const float screenH = 15.0f * float(std::max<quint16>(take<quint16>(bytes), 1));
    const auto keys = take<quint8>(bytes);
    constexpr float slack = 0.01f;

    const Fit fit = FitToScreen(w, h, w, h, screenW, screenH);
    if (!(fit.Width <= screenW + slack && fit.Height <= screenH + slack))
        return QStringLiteral("fitted beyond the screen");
    if (!(fit.Width <= w + slack && fit.Height <= h + slack))
        return QStringLiteral("fitting enlarged the picture");
    if (ZoomLimitFor(w, h, screenW, screenH) != (w >= screenW && h >= screenH ? 1 : 0))
        return QStringLiteral("zoom limit");
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

    const QStringList texts = textsOf(bytes);
    const QString entry = texts.join(QLatin1Char('\n'));
    const auto title = ViewerTitle(entry);
    if (title.has_value() != (entry.size() >= 5))
        return QStringLiteral("a viewer title for an entry too short, or none for one long enough");
    if (title && isAscii(entry) && *title != capitalisedOnce(entry.left(entry.size() - 4)))
        return QStringLiteral("viewer title \"%1\" for \"%2\"").arg(*title, entry);
    const QString closing = ClosingTitle(title.value_or(entry));
    if (closing.contains(QLatin1Char('\\')))
        return QStringLiteral("a closing title with a folder in it");
    if (CaptionText(closing) != QStringLiteral("  ") + closing + QStringLiteral("  "))
        return QStringLiteral("caption");
    if (!ViewerWallpaperQuestion(title.value_or(entry))
             .contains(TextAfterLastBackslash(title.value_or(entry))))
        return QStringLiteral("wallpaper question");
    const QString saveName = DefaultSaveName(entry);
    if (entry.size() > 4 ? saveName != entry.left(entry.size() - 4) : !saveName.isEmpty())
        return QStringLiteral("save name \"%1\" for \"%2\"").arg(saveName, entry);
    return {};
}

} // namespace fuzzcheck
