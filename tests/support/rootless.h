#pragma once
// CI runs as root, and root's override of file permissions would make a read-only folder or an
// unreadable file mean nothing. While a WithoutFileOverride lives, the calling thread has given
// that override up (it stays uid 0, so the owner's bits of its own temporary folders still hold).

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <initializer_list>

class WithoutFileOverride {
  public:
    WithoutFileOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct dropped[2] = {saved_[0], saved_[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
            dropped[cap / 32].effective &= ~(1u << (cap % 32));
        ok_ = syscall(SYS_capset, &header_, dropped) == 0;
    }
    ~WithoutFileOverride() {
        if (ok_)
            syscall(SYS_capset, &header_, saved_);
    }
    WithoutFileOverride(const WithoutFileOverride &) = delete;
    WithoutFileOverride &operator=(const WithoutFileOverride &) = delete;
    // False only when the kernel refused: the caller fails rather than skips.
    bool ok() const { return ok_; }

  private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool ok_ = false;
};
