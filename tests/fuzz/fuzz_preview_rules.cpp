// libFuzzer target: the preview's fitting, title, kind and size texts.

#include "fuzz_checks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
    const QString problem = fuzzcheck::CheckPreviewRules(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "preview check failed: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
