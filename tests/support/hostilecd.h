#pragma once
// The hostile CD for the robustness tests, and the process's memory high-water mark.

#include "hostile.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

// The hostile CD written into a temporary folder; small leaves out the 10,001 pictures and the
// 100 MB settings file.
struct HostileCd {
    explicit HostileCd(bool small = true) {
        ok = dir.isValid() && hostile::WriteHostileCd(dir.path(), small, &error);
    }
    // Unlike QDir's removal, this also removes names that are not valid text, as the CD has.
    ~HostileCd() { QProcess::execute("rm", {"-rf", dir.path()}); }
    QString cd() const { return dir.filePath(hostile::CdFolder); }
    QTemporaryDir dir; // the CD and its siblings, the settings-file cases
    QString error;
    bool ok = false;
};

// Peak resident memory since the last ResetPeakMemory(), in MB.
inline double PeakRssMb() {
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    static const QRegularExpression peak("VmHWM:\\s*(\\d+)");
    return peak.match(QString::fromLatin1(status.readAll())).captured(1).toDouble() / 1024;
}

// The peak resident memory is a high-water mark over the whole process; a case resets it first so
// that its bound measures the case, not what ran before it. Gives the peak now: the case's start.
inline double ResetPeakMemory() {
    if (QFile refs("/proc/self/clear_refs"); refs.open(QIODevice::WriteOnly))
        refs.write("5");
    return PeakRssMb();
}

// AddressSanitizer keeps freed memory in quarantine and adds shadow memory: bounds are larger.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool UnderAddressSanitizer = true;
#elif defined(__has_feature) // clang before 15
inline constexpr bool UnderAddressSanitizer = __has_feature(address_sanitizer);
#else
inline constexpr bool UnderAddressSanitizer = false;
#endif
