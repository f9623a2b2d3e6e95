#include "platform/win/win32_calls.h"

#include <windows.h>

#include <mmsystem.h>

namespace platform::win {

void PlaySoundAsync(const std::string &name) {
    sndPlaySoundA(name.c_str(), 1);
}

} // namespace platform::win
