#include "platform/files/folders.h"

#include "platform/files/files.h"
#include "platform/files/names.h"

#include <QScopeGuard>

#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The folders listed ahead at start-up, by the program path the walk names them with. The walk
// takes a listing that is ready and lists any other folder itself; the other thread leaves alone
// what the walk claimed that way.
struct ReadAheadState {
    std::mutex mutex;
    bool active = false;
    std::map<QString, FolderListing> listings;
    std::set<QString> claimed;
};
ReadAheadState &readAhead() {
    static ReadAheadState state;
    return state;
}

// Enough for the largest catalogue with room for the folders and other files around it; beyond
// that the walk lists for itself.
constexpr qsizetype ReadAheadEntries = 100'000;

std::optional<FolderListing> takeReadAhead(const QString &path) {
    ReadAheadState &ahead = readAhead();
    std::lock_guard lock(ahead.mutex);
    if (!ahead.active)
        return std::nullopt;
    const auto it = ahead.listings.find(path);
    if (it == ahead.listings.end()) {
        ahead.claimed.insert(path);
        return std::nullopt;
    }
    FolderListing listing = std::move(it->second);
    ahead.listings.erase(it);
    return listing;
}

std::optional<FolderListing> readFolder(const QString &path, FolderSet *listed) {
    // The walk names every subfolder exactly as listed, so only a path typed in another letter
    // case needs the slower resolution.
    const auto open = [](const QString &native) {
        return ::open(native.isEmpty() ? "." : NameBytes(native).constData(),
                      O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    };
    const QString exact = ExactPath(path);
    int fd = open(exact);
    if (fd < 0) {
        const QString resolved = NativePath(path);
        if (resolved != exact)
            fd = open(resolved);
    }
    if (fd < 0)
        return std::nullopt;
    const auto closeFolder = qScopeGuard([fd] { ::close(fd); });
    struct stat self {};
    const bool known = ::fstat(fd, &self) == 0;
    const FolderId id{static_cast<quint64>(self.st_dev), static_cast<quint64>(self.st_ino)};
    if (!known || (listed && !listed->insert(id).second))
        return std::nullopt;

    FolderListing listing;
    listing.id = id;
    listing.entries.reserve(64);
    // Read straight into a buffer of our own: a directory stream would allocate one for every
    // folder of the walk.
    alignas(dirent64) char buffer[16384];
    for (;;) {
        const ssize_t filled = ::getdents64(fd, buffer, sizeof buffer);
        if (filled <= 0)
            break;
        // Room for every name in the buffer, since none is longer held than in bytes.
        qsizetype used = listing.names.size();
        listing.names.resize(used + filled);
        auto *names = reinterpret_cast<char16_t *>(listing.names.data());
        for (ssize_t at = 0; at < filled;) {
            const auto *e = reinterpret_cast<const dirent64 *>(buffer + at);
            at += e->d_reclen;
            FindData entry;
            entry.start = used;
            used += WriteHeldName(e->d_name, names + used, entry.rawBytes);
            entry.length = used - entry.start;
            if (e->d_type == DT_DIR) {
                entry.folder = true;
            } else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
                // CD file systems report no types, and a link may lead to a folder: ask the entry.
                struct stat st;
                entry.folder = ::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
            }
            listing.entries.push_back(std::move(entry));
        }
        listing.names.truncate(used);
    }
    return listing;
}

} // namespace

std::optional<FolderListing> ListFolder(const QString &path, FolderSet *listed) {
    if (auto listing = takeReadAhead(path)) {
        if (listed && !listed->insert(listing->id).second)
            return std::nullopt;
        return listing;
    }
    return readFolder(path, listed);
}

void BeginReadingAhead() {
    ReadAheadState &ahead = readAhead();
    std::lock_guard lock(ahead.mutex);
    ahead.active = true;
}

void ReadAhead(const QString &path) {
    ReadAheadState &ahead = readAhead();
    const auto wanted = [&ahead](const QString &folder) {
        std::lock_guard lock(ahead.mutex);
        return ahead.active && !ahead.claimed.contains(folder);
    };
    // In the order the catalogue's walk goes, so that a folder reached by two ways through links
    // is listed under the same one.
    FolderSet walked;
    std::vector<QString> pending{path};
    qsizetype entries = 0;
    while (!pending.empty() && entries < ReadAheadEntries) {
        const QString folder = std::move(pending.back());
        pending.pop_back();
        if (!wanted(folder))
            continue;
        auto listing = readFolder(folder, &walked);
        if (!listing)
            continue;
        entries += static_cast<qsizetype>(listing->entries.size());
        std::vector<QString> subfolders;
        for (const FindData &e : listing->entries) {
            const QStringView name = listing->name(e);
            if (e.folder && name != u"." && name != u"..")
                subfolders.push_back(folder + name.toString() + QLatin1Char('\\'));
        }
        std::lock_guard lock(ahead.mutex);
        // Claimed while it was being read: the walk lists it and what lies under it.
        if (!ahead.active || ahead.claimed.contains(folder))
            continue;
        ahead.listings.emplace(folder, std::move(*listing));
        pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                       std::make_move_iterator(subfolders.rend()));
    }
}

void EndReadingAhead() {
    ReadAheadState &ahead = readAhead();
    std::lock_guard lock(ahead.mutex);
    ahead.active = false;
    ahead.listings.clear();
    ahead.claimed.clear();
}

} // namespace platform
