#pragma once
// What the first window needs besides its own building, made ready on a thread of its own while
// the user-interface thread builds the window: the catalogue's folders listed and the picture
// decoders loaded.

#include <QString>

namespace platform {

// Before the application object exists: the machine's font configuration is read on a thread of
// its own while the application connects to the display and loads its plugins.
void ReadFontConfigurationAhead();

// Once, right after the application object exists, with the program path of the folder the
// catalogue lists ("images\\").
void WarmUpInBackground(const QString &catalogueFolder);

} // namespace platform
