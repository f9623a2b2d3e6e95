// libFuzzer target: the picture loader (and the bitmap save) on arbitrary bytes.

#include "fuzz_checks.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // The decoders complain about every broken input; the fuzzer's own output is what counts.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
    static fuzzcheck::ScratchFile scratch("picture.jpg");
    const QString problem = fuzzcheck::CheckPicture(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), scratch);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "picture check failed: %s\n", qPrintable(problem));
        std::abort();
    }
    return 0;
}
