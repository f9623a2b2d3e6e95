#include "platform/imaging/picture.h"

#include "platform/files/files.h"
#include "platform/files/names.h"
#include "platform/imaging/picture_scale.h"
#include "platform/imaging/reads.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

bool isAcceptedFormat(const QByteArray &format) {
    return format == "jpeg" || format == "gif" || format == "bmp";
}

bool withinBudget(QSize size) {
    return size.width() > 0 && size.height() > 0 &&
           static_cast<qint64>(size.width()) * size.height() <= PictureBudgetPixels;
}

// Qt's own limit is process-wide; it backs up the budget check for anything a header hides.
void setAllocationLimit() {
    static const bool done = [] {
        QImageReader::setAllocationLimit(static_cast<int>(PictureBudgetPixels * 4 / (1024 * 1024)) +
                                         1);
        return true;
    }();
    Q_UNUSED(done);
}

quint16 le16(const QByteArray &bytes, int at) {
    return static_cast<quint16>(static_cast<uchar>(bytes[at]) |
                                (static_cast<uchar>(bytes[at + 1]) << 8));
}

// The area Qt's GIF decoder allocates for the first frame: the logical screen, or the frame's
// own extent where that reaches further. The reader's size() reports less than that for a
// small frame on a large screen, so the header is read here.
std::optional<QSize> gifCanvas(QIODevice &device) {
    const qint64 start = device.pos();
    const auto restore = qScopeGuard([&device, start] { device.seek(start); });
    const QByteArray head = device.read(13);
    if (head.size() < 13)
        return std::nullopt;
    const int screenWidth = le16(head, 6);
    const int screenHeight = le16(head, 8);
    const auto flags = static_cast<uchar>(head[10]);
    auto skip = [&device](qint64 n) { return device.seek(device.pos() + n); };
    if ((flags & 0x80) && !skip(3 * (2 << (flags & 7))))
        return std::nullopt;
    for (;;) {
        char introducer = 0;
        if (!device.getChar(&introducer))
            return std::nullopt;
        if (introducer == ',') {
            const QByteArray frame = device.read(8);
            if (frame.size() < 8)
                return std::nullopt;
            return QSize(std::max(screenWidth, le16(frame, 0) + le16(frame, 4)),
                         std::max(screenHeight, le16(frame, 2) + le16(frame, 6)));
        }
        if (introducer != '!')
            return QSize(screenWidth, screenHeight); // no frame follows: nothing is allocated
        char label = 0, length = 0;
        if (!device.getChar(&label))
            return std::nullopt;
        while (device.getChar(&length) && length != 0)
            if (!skip(static_cast<uchar>(length)))
                return std::nullopt;
        if (length != 0)
            return std::nullopt;
    }
}

// The size to ask the JPEG decoder for: the smallest of the DCT's own scales (1/8, 1/4, 1/2)
// that is still no smaller than needed. Rounded down: Qt derives the DCT scale from the ratio,
// and a size rounded up would push it to the next larger scale.
QSize jpegDecodeSize(QSize stored, QSize needed) {
    for (int denominator : {8, 4, 2}) {
        const QSize scaled(stored.width() / denominator, stored.height() / denominator);
        if (scaled.width() >= needed.width() && scaled.height() >= needed.height())
            return scaled;
    }
    return stored;
}

std::optional<Picture> decode(QIODevice &file, const QString &nativePath, const CoverFor &boxFor) {
    setAllocationLimit();
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (!isAcceptedFormat(format))
        return std::nullopt;

    QSize declared;
    if (format == "gif") {
        declared = gifCanvas(file).value_or(QSize());
    } else {
        // A top-down bitmap reports a negative height.
        const QSize stored = reader.size();
        declared = QSize(std::abs(stored.width()), std::abs(stored.height()));
    }
    if (!withinBudget(declared))
        return std::nullopt;

    QSize natural;
    if (format == "jpeg") {
        // The reader's size is the stored one; the scaled size applies before the rotation.
        const bool quarter =
            reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
        reader.setAutoTransform(true);
        natural = quarter ? declared.transposed() : declared;
        const QSize needed = FittedSize(natural, boxFor(natural));
        const QSize wanted = jpegDecodeSize(declared, quarter ? needed.transposed() : needed);
        if (wanted != declared)
            reader.setScaledSize(wanted);
    }

    QImage image;
    if (!reader.read(&image) || image.isNull())
        return std::nullopt;
    if (!natural.isValid())
        natural = image.size();
    // What the decoder could not scale is brought down here, once, rather than at every paint.
    image = ReducedToCover(image, FittedSize(natural, boxFor(natural)));
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    // Absolute: the save reads the file again later, whatever the current folder is then.
    return Picture{image, natural, AbsoluteNativePath(nativePath)};
}

std::timed_mutex driveGate;

