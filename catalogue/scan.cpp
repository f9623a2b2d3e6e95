#include "catalogue/scan.h"

#include "app/globals.h"
#include "platform/listbox.h"

#include <algorithm>

QString AddBackslash(const QString &path) {
    return path.endsWith(QLatin1Char('\\')) ? path : path + QLatin1Char('\\');
}

QString TrimNull(const QString &startstr) {
    const qsizetype p = startstr.indexOf(QChar(0));
    return p < 0 ? startstr : startstr.left(p);
}

bool IsPictureName(const QString &name) {
    if (name.size() < 3)
        return false;
    const QString last = name.right(3);
    return last.compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0 ||
           last.compare(QLatin1String("gif"), Qt::CaseInsensitive) == 0 ||
           last.compare(QLatin1String("jpg"), Qt::CaseInsensitive) == 0;
}

void FindImageFiles(ScanParams &params, const std::vector<platform::FindData> &entries,
                    platform::ListBox &List1) {
    const QString path = AddBackslash(params.Folder);
    // The entry's folder part: the path with the leading picture folder removed.
    const QString relative = path.mid(g.ImagesFolder.size());
    for (const platform::FindData &entry : entries) {
        const QString name = TrimNull(entry.name);
        if (entry.folder || !IsPictureName(name))
            continue;
        if (params.FileCount >= CatalogueCapacity)
            return;
        params.FileCount += 1;
        if (params.AddToList) {
            List1.AddItem(name);
            g.ImageArray[static_cast<size_t>(params.FileCount)] = relative + name;
        }
    }
}

void ScanFolder(ScanParams &params, platform::ListBox &List1) {
    const QString path = AddBackslash(params.Folder);
    const auto listing = platform::ListFolder(path);
    if (!listing)
        return;
    // A link that leads back into a folder being walked would make the walk endless.
    if (std::find(params.Open.begin(), params.Open.end(), listing->id) != params.Open.end())
        return;
    params.Open.push_back(listing->id);

    FindImageFiles(params, listing->entries, List1);
    for (const platform::FindData &entry : listing->entries) {
        if (params.FileCount >= CatalogueCapacity)
            break;
        if (!entry.folder || !params.Recurse)
            continue;
        const QString name = TrimNull(entry.name);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        params.Folder = path + name;
        ScanFolder(params, List1);
    }
    params.Open.pop_back();
}
