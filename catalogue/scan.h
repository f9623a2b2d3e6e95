#pragma once
// The depth-first walk of the picture folder that fills the catalogue and the picture list.

#include "platform/files/folders.h"

#include <QString>
#include <vector>

namespace platform {
class ListBox;
}

struct ScanParams {
    bool Recurse = false;
    bool AddToList = false;
    QString Folder;
    QString Pattern;
    int FileCount = 0;
    // The folders walked so far. Each is walked once, by the first path that reaches it, so links
    // back into the walk or to a folder walked before add nothing.
    platform::FolderSet Walked;
};

// Appends every picture under Folder to List1 and the catalogue (when AddToList), folders'
// own pictures before their subfolders'. Stops at the catalogue's capacity.
void ScanFolder(ScanParams &params, platform::ListBox &List1);

// Appends the pictures among one folder's entries.
void FindImageFiles(ScanParams &params, const platform::FolderListing &listing,
                    platform::ListBox &List1);

QString AddBackslash(const QString &path);
QString TrimNull(const QString &startstr);
QStringView TrimNull(QStringView startstr);

// Whether a directory entry is a picture: not a folder, and its name's last three characters
// are bmp, gif or jpg in any letter case.
bool IsPictureName(QStringView name);