// The whole file, read in pieces so that a read nobody wants any more stops early. Nothing when
// any read fails: an error in the middle of the file (a scratched or ejected CD) makes the whole
// file unreadable, rather than a picture decoded halfway and filled up with grey. Only a regular
// file: a folder, a dangling link, a pipe or a device named like a picture is none.
std::optional<QByteArray> readFile(const QString &nativePath,
                                   const std::function<bool()> &unwanted) {
    constexpr qint64 Piece = 128 * 1024;
    // More than any picture within the budget takes, at 4 bytes a pixel.
    constexpr qint64 Largest = PictureBudgetPixels * 4 + 1024 * 1024;
    const int fd = ::open(NameBytes(nativePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > Largest)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(st.st_size) + Piece);
    // The first piece without the system's read-ahead: a read superseded at once, as on a held
    // key, then costs the drive that piece and not three times as much.
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    bool gated = true;
    for (;;) {
        // One piece at a time on the drive: on a CD every other read in between is a seek. A
        // read that superseded others waits for the piece under way, not for theirs; a read that
        // hangs holds the others up once, briefly.
        std::unique_lock gate(driveGate, std::defer_lock);
        if (gated)
            gated = gate.try_lock_for(std::chrono::milliseconds(200));
        if (unwanted() || bytes.size() > Largest)
            return std::nullopt;
        const qsizetype had = bytes.size();
        bytes.resize(had + Piece);
        const ssize_t n = ::read(fd, bytes.data() + had, Piece);
        if (gate.owns_lock())
            gate.unlock();
        if (had == 0)
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_NORMAL);
        bytes.resize(had + std::max<qsizetype>(n, 0));
        if (n == 0)
            return bytes;
        if (n < 0 && errno != EINTR)
            return std::nullopt;
    }
}

// A file being read, shared by every worker that asks for it meanwhile: the viewer opened on a
// row whose preview is still being read takes the same bytes instead of sending the drive to and
// fro between two readers of one file. The read stops once none of them wants it.
struct SharedRead {
    std::vector<const std::atomic<bool> *> wanting; // their cancel flags; null for good
    bool abandoned = false;                         // stopped, nobody wanting it
    bool done = false;
    std::optional<QByteArray> bytes;
};
std::mutex sharedReadsMutex;
std::condition_variable sharedReadDone;
std::map<QString, std::shared_ptr<SharedRead>> sharedReads;

bool cancelled(const std::atomic<bool> *flag) {
    return flag && *flag;
}

std::optional<QByteArray> readWhole(const QString &nativePath) {
    const std::atomic<bool> *mine = WorkCancelFlag();
    std::unique_lock lock(sharedReadsMutex);
    for (;;) {
        std::shared_ptr<SharedRead> &slot = sharedReads[nativePath];
        if (!slot)
            break;
        const std::shared_ptr<SharedRead> read = slot;
        read->wanting.push_back(mine);
        // Woken when any shared read ends; a reader no longer wanted leaves within a few ms.
        while (!read->done) {
            if (cancelled(mine)) {
                read->wanting.erase(std::find(read->wanting.begin(), read->wanting.end(), mine));
                return std::nullopt;
            }
            sharedReadDone.wait_for(lock, std::chrono::milliseconds(10));
        }
        if (!read->abandoned)
            return read->bytes;
        // Joined just as the others gave it up: read anew.
    }
    const auto read = sharedReads[nativePath] = std::make_shared<SharedRead>();
    read->wanting.push_back(mine);
    lock.unlock();
    std::optional<QByteArray> bytes = readFile(nativePath, [&read] {
        std::lock_guard guard(sharedReadsMutex);
        read->abandoned = std::all_of(read->wanting.begin(), read->wanting.end(), cancelled);
        return read->abandoned;
    });
    lock.lock();
    read->bytes = bytes;
    read->done = true;
    sharedReads.erase(nativePath);
    sharedReadDone.notify_all();
    if (cancelled(mine))
        return std::nullopt;
    return bytes;
}

std::optional<Picture> decodeFile(const QString &nativePath, const CoverFor &boxFor) {
    if (nativePath.isEmpty())
        return std::nullopt;
    std::optional<QByteArray> bytes = readWhole(nativePath);
    if (!bytes)
        return std::nullopt;
    QBuffer buffer(&*bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    return decode(buffer, nativePath, boxFor);
}

CoverFor fixedBox(QSize box) {
    return [box](QSize) { return box; };
}

} // namespace

std::optional<Picture> LoadPictureFile(const QString &nativePath, QSize box) {
    return decodeFile(nativePath, fixedBox(box));
}

std::optional<Picture> LoadPictureFile(const QString &nativePath, const CoverFor &coverFor) {
    return decodeFile(nativePath, coverFor ? coverFor : fixedBox({}));
}

std::optional<Picture> LoadPicture(const QString &path, QSize box) {
    if (path.isEmpty())
        return std::nullopt;
    return decodeFile(NativePath(path), fixedBox(box));
}

void LoadDecoders() {
    // Listing what can be read loads every decoder plugin.
    QImageReader::supportedImageFormats();
}

std::optional<QImage> ReadPictureWhole(const QString &sourceNativePath) {
    auto picture = decodeFile(sourceNativePath, fixedBox({}));
    if (!picture)
        return std::nullopt;
    return std::move(picture->image);
}

bool WriteBitmap(QImage image, const QString &targetPath) {
    if (image.isNull())
        return false;
    if (image.hasAlphaChannel())
        image.convertTo(QImage::Format_RGB32);

    // The exact name: a file whose name differs only in letter case is another file. And always
    // a new file renamed into place, so an old one is never left half overwritten; a folder that
    // refuses new files refuses the save.
    QSaveFile file(ExactPath(targetPath));
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool SavePictureAsBitmap(const QString &sourceNativePath, const QString &targetPath) {
    const std::optional<QImage> image = ReadPictureWhole(sourceNativePath);
    return image && WriteBitmap(*image, targetPath);
}

} // namespace platform
