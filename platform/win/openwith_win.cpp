#include "platform/win/win32_calls.h"

#include <windows.h>

#include <shellapi.h>

namespace platform::win {

void OpenWith(const std::string &path) {
    // The file name goes unquoted after the entry point, as the chooser expects it.
    const std::string parameters = "shell32.dll,OpenAs_RunDLL " + path;
    ShellExecuteA(0, nullptr, "RUNDLL32.EXE", parameters.c_str(), "", 1);
}

} // namespace platform::win
