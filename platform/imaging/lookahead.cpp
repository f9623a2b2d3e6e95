#include "platform/imaging/lookahead.h"

#include "platform/files/files.h"
#include "platform/files/names.h"
#include "platform/imaging/picture_scale.h"
#include "platform/imaging/reads.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <vector>

namespace platform {

namespace {

// What tells a file apart from the same name written, replaced or made unreadable since: a change
// of permissions moves the change time.
struct FileStamp {
    bool exists = false;
    bool isFolder = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedSec = 0;
    qint64 modifiedNsec = 0;
    qint64 changedSec = 0;
    qint64 changedNsec = 0;
    bool operator==(const FileStamp &) const = default;
};

FileStamp stampOf(const QString &nativePath) {
    struct stat st;
    if (nativePath.isEmpty() || ::stat(NameBytes(nativePath).constData(), &st) != 0)
        return {};
    return {true,
            S_ISDIR(st.st_mode),
            static_cast<quint64>(st.st_dev),
            static_cast<quint64>(st.st_ino),
            static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec),
            static_cast<qint64>(st.st_mtim.tv_nsec),
            static_cast<qint64>(st.st_ctim.tv_sec),
            static_cast<qint64>(st.st_ctim.tv_nsec)};
}

// The pictures shown last, most recent first: the one on screen and the one just left, so that
// stepping back costs no more than stepping on. Each is used again only while its file is as it
// was when it was read.
struct Kept {
    QString nativePath;
    FileStamp stamp;
    QSize displaySize;
    Picture picture;
};
constexpr size_t KeptCount = 2;
// Guards the kept pictures, which workers and the user-interface thread share.
std::mutex keptMutex;
std::vector<Kept> kept;
// The preview shown last, its box as the display size: selecting a row previews it, and the
// start-up and a return to the main window select the same row again.
std::optional<Kept> keptPreview;
std::atomic<int> decodedByDisplay = 0;

std::vector<Kept>::iterator findKept(const QString &nativePath) {
    return std::find_if(kept.begin(), kept.end(),
                        [&nativePath](const Kept &k) { return k.nativePath == nativePath; });
}

// A copy of the kept picture of that file while the file is unchanged; a stale one is dropped.
std::optional<Kept> validKept(const QString &nativePath, const FileStamp &now) {
    std::lock_guard lock(keptMutex);
    const auto it = findKept(nativePath);
    if (it == kept.end())
        return std::nullopt;
    if (!now.exists || it->stamp != now) {
        kept.erase(it);
        return std::nullopt;
    }
    return *it;
}

void keep(const QString &nativePath, const FileStamp &stamp, QSize displaySize,
          const Picture &picture) {
    std::lock_guard lock(keptMutex);
    if (const auto it = findKept(nativePath); it != kept.end())
        kept.erase(it);
    if (!stamp.exists)
        return;
    kept.insert(kept.begin(), Kept{nativePath, stamp, displaySize, picture});
    if (kept.size() > KeptCount)
        kept.resize(KeptCount);
}

void forget(const QString &nativePath) {
    std::lock_guard lock(keptMutex);
    if (const auto it = findKept(nativePath); it != kept.end())
        kept.erase(it);
}

// A program path that names the same file whatever the current folder is later; no disc access.
QString absoluteProgramPath(const QString &path) {
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\')))
        return path;
    return QDir::currentPath() + QLatin1Char('/') + path;
}

// On a worker: asks the disc for the letter case of each folder.
QString nativeOf(const QString &programPath) {
    if (programPath.isEmpty())
        return {};
    return AbsoluteNativePath(NativePath(programPath));
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
    QString programPath;
    DisplaySizeFor sizeFor;
    QSize previewBox; // not empty: read for a preview of this size, as LoadPicture does
    CancelToken token = std::make_shared<std::atomic<bool>>(false);
    std::mutex mutex;
    std::condition_variable finished;
    bool started = false;
    bool done = false;
    QString nativePath;
    FileStamp stamp;
    Decoded result;
};

// The picture read ahead for the viewer, and the one read ahead for the main window's preview;
// set and taken on the user-interface thread.
std::shared_ptr<Job> current;
std::shared_ptr<Job> currentPreview;

// The delay before a look-ahead asked for soon; owned by the application, so it goes with it.
QTimer *soonTimer() {
    static QPointer<QTimer> timer;
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
    }
    return timer;
}

