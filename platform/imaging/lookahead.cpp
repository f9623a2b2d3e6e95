#include "platform/imaging/lookahead.h"

#include "platform/files/files.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

#include <condition_variable>
#include <malloc.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace platform {

namespace {

// Picture buffers of many megabytes are made and dropped at every display, on this thread and on
// the worker. With an allocator heap per thread each keeps its own freed buffers for reuse and the
// program's memory holds several pictures more than it uses; one shared heap keeps one set.
[[maybe_unused]] const bool oneHeap = mallopt(M_ARENA_MAX, 1) == 1;

// What tells a file apart from the same name written again since.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedSec = 0;
    qint64 modifiedNsec = 0;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QString &nativePath) {
    struct stat st;
    if (::stat(QFile::encodeName(nativePath).constData(), &st) != 0)
        return {};
    return {true, static_cast<qint64>(st.st_size), static_cast<qint64>(st.st_mtim.tv_sec),
            static_cast<qint64>(st.st_mtim.tv_nsec)};
}

QString absoluteNativePath(const QString &path) {
    if (path.isEmpty())
        return {};
    return QFileInfo(NativePath(path)).absoluteFilePath();
}

struct Decoded {
    std::optional<Picture> picture;
    QSize displaySize;
};

Decoded decodeForDisplay(const QString &nativePath, const DisplaySizeFor &sizeFor) {
    Decoded decoded;
    if (nativePath.isEmpty())
        return decoded;
    decoded.picture = LoadPictureFile(
        nativePath, [&sizeFor](QSize natural) { return sizeFor ? sizeFor(natural) : QSize(); });
    if (!decoded.picture || !sizeFor)
        return decoded;
    decoded.displaySize = sizeFor(decoded.picture->natural);
    QImage &image = decoded.picture->image;
    const QSize wanted = decoded.displaySize;
    // Scaled once here rather than at every paint; a picture smaller than its display size stays
    // whole and the image control stretches it.
    if (!wanted.isEmpty() && image.size() != wanted && image.width() >= wanted.width() &&
        image.height() >= wanted.height())
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return decoded;
}

struct Job {
    QString nativePath;
    DisplaySizeFor sizeFor;
    std::mutex mutex;
    std::condition_variable finished;
    bool started = false;
    bool done = false;
    bool cancelled = false;
    FileStamp stamp;
    Decoded result;
};

QThreadPool &pool() {
    static QThreadPool *instance = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(1);
        p->setExpiryTimeout(2000);
        // The worker must be idle before the application's plugins and objects go away.
        qAddPostRoutine([] {
            pool().clear();
            pool().waitForDone();
        });
        return p;
    }();
    return *instance;
}

// Touched by the user-interface thread only.
std::shared_ptr<Job> current;

void run(const std::shared_ptr<Job> &job) {
    {
        std::lock_guard lock(job->mutex);
        if (job->cancelled) {
            job->done = true;
            job->finished.notify_all();
            return;
        }
        job->started = true;
    }
    const FileStamp stamp = stampOf(job->nativePath);
    Decoded result = decodeForDisplay(job->nativePath, job->sizeFor);
    std::lock_guard lock(job->mutex);
    job->stamp = stamp;
    if (!job->cancelled)
        job->result = std::move(result);
    job->done = true;
    job->finished.notify_all();
}

std::optional<Picture> takeLookAhead(const QString &nativePath, const DisplaySizeFor &sizeFor) {
    std::shared_ptr<Job> job = current;
    if (!job || job->nativePath != nativePath)
        return std::nullopt;
    current.reset();
    std::unique_lock lock(job->mutex);
    if (!job->started && !job->done) {
        // Not begun yet: reading it here is as quick as waiting for it.
        job->cancelled = true;
        return std::nullopt;
    }
    job->finished.wait(lock, [&job] { return job->done; });
    Decoded result = std::move(job->result);
    const FileStamp stamp = job->stamp;
    lock.unlock();
    // A picture that failed is read again: the file may have arrived since.
    if (!result.picture || !stamp.exists || stampOf(nativePath) != stamp)
        return std::nullopt;
    if (!sizeFor || sizeFor(result.picture->natural) != result.displaySize)
        return std::nullopt;
    return std::move(result.picture);
}

void cancel(const std::shared_ptr<Job> &job) {
    if (!job)
        return;
    std::lock_guard lock(job->mutex);
    job->cancelled = true;
    job->result = {};
}

} // namespace

std::optional<Picture> LoadPictureForDisplay(const QString &path, const DisplaySizeFor &sizeFor) {
    const QString nativePath = absoluteNativePath(path);
    if (auto taken = takeLookAhead(nativePath, sizeFor))
        return taken;
    return decodeForDisplay(nativePath, sizeFor).picture;
}

void LookAhead(const QString &path, DisplaySizeFor sizeFor) {
    const QString nativePath = absoluteNativePath(path);
    if (current && current->nativePath == nativePath)
        return;
    cancel(current);
    current.reset();
    if (nativePath.isEmpty())
        return;
    auto job = std::make_shared<Job>();
    job->nativePath = nativePath;
    job->sizeFor = std::move(sizeFor);
    current = job;
    pool().start([job] { run(job); });
}

void DropLookAhead() {
    cancel(current);
    current.reset();
}

void WaitForLookAhead() {
    pool().waitForDone();
}

} // namespace platform
