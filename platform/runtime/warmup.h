#pragma once
// What the first window needs besides its own building, made ready on a thread of its own while
// the user-interface thread builds the window: the catalogue's folders listed and the picture
// decoders loaded.

#include <QString>

namespace platform {

// Once, right after the application object exists, with the program path of the folder the
// catalogue lists ("images\\").
void WarmUpInBackground(const QString &catalogueFolder);

} // namespace platform