void run(const std::shared_ptr<Job> &job) {
    {
        std::lock_guard lock(job->mutex);
        if (*job->token) {
            job->done = true;
            job->finished.notify_all();
            return;
        }
        job->started = true;
    }
    const QString nativePath = nativeOf(job->programPath);
    const FileStamp stamp = stampOf(nativePath);
    Decoded result;
    if (!job->previewBox.isEmpty()) {
        result.picture = LoadPictureFile(nativePath, job->previewBox);
    } else {
        // A picture still kept at that size needs no second reading.
        const std::optional<Kept> k = validKept(nativePath, stamp);
        if (!k || !job->sizeFor || job->sizeFor(k->picture.natural) != k->displaySize)
            result = decodeForDisplay(nativePath, job->sizeFor);
    }
    std::lock_guard lock(job->mutex);
    job->nativePath = nativePath;
    job->stamp = stamp;
    if (!*job->token)
        job->result = std::move(result);
    job->done = true;
    job->finished.notify_all();
}

// On the user-interface thread: the slot's job when it reads this file, taken out of the slot.
std::shared_ptr<Job> takeSlot(std::shared_ptr<Job> &slot, const QString &programPath) {
    if (!slot || slot->programPath != programPath)
        return nullptr;
    // Held by the read that took it alone: once that is gone, run or overtaken before it ran, the
    // job is not wanted and stops, rather than share the drive with the next read.
    std::shared_ptr<Job> job = std::exchange(slot, nullptr);
    return std::shared_ptr<Job>(job.get(), [job](Job *) { *job->token = true; });
}

// On a worker: the job's picture when it was read from this file as the file is now.
std::optional<Decoded> takeJob(const std::shared_ptr<Job> &job, const QString &nativePath,
                               const FileStamp &now) {
    if (!job)
        return std::nullopt;
    std::unique_lock lock(job->mutex);
    if (!job->started && !job->done) {
        // Not begun yet: reading it here is as quick as waiting for it.
        *job->token = true;
        return std::nullopt;
    }
    // A taker no longer wanted stops the read it waits for: on a CD it would hold up the next.
    while (
        !job->finished.wait_for(lock, std::chrono::milliseconds(10), [&job] { return job->done; }))
        if (WorkCancelled()) {
            *job->token = true;
            return std::nullopt;
        }
    Decoded result = std::move(job->result);
    if (!result.picture || !job->stamp.exists || now != job->stamp || job->nativePath != nativePath)
        return std::nullopt; // a picture that failed is read again: the file may have arrived since
    return result;
}

std::shared_ptr<Job> makeJob(const QString &programPath, DisplaySizeFor sizeFor, QSize box) {
    auto job = std::make_shared<Job>();
    job->programPath = programPath;
    job->sizeFor = std::move(sizeFor);
    job->previewBox = box;
    return job;
}

// The job, then the next one once it is done, unless it was dropped: on a CD two reads at once
// both go slower. A job that never starts is read by the display or preview that wants it.
void startJob(const std::shared_ptr<Job> &job, std::shared_ptr<Job> then = {}) {
    RunOnWorker(
        [job, then = std::move(then)] {
            run(job);
            if (then && !*job->token)
                startJob(then);
        },
        job->token);
}

void cancel(std::shared_ptr<Job> &job) {
    if (job)
        *job->token = true;
    job.reset();
}

std::optional<Picture> readForDisplay(const QString &programPath, const DisplaySizeFor &sizeFor,
                                      const std::shared_ptr<Job> &ahead) {
    const QString nativePath = nativeOf(programPath);
    const FileStamp now = stampOf(nativePath);
    if (const std::optional<Kept> k = validKept(nativePath, now))
        if (sizeFor && sizeFor(k->picture.natural) == k->displaySize) {
            keep(nativePath, now, k->displaySize, k->picture);
            return k->picture;
        }
    std::optional<Picture> picture;
    if (std::optional<Decoded> taken = takeJob(ahead, nativePath, now))
        if (sizeFor && sizeFor(taken->picture->natural) == taken->displaySize)
            picture = std::move(taken->picture);
    if (!picture) {
        ++decodedByDisplay;
        picture = decodeForDisplay(nativePath, sizeFor).picture;
    }
    if (picture)
        keep(nativePath, now, sizeFor ? sizeFor(picture->natural) : QSize(), *picture);
    else
        forget(nativePath);
    return picture;
}

