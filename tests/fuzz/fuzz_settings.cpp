// libFuzzer target: the settings file and line 2's number.

#include "fuzz_checks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
    static fuzzcheck::ScratchFile scratch("orvane.ini");
    const QString problem = fuzzcheck::CheckSettings(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), scratch);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "settings check failed: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
