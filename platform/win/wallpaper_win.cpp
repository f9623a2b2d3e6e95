#include "platform/win/win32_calls.h"

#include <windows.h>

namespace platform::win {

bool SetWallpaper(const std::string &path) {
    // The call takes a writable buffer, though it only reads the name.
    std::string buffer = path;
    return SystemParametersInfoA(20, 0, buffer.data(), 1) != FALSE;
}

} // namespace platform::win
