#include "catalogue/scan.h"

#include "app/globals.h"
#include "platform/files/names.h"
#include "platform/runtime/listbox.h"

#include <algorithm>

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
    // The scan asks this of every file, so compare the three characters directly, and ASCII
    // ones without the full case tables.
    const char16_t *end = name.utf16() + name.size();
    char16_t a = end[-3], b = end[-2], c = end[-1];
    if ((a | b | c) < 0x80) {
        a |= 0x20, b |= 0x20, c |= 0x20;
    } else {
        a = QChar(a).toLower().unicode(), b = QChar(b).toLower().unicode();
        c = QChar(c).toLower().unicode();
    }
    return (a == u'b' && b == u'm' && c == u'p') || (a == u'g' && b == u'i' && c == u'f') ||
           (a == u'j' && b == u'p' && c == u'g');
}

void FindImageFiles(ScanParams &params, const platform::FolderListing &listing,
                    platform::ListBox &List1) {
    const QString path = AddBackslash(params.Folder);
    // The entry's folder part: the path with the leading picture folder removed.
    const QString relative = path.mid(g.ImagesFolder.size());
    for (const platform::FindData &entry : listing.entries) {
        // The platform's names end at their NUL already: TrimNull would find nothing to cut.
        const QStringView name = listing.name(entry);
        if (entry.folder || !IsPictureName(name))
            continue;
        if (params.FileCount >= CatalogueCapacity)
            return;
        params.FileCount += 1;
        if (params.AddToList) {
            // The row shows the name as text; the entry keeps its bytes, to open it by.
            List1.AddItem(entry.rawBytes ? platform::NameText(name.toString()) : name);
            // Into the entry's own string: a walk again (Reset) then reuses its memory.
            QString &path = g.ImageArray[static_cast<size_t>(params.FileCount)];
            path.resize(relative.size() + name.size());
            std::copy_n(relative.constData(), relative.size(), path.data());
            std::copy_n(name.data(), name.size(), path.data() + relative.size());
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
        const QStringView name = listing->name(entry);
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