std::optional<Picture> previewOf(const QString &nativePath, QSize box, const FileStamp &now,
                                 const std::shared_ptr<Job> &ahead) {
    {
        std::lock_guard lock(keptMutex);
        if (keptPreview && keptPreview->nativePath == nativePath &&
            keptPreview->displaySize == box && now.exists && keptPreview->stamp == now)
            return keptPreview->picture;
    }
    if (ahead && ahead->previewBox == box)
        if (auto taken = takeJob(ahead, nativePath, now))
            return std::move(taken->picture);
    if (const std::optional<Kept> k = validKept(nativePath, now)) {
        const QSize needed = FittedSize(k->picture.natural, box);
        const QImage &image = k->picture.image;
        if (!box.isEmpty() && image.width() >= needed.width() && image.height() >= needed.height())
            return Picture{ReducedToCover(image, needed), k->picture.natural, k->picture.source};
    }
    return LoadPictureFile(nativePath, box);
}

PreviewRead readForPreview(const QString &programPath, QSize box,
                           const std::shared_ptr<Job> &ahead) {
    const QString nativePath = nativeOf(programPath);
    const FileStamp now = stampOf(nativePath);
    PreviewRead read;
    if (now.exists && !now.isFolder)
        read.fileLength = now.size;
    read.picture = previewOf(nativePath, box, now, ahead);
    std::lock_guard lock(keptMutex);
    if (read.picture && now.exists)
        keptPreview = Kept{nativePath, now, box, *read.picture};
    else
        keptPreview.reset();
    return read;
}

} // namespace

int DisplaysThatDecoded() {
    return decodedByDisplay;
}

std::function<std::optional<Picture>()> DisplayRead(const QString &path, DisplaySizeFor sizeFor) {
    const QString programPath = absoluteProgramPath(path);
    return [programPath, sizeFor = std::move(sizeFor), ahead = takeSlot(current, programPath)] {
        return readForDisplay(programPath, sizeFor, ahead);
    };
}

std::function<PreviewRead()> PreviewReadOf(const QString &path, QSize box) {
    const QString programPath = absoluteProgramPath(path);
    return [programPath, box, ahead = takeSlot(currentPreview, programPath)] {
        return readForPreview(programPath, box, ahead);
    };
}

std::optional<Picture> LoadPictureForDisplay(const QString &path, const DisplaySizeFor &sizeFor) {
    return DisplayRead(path, sizeFor)();
}

std::optional<Picture> LoadPictureForPreview(const QString &path, QSize box) {
    return PreviewReadOf(path, box)().picture;
}

void KeepLastShownOnly() {
    std::lock_guard lock(keptMutex);
    if (kept.size() > 1)
        kept.resize(1);
}

void LookAheadSoon(int milliseconds, const QString &path, DisplaySizeFor sizeFor,
                   const QString &previewPath, QSize previewBox) {
    DropLookAhead();
    cancel(currentPreview);
    QTimer *timer = soonTimer();
    QObject::disconnect(timer, nullptr, nullptr, nullptr);
    QObject::connect(
        timer, &QTimer::timeout, [path, sizeFor = std::move(sizeFor), previewPath, previewBox] {
            soonTimer()->stop();
            cancel(current);
            const QString programPath = absoluteProgramPath(path);
            if (!previewPath.isEmpty() && !previewBox.isEmpty())
                currentPreview = makeJob(absoluteProgramPath(previewPath), {}, previewBox);
            if (!programPath.isEmpty()) {
                current = makeJob(programPath, sizeFor, QSize());
                startJob(current, currentPreview);
            } else if (currentPreview) {
                startJob(currentPreview);
            }
        });
    timer->start(milliseconds);
}

void LookAhead(const QString &path, DisplaySizeFor sizeFor) {
    soonTimer()->stop();
    const QString programPath = absoluteProgramPath(path);
    if (current && current->programPath == programPath)
        return;
    cancel(current);
    if (!programPath.isEmpty()) {
        current = makeJob(programPath, std::move(sizeFor), QSize());
        startJob(current);
    }
}

void DropLookAhead() {
    soonTimer()->stop();
    cancel(current);
}

void DropReadsAhead() {
    DropLookAhead();
    cancel(currentPreview);
}

void ForgetPictures() {
    DropLookAhead();
    cancel(currentPreview);
    std::lock_guard lock(keptMutex);
    kept.clear();
    keptPreview.reset();
}

void WaitForLookAhead() {
    WaitForWorkers();
}

} // namespace platform
