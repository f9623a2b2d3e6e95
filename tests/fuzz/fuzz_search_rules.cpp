// libFuzzer target: the keyword search's splitting and matching.

#include "fuzz_checks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
    const QString problem = fuzzcheck::CheckSearchRules(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "search check failed: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
