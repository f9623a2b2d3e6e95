#include "fuzz_checks.h"

#include "mainwindow/search_rules.h"
#include "mainwindow/settings_rules.h"
#include "platform/files/files.h"
#include "platform/imaging/lookahead.h"
#include "platform/imaging/picture_scale.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace fuzzcheck {

namespace {

// One input at a time as a file (tools/fuzz.sh puts the temporary folder in memory).
QString scratch(QByteArrayView bytes, const char *name) {
    static const QTemporaryDir folder;
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (QFile file(path); file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes.data(), bytes.size());
    return path;
}

// The line rules said plainly: CR LF, a lone CR or a lone LF ends a line; a line is cut at
// maxLength and the rest of it skipped; a last line needs no break.
std::vector<QByteArray> expectedLines(QByteArrayView data, int maxLines, int maxLength) {
    QList<QByteArray> lines =
        data.toByteArray().replace("\r\n", "\n").replace('\r', '\n').split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    lines = lines.mid(0, maxLines);
    for (QByteArray &line : lines)
        line.truncate(maxLength);
    return {lines.begin(), lines.end()};
}

// What any loaded picture is; its natural size is the same however it was read.
QString checkLoaded(const std::optional<platform::Picture> &picture, QSize &natural) {
    if (!picture)
        return {};
    const QSize size = picture->natural, decoded = picture->image.size();
    for (const auto &[fault, what] :
         {std::pair{picture->image.isNull() || size.isEmpty(), "a loaded picture without pixels"},
          {qint64(size.width()) * size.height() > platform::PictureBudgetPixels,
           "a picture beyond the budget loaded"},
          {decoded.width() > size.width() || decoded.height() > size.height(),
           "decoded larger than the natural size"},
          {natural.isValid() && natural != size, "the natural size depends on the box"}})
        if (fault)
            return what;
    natural = size;
    return {};
}

} // namespace

QString CheckSettings(QByteArrayView bytes) {
    const QString path = scratch(bytes, "orvane.ini");
    for (const auto &[maxLines, maxLength] :
         {std::pair{SettingsLines, SettingsLineLength}, std::pair{6, 7}, std::pair{64, 1}})
        if (platform::ReadLines(path, maxLines, maxLength) !=
            expectedLines(bytes, maxLines, maxLength))
            return QString("lines cut at %1 split differently").arg(maxLength);
    const QByteArrayView head = bytes.first(qMin<qsizetype>(bytes.size(), 64));
    // A plain whole number in range converts to itself. (QString::toInt would also take text
    // with NULs after the digits, which no platform conversion reads as a number.)
    static const QRegularExpression wholeNumber("^[+-]?[0-9]{1,5}$");
    for (const QString &text : {QString::fromUtf8(head), QString::fromLatin1(head)}) {
        const auto value = ToInteger16(text);
        const int whole = text.trimmed().toInt();
        if (wholeNumber.match(text.trimmed()).hasMatch() && whole >= -32768 && whole <= 32767 &&
            value != whole)
            return QString("ToInteger16 changed the whole number %1").arg(whole);
    }
    return {};
}

QString CheckPicture(QByteArrayView bytes) {
    const QString path = scratch(bytes, "picture");
    QSize natural;
    // As the preview reads it, then as the viewer does: on the look-ahead worker, taken over.
    const auto sizeFor = [](QSize size) { return platform::FittedSize(size, QSize(1024, 768)); };
    QString problem = checkLoaded(platform::LoadPictureFile(path, QSize(120, 90)), natural);
    platform::LookAhead(path, sizeFor);
    const auto shown = platform::LoadPictureForDisplay(path, sizeFor);
    platform::DropLookAhead();
    if (!problem.isEmpty() || !(problem = checkLoaded(shown, natural)).isEmpty())
        return problem;
    if (shown && shown->image.width() > sizeFor(natural).width() + 1 &&
        shown->image.height() > sizeFor(natural).height() + 1)
        return "shown larger than the screen needs";
    // As a save reads it, at the natural size: only a picture that was shown can be saved, and
    // only up to 4 megapixels here, as larger ones cost a second each and would starve the rest.
    const qint64 pixels = qint64(natural.width()) * natural.height();
    if (!natural.isValid() || pixels > 4'000'000)
        return {};
    if (!(problem = checkLoaded(platform::LoadPictureFile(path), natural)).isEmpty())
        return problem;
    // What the save writes reads back at the same size.
    const QString target = scratch({}, "saved.bmp");
    if (pixels <= 256 * 256 && platform::SavePictureAsBitmap(path, target) &&
        platform::LoadPictureFile(target).value_or(platform::Picture{}).natural != natural)
        return "the saved bitmap does not read back at its size";
    return {};
}

QString CheckSearch(QByteArrayView bytes) {
    // Lines of text: UTF-8, or any UTF-16 (lone surrogates included) when the first byte is odd.
    const bool utf16 = !bytes.isEmpty() && (bytes[0] & 1);
    QStringList entries;
    for (const QByteArrayView line :
         bytes.sliced(qMin<qsizetype>(1, bytes.size())).toByteArray().split('\n'))
        entries << (utf16 ? QString(reinterpret_cast<const QChar *>(line.data()), line.size() / 2)
                          : QString::fromUtf8(line));
    const QString text = SearchTextOf(entries.takeFirst());
    entries.resize(std::min<qsizetype>(entries.size(), 64));

    // Splitting, against a split at runs of spaces; the keywords past the words keep theirs.
    const QStringList words = text.split(' ', Qt::SkipEmptyParts);
    const KeywordArray before{"0 0", "1 1", "2 2", "3 3", "4 4", "5 5"}; // not a word: a space
    KeywordArray keywords = before;
    QString rest = text;
    const int count = SplitKeywords(rest, keywords);
    if (count != words.size())
        return QString("%1 keywords counted, %2 words").arg(count).arg(words.size());
    KeywordArray split = before;
    std::copy_n(words.begin(), std::min(count, 5), split.begin() + 1);
    if (keywords != split)
        return "the keywords are not the words";

    // Matching and compacting, against a plain filter over the lower-cased entries of the first
    // three words.
    QStringList expected;
    for (const QString &entry : entries) {
        const bool all = count >= 1 &&
                         std::all_of(words.begin(), words.begin() + std::min(count, 3),
                                     [&](const QString &w) { return entry.toLower().contains(w); });
        if (EntryMatches(entry, keywords, count) != all)
            return "EntryMatches disagrees on an entry";
        if (all)
            expected << entry;
    }
    std::vector<QString> catalogue{"index 0"};
    catalogue.insert(catalogue.end(), entries.begin(), entries.end());
    std::vector<QString> compacted = catalogue;
    std::copy(expected.begin(), expected.end(), compacted.begin() + 1);
    // A count beyond the catalogue is held to its size.
    const int n =
        CompactMatches(catalogue, int(entries.size()) + (count % 2 ? 1000 : 0), keywords, count);
    if (n != expected.size() || catalogue != compacted)
        return QString("%1 matches, %2 expected, or moved wrongly").arg(n).arg(expected.size());
    return {};
}

} // namespace fuzzcheck
