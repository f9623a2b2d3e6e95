#pragma once
// What the accessibility bus says about the runtime's own controls: a screen reader reads the
// image control as a picture, the picture box as a pane and each window as a window or, while it
// is shown modally, as a dialog.

namespace platform {

// Once, after the application object exists.
void InstallAccessibility();

} // namespace platform
