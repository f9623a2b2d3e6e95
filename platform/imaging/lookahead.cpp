#include "platform/imaging/lookahead.h"

#include "platform/files/files.h"
#include "platform/files/names.h"
#include "platform/imaging/picture_scale.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>

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
std::vector<Kept> kept; // touched by the user-interface thread only
// The preview shown last, its box as the display size: selecting a row previews it, and the
// start-up and a return to the main window select the same row again.
std::optional<Kept> keptPreview;
int decodedByDisplay = 0;

std::vector<Kept>::iterator findKept(const QString &nativePath) {
    return std::find_if(kept.begin(), kept.end(),
                        [&nativePath](const Kept &k) { return k.nativePath == nativePath; });
}

// The kept picture of that file while the file is unchanged; a stale one is dropped.
const Kept *validKept(const QString &nativePath, const FileStamp &now) {
    const auto it = findKept(nativePath);
    if (it == kept.end())
        return nullptr;
    if (!now.exists || it->stamp != now) {
        kept.erase(it);
        return nullptr;
    }
    return &*it;
}

void keep(const QString &nativePath, const FileStamp &stamp, QSize displaySize,
          const Picture &picture) {
    if (const auto it = findKept(nativePath); it != kept.end())
        kept.erase(it);
    if (!stamp.exists)
        return;
    kept.insert(kept.begin(), Kept{nativePath, stamp, displaySize, picture});
    if (kept.size() > KeptCount)
        kept.resize(KeptCount);
}

QString absoluteNativePath(const QString &path) {
    if (path.isEmpty())
        return {};
    return AbsoluteNativePath(NativePath(path));
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
    QSize previewBox; // not empty: read for a preview of this size, as LoadPicture does
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

// Touched by the user-interface thread only: the picture read ahead for the viewer, and the one
// read ahead for the main window's preview.
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
        if (job->cancelled) {
            job->done = true;
            job->finished.notify_all();
            return;
        }
        job->started = true;
    }
    const FileStamp stamp = stampOf(job->nativePath);
    Decoded result = job->previewBox.isEmpty()
                         ? decodeForDisplay(job->nativePath, job->sizeFor)
                         : Decoded{LoadPictureFile(job->nativePath, job->previewBox), QSize()};
    std::lock_guard lock(job->mutex);
    job->stamp = stamp;
    if (!job->cancelled)
        job->result = std::move(result);
    job->done = true;
    job->finished.notify_all();
}

// The slot's picture when it was read from this file as the file is now.
std::optional<Decoded> takeJob(std::shared_ptr<Job> &slot, const QString &nativePath,
                               const FileStamp &now) {
    std::shared_ptr<Job> job = slot;
    if (!job || job->nativePath != nativePath)
        return std::nullopt;
    slot.reset();
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
    if (!result.picture || !stamp.exists || now != stamp)
        return std::nullopt;
    return result;
}

std::optional<Picture> takeLookAhead(const QString &nativePath, const DisplaySizeFor &sizeFor,
                                     const FileStamp &now) {
    std::optional<Decoded> taken = takeJob(current, nativePath, now);
    if (!taken || !sizeFor || sizeFor(taken->picture->natural) != taken->displaySize)
        return std::nullopt;
    return std::move(taken->picture);
}

std::shared_ptr<Job> startJob(const QString &nativePath, DisplaySizeFor sizeFor, QSize box) {
    auto job = std::make_shared<Job>();
    job->nativePath = nativePath;
    job->sizeFor = std::move(sizeFor);
    job->previewBox = box;
    pool().start([job] { run(job); });
    return job;
}

void cancel(const std::shared_ptr<Job> &job) {
    if (!job)
        return;
    std::lock_guard lock(job->mutex);
    job->cancelled = true;
    job->result = {};
}

} // namespace

int DisplaysThatDecoded() {
    return decodedByDisplay;
}

