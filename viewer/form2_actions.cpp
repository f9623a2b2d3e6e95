#include "viewer/form2.h"

#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/desktop_rules.h"
#include "dialogs/form5.h"
#include "dialogs/wallpaper.h"
#include "platform/desktop/services.h"
#include "platform/files/files.h"
#include "platform/imaging/reads.h"

// The items that hand the picture on: the save dialog, the wallpaper and Open With.

// The dialog saves this window's picture because it was active last; when the dialog closes,
// activating this window again shows the picture afresh.
void Form2::mnuOptionsSave_Click() {
    if (WaitsForDisplay([this] { mnuOptionsSave_Click(); }))
        return;
    ShowModal<Form5>();
}

void Form2::mnuOptionsWallpaper_Click() {
    if (WaitsForDisplay([this] { mnuOptionsWallpaper_Click(); }))
        return;
    const int answer = platform::MsgBox(ViewerWallpaperQuestion(g.ImageTitle), platform::vbOKCancel,
                                        QString::fromLatin1(ViewerWallpaperTitle));
    if (answer == platform::vbOK)
        CreateWallpaper(Picture1.source);
}

// The path starts at the program's own folder, not at the current directory the catalogue uses.
void Form2::mnuOptionsOpen_Click() {
    if (WaitsForDisplay([this] { mnuOptionsOpen_Click(); }) || g.CurrentIndex < 0 ||
        g.CurrentIndex > CatalogueCapacity)
        return;
    const QString start = g.AppPath.isEmpty() ? platform::StartFolder() : g.AppPath;
    ShowOpenWithDialog(start + QStringLiteral("\\images\\") + g.ImageArray[g.CurrentIndex]);
}

// The chooser runs on its own; nothing waits for it. The letter case of the path's folders is
// asked of the disc on a worker.
void Form2::ShowOpenWithDialog(const QString &sFileName) {
    platform::OffThread<QString>(
        this, [sFileName] { return platform::NativePath(sFileName); },
        [](const QString &nativePath) { platform::services().openWith(nativePath); });
}
