#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

enum class Storage {
    ByExtension,      // format picked from the file name
    JpegOrientation6, // JPEG turned a quarter turn and tagged so viewers turn it back
};

struct SamplePicture {
    QString path; // relative to the output folder, '/' separated
    QSize size;   // as drawn (upright)
    std::function<QImage(QSize, std::uint64_t)> draw;
    Storage storage = Storage::ByExtension;
};

// Every picture file in the sample folder, in the order they are written.
std::vector<SamplePicture> samplePictures();

// Seed for the picture at `path`, taken from its name only.
std::uint64_t pictureSeed(const QString &path);

// Artwork for the files at the top of the folder.
QImage paintSplash(QSize size);
QImage paintMenuBackground(QSize size);
