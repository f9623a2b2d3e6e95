#include "fuzz_checks.h"

#include "mainwindow/settings_rules.h"
#include "platform/files.h"
#include "platform/picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

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

QString CheckPicture(QByteArrayView bytes, ScratchFile &scratch) {
    const QString &path = scratch.write(bytes);
    QSize natural;
    for (const QSize box : {QSize(), QSize(120, 90), QSize(1024, 768)}) {
        const auto picture = platform::LoadPictureFile(path, box);
        if (!picture)
            continue;
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
    }
    // Saving re-reads the file at its natural size; what it writes reads back the same size.
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

} // namespace fuzzcheck
