#pragma once
// The hostile CD for the robustness tests, and the process's memory high-water mark.

#include "hostile.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/resource.h>

// The small hostile CD (no 10,001 pictures, no 100 MB file), written into a temporary folder.
class HostileCd {
  public:
    HostileCd() { ok_ = dir_.isValid() && hostile::WriteHostileCd(dir_.path(), true, &error_); }
    bool ok() const { return ok_; }
    QString error() const { return error_; }
    QString root() const { return dir_.path(); }
    QString cd() const { return dir_.filePath(hostile::CdFolder); }
    QString folder(const QString &name) const { return dir_.filePath(name); }

  private:
    QTemporaryDir dir_;
    QString error_;
    bool ok_ = false;
};

// Peak resident memory of this process so far, in MB.
inline double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// AddressSanitizer keeps freed memory in quarantine and adds shadow memory: bounds are larger.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool UnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool UnderAddressSanitizer = true;
#else
inline constexpr bool UnderAddressSanitizer = false;
#endif
#else
inline constexpr bool UnderAddressSanitizer = false;
#endif
