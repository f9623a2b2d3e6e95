#pragma once
// The desktop portal (org.freedesktop.portal.Desktop on the session bus), for the two requests
// the program makes of the desktop.

#include <QString>
#include <functional>

namespace platform {

enum class PortalAnswer {
    Absent,  // no portal, or one without this request: the caller takes another way
    Done,    // the portal did it
    Refused, // the portal answered but did not do it (the user said no, or it failed)
};

// Asks the portal to make the file the desktop background and waits for its answer, without
// taking the user's input meanwhile.
PortalAnswer PortalSetWallpaper(const QString &nativePath);

// Asks the portal to offer its application chooser for the file and returns at once; whenAbsent
// runs later, from the event loop, when no portal took the request. Nothing happens when the file
// cannot be opened.
void PortalOpenFile(const QString &nativePath, std::function<void()> whenAbsent);

} // namespace platform
