#include "viewer/form2.h"

#include "app/forms.h"
#include "app/globals.h"
#include "dialogs/desktop_rules.h"
#include "dialogs/form5.h"
#include "dialogs/wallpaper.h"
#include "platform/files/files.h"
#include "platform/desktop/services.h"

// The items that hand the picture on: the save dialog, the wallpaper and Open With.

// The dialog saves this window's picture because it was active last; when the dialog closes,
// activating this window again shows the picture afresh.
void Form2::mnuOptionsSave_Click() {
    ShowModal<Form5>();
}

void Form2::mnuOptionsWallpaper_Click() {
    const int answer = platform::MsgBox(ViewerWallpaperQuestion(g.ImageTitle), platform::vbOKCancel,
                                        QString::fromLatin1(ViewerWallpaperTitle));
    if (answer == platform::vbOK)
        CreateWallpaper(Picture1.source);
}

// The path starts at the program's own folder, not at the current directory the catalogue uses.
void Form2::mnuOptionsOpen_Click() {
    if (g.CurrentIndex < 0 || g.CurrentIndex > CatalogueCapacity)
        return;
    const QString start = g.AppPath.isEmpty() ? platform::StartFolder() : g.AppPath;
    ShowOpenWithDialog(start + QStringLiteral("\\images\\") + g.ImageArray[g.CurrentIndex]);
}

// The chooser runs on its own; nothing waits for it.
void Form2::ShowOpenWithDialog(const QString &sFileName) {
    platform::services().openWith(platform::NativePath(sFileName));
}
