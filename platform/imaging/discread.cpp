#include "platform/imaging/discread.h"

#include "platform/files/names.h"
#include "platform/imaging/picture.h"
#include "platform/imaging/reads.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QScopeGuard>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

constexpr qint64 Piece = 128 * 1024;
// More than any picture within the budget takes, at 4 bytes a pixel.
constexpr qint64 Largest = PictureBudgetPixels * 4 + 1024 * 1024;

// One piece at a time on the drive: on a CD every other read in between is a seek. A read that
// superseded others waits for the piece under way, not for theirs; a read that hangs holds the
// others up once, briefly.
std::timed_mutex driveGate;

// Guards the readers and the end of every shared read; any read's progress wakes its readers.
std::mutex readsMutex;
std::condition_variable progress;

// A file being read, shared by every worker that asks for it meanwhile: the viewer opened on a
// row whose preview is still being read takes the same bytes instead of sending the drive to and
// fro between two readers of one file. The worker that began it does the reading, as its own
// decoder or the end of the file needs; the read stops once none of them wants it.
struct SharedRead {
    QString path;
    // Set by the reading worker before the bytes they describe arrive.
    int fd = -1;
    std::unique_ptr<char[]> bytes;
    qint64 capacity = 0; // the length found at the start, and a piece more to notice growth
    std::atomic<qint64> arrived = 0;
    bool gated = true; // the reading worker's: waits for the gate until refused once
    // Under readsMutex.
    std::vector<const std::atomic<bool> *> wanting; // the readers' cancel flags; null for good
    bool ended = false;
    bool failed = false;
};
std::map<QString, std::shared_ptr<SharedRead>> sharedReads; // under readsMutex

bool cancelled(const std::atomic<bool> *flag) {
    return flag && *flag;
}

// Under readsMutex.
void endRead(SharedRead &read, bool failed) {
    read.ended = true;
    read.failed = failed;
    if (read.fd >= 0)
        ::close(read.fd);
    read.fd = -1;
    if (const auto it = sharedReads.find(read.path);
        it != sharedReads.end() && it->second.get() == &read)
        sharedReads.erase(it);
    progress.notify_all();
}

