#include "platform/files/folders.h"

#include "platform/files/files.h"

#include <QFile>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool isAscii(const char *s, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return false;
    return true;
}

// Appends a name to the listing's text. Names that do not survive a round trip through text are
// dropped, and so are names holding a backslash: a program path made from either would never
// name the file again.
bool appendName(const char *raw, QString &names) {
    const size_t n = std::strlen(raw);
    if (std::memchr(raw, '\\', n))
        return false;
    const auto size = static_cast<qsizetype>(n);
    if (isAscii(raw, n)) {
        names.append(QLatin1StringView(raw, size));
        return true;
    }
    const QString decoded = QString::fromUtf8(raw, size);
    if (decoded.toUtf8() != QByteArrayView(raw, size))
        return false;
    names.append(decoded);
    return true;
}

} // namespace

std::optional<FolderListing> ListFolder(const QString &path, FolderSet *listed) {
    // The walk names every subfolder exactly as listed, so only a path typed in another letter
    // case needs the slower resolution.
    const auto open = [](const QString &native) {
        return ::opendir(native.isEmpty() ? "." : QFile::encodeName(native).constData());
    };
    const QString exact = ExactPath(path);
    DIR *d = open(exact);
    if (!d) {
        const QString resolved = NativePath(path);
        if (resolved != exact)
            d = open(resolved);
    }
    if (!d)
        return std::nullopt;
    struct stat self {};
    const bool known = ::fstat(::dirfd(d), &self) == 0;
    const FolderId id{static_cast<quint64>(self.st_dev), static_cast<quint64>(self.st_ino)};
    if (!known || (listed && !listed->insert(id).second)) {
        ::closedir(d);
        return std::nullopt;
    }

    FolderListing listing;
    listing.id = id;
    listing.entries.reserve(64);
    listing.names.reserve(1024);
    while (dirent *e = ::readdir(d)) {
        FindData entry;
        entry.start = listing.names.size();
        if (!appendName(e->d_name, listing.names))
            continue;
        entry.length = listing.names.size() - entry.start;
        if (e->d_type == DT_DIR) {
            entry.folder = true;
        } else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            // CD file systems report no types, and a link may lead to a folder: ask the entry.
            struct stat st;
            entry.folder = ::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        listing.entries.push_back(std::move(entry));
    }
    ::closedir(d);
    return listing;
}

} // namespace platform
