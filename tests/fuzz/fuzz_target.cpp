// libFuzzer entry point of one check: FUZZ_CHECK names it.
#include "fuzz_checks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // The decoders complain about every broken input; the fuzzer's own output is what counts.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
    const QString problem = fuzzcheck::FUZZ_CHECK(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "check failed: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
