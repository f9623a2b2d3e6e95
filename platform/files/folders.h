#pragma once
// Directory enumeration: each entry's name and whether it is a folder, in the file system's own
// listing order (nothing is sorted).

#include <QString>
#include <QtGlobal>
#include <optional>
#include <set>
#include <vector>

namespace platform {

struct FindData {
    qsizetype start = 0; // where the name lies in the listing's names
    qsizetype length = 0;
    bool folder = false;
    bool rawBytes = false; // the name holds bytes that are not its text (see names.h)
};

// Identifies a folder on disk, so a walk can tell a folder it reached before by another path.
struct FolderId {
    quint64 device = 0;
    quint64 inode = 0;
    auto operator<=>(const FolderId &) const = default;
};
using FolderSet = std::set<FolderId>;

struct FolderListing {
    FolderId id;
    std::vector<FindData> entries; // "." and ".." included, as the platform reports them
    QString names;                 // every entry's name, one after the other

    QStringView name(const FindData &entry) const {
        return QStringView(names).mid(entry.start, entry.length);
    }
};

// Lists a folder named by a program path ("images\\animals\\"). Nothing when it cannot be listed.
// Every name is listed, held as names.h says, so a program path made of them names the file
// again. Given the folders a walk has listed, one among them is not read again (nothing) and one
// listed now joins them.
std::optional<FolderListing> ListFolder(const QString &path, FolderSet *listed = nullptr);

// At start-up the folders under the catalogue's folder are listed on another thread while the
// first window is built: BeginReadingAhead on the user-interface thread, then ReadAhead of a
// program path ("images\\") on the other one. Until EndReadingAhead, ListFolder takes a folder's
// listing read ahead, once, instead of reading the folder again, and the other thread leaves
// alone a folder ListFolder read first.
void BeginReadingAhead();
void ReadAhead(const QString &path);
void EndReadingAhead();

} // namespace platform
