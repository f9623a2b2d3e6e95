#include "catalogue/scan.h"

#include "app/globals.h"
#include "platform/files/names.h"
#include "platform/runtime/listbox.h"

QString AddBackslash(const QString &path) {
    return path.endsWith(QLatin1Char('\\')) ? path : path + QLatin1Char('\\');
}

QString TrimNull(const QString &startstr) {
    const qsizetype p = startstr.indexOf(QChar(0));
    return p < 0 ? startstr : startstr.left(p);
}

bool IsPictureName(QStringView name) {
    if (name.size() < 3)
        return false;
    // The scan asks this of every file, so compare the three characters directly.
    const auto lower = [&name](qsizetype i) { return name[name.size() - 3 + i].toLower(); };
    const QChar a = lower(0), b = lower(1), c = lower(2);
    return (a == u'b' && b == u'm' && c == u'p') || (a == u'g' && b == u'i' && c == u'f') ||
           (a == u'j' && b == u'p' && c == u'g');
}

void FindImageFiles(ScanParams &params, const platform::FolderListing &listing,
                    platform::ListBox &List1) {
    const QString path = AddBackslash(params.Folder);
    // The entry's folder part: the path with the leading picture folder removed.
    const QString relative = path.mid(g.ImagesFolder.size());
    for (const platform::FindData &entry : listing.entries) {
        const QStringView name = TrimNull(listing.name(entry));
        if (entry.folder || !IsPictureName(name))
            continue;
        if (params.FileCount >= CatalogueCapacity)
            return;
        params.FileCount += 1;
        if (params.AddToList) {
            // The row shows the name as text; the entry keeps its bytes, to open it by.
            List1.AddItem(entry.rawBytes ? platform::NameText(name.toString()) : name);
            QString path = relative;
            path.append(name);
            g.ImageArray[static_cast<size_t>(params.FileCount)] = std::move(path);
        }
    }
}

void ScanFolder(ScanParams &params, platform::ListBox &List1) {
    const QString path = AddBackslash(params.Folder);
    // A folder reached again through links is not walked again: a web of links would otherwise
    // make a path, and a copy of every picture, for each way through it.
    const auto listing = platform::ListFolder(path, &params.Walked);
    if (!listing)
        return;

    FindImageFiles(params, *listing, List1);
    for (const platform::FindData &entry : listing->entries) {
        if (params.FileCount >= CatalogueCapacity)
            break;
        if (!entry.folder || !params.Recurse)
            continue;
        const QStringView name = TrimNull(listing->name(entry));
        if (name == u"." || name == u"..")
            continue;
        params.Folder = path + name.toString();
        ScanFolder(params, List1);
    }
}

QStringView TrimNull(QStringView startstr) {
    const qsizetype p = startstr.indexOf(QChar(0));
    return p < 0 ? startstr : startstr.left(p);
}