// Only a regular file: a folder, a dangling link, a pipe or a device named like a picture is none.
bool openFile(SharedRead &read) {
    const int fd = ::open(NameBytes(read.path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= Largest) {
        read.capacity = st.st_size + Piece;
        read.bytes.reset(new (std::nothrow) char[static_cast<size_t>(read.capacity)]);
        if (read.bytes) {
            read.fd = fd;
            // The first piece without the system's read-ahead: a read superseded at once, as on
            // a held key, then costs the drive that piece and not three times as much.
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
            return true;
        }
    }
    if (fd >= 0)
        ::close(fd);
    std::lock_guard lock(readsMutex);
    endRead(read, true);
    return false;
}

// The next piece from the drive, by the reading worker; false once the read has ended.
bool readPiece(SharedRead &read) {
    {
        // Before the gate: a read that has ended must not wait for another's piece.
        std::lock_guard lock(readsMutex);
        if (read.ended)
            return false;
    }
    std::unique_lock gate(driveGate, std::defer_lock);
    if (read.gated)
        read.gated = gate.try_lock_for(std::chrono::milliseconds(200));
    {
        std::lock_guard lock(readsMutex);
        if (std::all_of(read.wanting.begin(), read.wanting.end(), cancelled)) {
            endRead(read, true);
            return false;
        }
    }
    const qint64 had = read.arrived;
    const qint64 room = std::min(Piece, read.capacity - had);
    // No room left: the file grew while it was read.
    const ssize_t n = room > 0 ? ::read(read.fd, read.bytes.get() + had, room) : -1;
    const bool interrupted = n < 0 && room > 0 && errno == EINTR;
    if (gate.owns_lock())
        gate.unlock();
    if (had == 0)
        ::posix_fadvise(read.fd, 0, 0, POSIX_FADV_NORMAL);
    std::lock_guard lock(readsMutex);
    if (n > 0) {
        read.arrived = had + n;
        progress.notify_all();
        return true;
    }
    if (interrupted)
        return true;
    endRead(read, n < 0);
    return false;
}

// Until the bytes up to upTo have arrived or the read has ended; false once this worker's work
// is no longer wanted.
bool fill(SharedRead &read, bool reading, qint64 upTo) {
    const std::atomic<bool> *mine = WorkCancelFlag();
    while (read.arrived < upTo) {
        if (cancelled(mine))
            return false;
        if (reading) {
            if (!readPiece(read))
                return true;
            continue;
        }
        std::unique_lock lock(readsMutex);
        if (read.ended)
            return true;
        if (read.arrived < upTo)
            progress.wait_for(lock, std::chrono::milliseconds(10));
    }
    return true;
}

// The file's bytes, each waited for until it has arrived.
class ArrivingFile : public QIODevice {
  public:
    ArrivingFile(SharedRead &read, bool reading) : read_(read), reading_(reading) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    // Known once the file's start has arrived, before any decoder asks.
    qint64 size() const override { return std::max<qint64>(0, read_.capacity - Piece); }

  protected:
    qint64 readData(char *data, qint64 maxSize) override {
        const qint64 at = pos();
        const qint64 end = read_.capacity - Piece;
        if (!fill(read_, reading_, maxSize < end - at ? at + maxSize : end))
            return -1;
        const qint64 n = std::min(maxSize, read_.arrived - at);
        if (n > 0) {
            std::memcpy(data, read_.bytes.get() + at, static_cast<size_t>(n));
            return n;
        }
        std::lock_guard lock(readsMutex);
        return read_.ended && !read_.failed ? 0 : -1;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

  private:
    SharedRead &read_;
    const bool reading_;
};

} // namespace

bool ReadAsItArrives(const QString &nativePath, const std::function<bool(QIODevice &)> &use) {
    const std::atomic<bool> *mine = WorkCancelFlag();
    std::shared_ptr<SharedRead> read;
    bool reading = false;
    {
        std::lock_guard lock(readsMutex);
        std::shared_ptr<SharedRead> &slot = sharedReads[nativePath];
        if (!slot) {
            slot = std::make_shared<SharedRead>();
            slot->path = nativePath;
            reading = true;
        }
        read = slot;
        read->wanting.push_back(mine);
    }
    const auto leave = qScopeGuard([&read, mine, reading] {
        std::lock_guard lock(readsMutex);
        read->wanting.erase(std::find(read->wanting.begin(), read->wanting.end(), mine));
        // Only if use threw: the others must not wait for pieces nobody reads.
        if (reading && !read->ended)
            endRead(*read, true);
    });
    if (reading && !openFile(*read))
        return false;
    bool used = false;
    // Qt tells a file's format under a lock of the whole process: its start must be there first.
    QElapsedTimer started;
    started.start();
    if (fill(*read, reading, Piece)) {
        // Read from memory or a fast disk, the file is there sooner than it could be decoded: it
        // is read whole, and decoded where Qt's JPEG decoder is quickest, in place in memory.
        if (reading && started.elapsed() < 5)
            while (readPiece(*read)) {
            }
        bool whole = false;
        {
            std::lock_guard lock(readsMutex);
            whole = read->ended && !read->failed;
        }
        if (whole) {
            QByteArray bytes = QByteArray::fromRawData(read->bytes.get(), read->arrived);
            QBuffer buffer(&bytes);
            used = buffer.open(QIODevice::ReadOnly) && use(buffer);
        } else {
            ArrivingFile file(*read, reading);
            used = use(file);
        }
    }
    // The rest of the file: an error after what the decoder needed still makes it unreadable,
    // and the others sharing the read may need it even when this worker does not.
    if (reading)
        while (readPiece(*read)) {
        }
    else if (!fill(*read, false, std::numeric_limits<qint64>::max()))
        return false;
    std::lock_guard lock(readsMutex);
    return used && !read->failed && !cancelled(mine);
}

} // namespace platform