std::optional<Picture> LoadPictureForDisplay(const QString &path, const DisplaySizeFor &sizeFor) {
    const QString nativePath = absoluteNativePath(path);
    const FileStamp now = stampOf(nativePath);
    if (const Kept *k = validKept(nativePath, now))
        if (sizeFor && sizeFor(k->picture.natural) == k->displaySize) {
            Picture picture = k->picture;
            keep(nativePath, now, k->displaySize, picture);
            return picture;
        }
    std::optional<Picture> picture = takeLookAhead(nativePath, sizeFor, now);
    if (!picture) {
        ++decodedByDisplay;
        picture = decodeForDisplay(nativePath, sizeFor).picture;
    }
    if (picture)
        keep(nativePath, now, sizeFor ? sizeFor(picture->natural) : QSize(), *picture);
    else if (const auto it = findKept(nativePath); it != kept.end())
        kept.erase(it);
    return picture;
}

namespace {

std::optional<Picture> previewOf(const QString &path, const QString &nativePath, QSize box,
                                 const FileStamp &now) {
    if (keptPreview && keptPreview->nativePath == nativePath && keptPreview->displaySize == box &&
        now.exists && keptPreview->stamp == now)
        return keptPreview->picture;
    if (currentPreview && currentPreview->previewBox == box)
        if (auto taken = takeJob(currentPreview, nativePath, now))
            return std::move(taken->picture);
    if (const Kept *k = validKept(nativePath, now)) {
        const QSize needed = FittedSize(k->picture.natural, box);
        const QImage &image = k->picture.image;
        if (!box.isEmpty() && image.width() >= needed.width() && image.height() >= needed.height())
            return Picture{ReducedToCover(image, needed), k->picture.natural, k->picture.source};
    }
    return LoadPicture(path, box);
}

} // namespace

std::optional<Picture> LoadPictureForPreview(const QString &path, QSize box) {
    const QString nativePath = absoluteNativePath(path);
    const FileStamp now = stampOf(nativePath);
    std::optional<Picture> picture = previewOf(path, nativePath, box, now);
    if (picture && now.exists)
        keptPreview = Kept{nativePath, now, box, *picture};
    else
        keptPreview.reset();
    return picture;
}

void KeepLastShownOnly() {
    if (kept.size() > 1)
        kept.resize(1);
}

void LookAheadSoon(int milliseconds, const QString &path, DisplaySizeFor sizeFor,
                   const QString &previewPath, QSize previewBox) {
    DropLookAhead();
    cancel(currentPreview);
    currentPreview.reset();
    QTimer *timer = soonTimer();
    QObject::disconnect(timer, nullptr, nullptr, nullptr);
    QObject::connect(timer, &QTimer::timeout,
                     [path, sizeFor = std::move(sizeFor), previewPath, previewBox] {
                         LookAhead(path, sizeFor);
                         const QString nativePath = absoluteNativePath(previewPath);
                         if (!nativePath.isEmpty() && !previewBox.isEmpty())
                             currentPreview = startJob(nativePath, {}, previewBox);
                     });
    timer->start(milliseconds);
}

void LookAhead(const QString &path, DisplaySizeFor sizeFor) {
    soonTimer()->stop();
    const QString nativePath = absoluteNativePath(path);
    // A picture still kept at that size needs no second reading.
    if (const Kept *k = validKept(nativePath, stampOf(nativePath)))
        if (sizeFor && sizeFor(k->picture.natural) == k->displaySize)
            return;
    if (current && current->nativePath == nativePath)
        return;
    cancel(current);
    current.reset();
    if (nativePath.isEmpty())
        return;
    current = startJob(nativePath, std::move(sizeFor), QSize());
}

void DropLookAhead() {
    soonTimer()->stop();
    cancel(current);
    current.reset();
}

void ForgetPictures() {
    DropLookAhead();
    cancel(currentPreview);
    currentPreview.reset();
    kept.clear();
    keptPreview.reset();
}

void WaitForLookAhead() {
    pool().waitForDone();
}

} // namespace platform
