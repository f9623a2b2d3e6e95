// orvane-mksample OUTDIR
//
// Writes a complete sample CD folder for trying out the viewer:
//   orvane.ini, splash.jpg, menupic.jpg, orvane.wav, and images/ with about fifty
//   pictures (JPEG, GIF, BMP) in nested folders, plus a few files the viewer must
//   skip (photo.jpeg, photo.png, readme.txt) and a folder named old.jpg.
//
// Everything is drawn or synthesised here, from fixed seeds and without reading
// the clock, so every run writes the same bytes and the folder can be rebuilt
// at any time instead of being kept in the repository.

#include "image_files.h"
#include "pictures.h"
#include "wav_writer.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

bool writeText(const QString &path, const QByteArray &text) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(text) == text.size();
}

bool fail(const QString &what) {
    std::fprintf(stderr, "orvane-mksample: cannot write %s\n", qPrintable(what));
    return false;
}

bool writeAll(const QDir &out) {
    // Six lines, CR LF ended; line 2 is the colour index and line 5 the title.
    const QByteArray ini = "[Orvane]\r\n"
                           "12\r\n"
                           "Sample CD\r\n"
                           "Version 1\r\n"
                           "Vistas\r\n"
                           "Drawn by orvane-mksample\r\n";
    if (!writeText(out.filePath("orvane.ini"), ini))
        return fail("orvane.ini");
    if (!saveJpeg(out.filePath("splash.jpg"), paintSplash(QSize(200, 100))))
        return fail("splash.jpg");
    if (!saveJpeg(out.filePath("menupic.jpg"), paintMenuBackground(QSize(400, 375))))
        return fail("menupic.jpg");
    if (!writeChime(out.filePath("orvane.wav")))
        return fail("orvane.wav");

    for (const SamplePicture &pic : samplePictures()) {
        const QString path = out.filePath(pic.path);
        if (!QDir().mkpath(QFileInfo(path).path()))
            return fail(QFileInfo(path).path());
        const QImage img = pic.draw(pic.size, pictureSeed(pic.path));
        const bool ok = pic.storage == Storage::JpegOrientation6 ? saveJpegOrientation6(path, img)
                                                                 : savePicture(path, img);
        if (!ok)
            return fail(pic.path);
    }

    const QByteArray readme = "Sample pictures for Orvane.\r\n"
                              "Every picture here was drawn by orvane-mksample.\r\n";
    if (!writeText(out.filePath("images/readme.txt"), readme))
        return fail("images/readme.txt");
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvane-mksample OUTDIR\n");
        return 2;
    }
    const QString outPath = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outPath)) {
        fail(outPath);
        return 1;
    }
    return writeAll(QDir(outPath)) ? 0 : 1;
}
