#include "gif_writer.h"

#include <QFile>

#include <gif_lib.h>

#include <cstdlib>
#include <cstring>

QByteArray EncodeGif(QSize screen, const QList<QRgb> &palette,
                     const std::vector<GifFrame> &frames) {
    QByteArray out;
    int error = 0;
    GifFileType *gif = EGifOpen(
        &out,
        [](GifFileType *file, const GifByteType *data, int size) {
            static_cast<QByteArray *>(file->UserData)
                ->append(reinterpret_cast<const char *>(data), size);
            return size;
        },
        &error);
    if (!gif)
        return {};
    gif->SWidth = screen.width();
    gif->SHeight = screen.height();
    gif->SColorResolution = 8;
    std::vector<GifColorType> colours;
    for (QRgb c : palette)
        colours.push_back({GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))});
    gif->SColorMap = GifMakeMapObject(int(colours.size()), colours.data());
    bool ok = gif->SColorMap != nullptr;
    for (size_t i = 0; ok && i < frames.size(); ++i) {
        const GifFrame &frame = frames[i];
        SavedImage *image = GifMakeSavedImage(gif, nullptr);
        ok = image && frame.indices.size() == size_t(frame.rect.width()) * frame.rect.height();
        if (!ok)
            break;
        image->ImageDesc = {frame.rect.x(),      frame.rect.y(), frame.rect.width(),
                            frame.rect.height(), false,          nullptr};
        // giflib frees the pixels with free().
        image->RasterBits = static_cast<GifByteType *>(std::malloc(frame.indices.size() + 1));
        if (image->RasterBits)
            std::memcpy(image->RasterBits, frame.indices.data(), frame.indices.size());
        const GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, frame.delay,
                                           NO_TRANSPARENT_COLOR};
        ok = image->RasterBits && EGifGCBToSavedExtension(&control, gif, int(i)) == GIF_OK;
    }
    // EGifSpew closes the file when it succeeds.
    if (!ok || EGifSpew(gif) != GIF_OK) {
        EGifCloseFile(gif, &error);
        return {};
    }
    return out;
}

bool writeGif(const QString &path, const QImage &img) {
    if (img.isNull() || img.width() > 65535 || img.height() > 65535)
        return false;
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    const size_t pixels = size_t(rgb.width()) * rgb.height();
    std::vector<GifByteType> red(pixels), green(pixels), blue(pixels);
    for (int y = 0, i = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x, ++i) {
            const QRgb p = rgb.pixel(x, y);
            red[i] = GifByteType(qRed(p));
            green[i] = GifByteType(qGreen(p));
            blue[i] = GifByteType(qBlue(p));
        }
    GifFrame frame{rgb.rect(), std::vector<std::uint8_t>(pixels)};
    GifColorType colours[256] = {};
    int count = 256;
    if (GifQuantizeBuffer(unsigned(rgb.width()), unsigned(rgb.height()), &count, red.data(),
                          green.data(), blue.data(), frame.indices.data(), colours) != GIF_OK)
        return false;
    // The table keeps all 256 places: giflib takes only powers of two.
    QList<QRgb> palette;
    for (const GifColorType &c : colours)
        palette.append(qRgb(c.Red, c.Green, c.Blue));
    const QByteArray bytes = EncodeGif(rgb.size(), palette, {frame});
    QFile f(path);
    return !bytes.isEmpty() && f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(bytes) == bytes.size();
}
