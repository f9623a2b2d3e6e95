#include "platform/win/win32_calls.h"

#include <windows.h>

namespace platform::win {

std::optional<std::vector<FindEntry>> ListFolder(const std::string &pattern) {
    WIN32_FIND_DATAA data;
    HANDLE handle = FindFirstFileA(pattern.c_str(), &data);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<FindEntry> entries;
    do {
        entries.push_back(
            {data.cFileName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(handle, &data));
    FindClose(handle);
    return entries;
}

} // namespace platform::win
