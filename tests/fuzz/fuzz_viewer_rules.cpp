// libFuzzer target: the viewer's fitting, zoom and titles, the caption and the dialogs' texts.

#include "fuzz_checks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
    const QString problem = fuzzcheck::CheckViewerRules(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "viewer check failed: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
