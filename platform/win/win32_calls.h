#pragma once
// The program's calls into Windows, as the Windows build makes them: the wallpaper, the Open With
// chooser, the start-up sound and directory enumeration. Plain C++ on the Win32 API, no Qt; the
// Linux build does not compile these files (tools/check-windows-calls.sh cross-compiles them).

#include <optional>
#include <string>
#include <vector>

namespace platform::win {

// The one wallpaper file.
inline constexpr const char *WallpaperFile = "c:\\windows\\Orvane.bmp";

// SystemParametersInfoA(20, 0, path, 1): set the desktop wallpaper, written to the user profile.
// False when the system refused.
bool SetWallpaper(const std::string &path);

// ShellExecuteA(0, null, "RUNDLL32.EXE", "shell32.dll,OpenAs_RunDLL " + path, "", 1): the shell's
// Open With chooser for the file, in a process of its own; the result is not looked at.
void OpenWith(const std::string &path);

// sndPlaySoundA(name, 1): plays a wave file asynchronously.
void PlaySoundAsync(const std::string &name);

struct FindEntry {
    std::string name;
    bool folder = false;
};

// FindFirstFileA / FindNextFileA / FindClose over pattern ("images\\*.*"): every entry in the
// system's own order, "." and ".." included. Nothing when the folder cannot be listed.
std::optional<std::vector<FindEntry>> ListFolder(const std::string &pattern);

} // namespace platform::win
