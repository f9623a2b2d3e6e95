// orvane-mkhostile OUTDIR [--small]
//
// Writes the hostile CD (see hostile.h) into OUTDIR: broken, extreme and strangely named
// pictures, folder links that loop, deep nesting, more pictures than the catalogue holds and
// settings files that are huge, binary or hold awkward numbers. --small leaves out the 10,001
// pictures and the 100 MB settings file, for quick runs.

#include "hostile.h"

#include <QString>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv) {
    const bool small = argc == 3 && std::strcmp(argv[2], "--small") == 0;
    if (argc < 2 || argc > 3 || (argc == 3 && !small)) {
        std::fprintf(stderr, "usage: orvane-mkhostile OUTDIR [--small]\n");
        return 2;
    }
    QString error;
    if (!hostile::WriteHostileCd(QString::fromLocal8Bit(argv[1]), small, &error)) {
        std::fprintf(stderr, "orvane-mkhostile: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
