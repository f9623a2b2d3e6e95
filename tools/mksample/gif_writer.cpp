#include "gif_writer.h"

#include <QFile>

#include <gif_lib.h>

#include <vector>

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
    // Written piece by piece: EGifSpew copies the colour table over the one given and leaves the
    // saved images behind when it closes the file.
    std::vector<GifColorType> colours;
    for (QRgb c : palette)
        colours.push_back({GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))});
    EGifSetGifVersion(gif, true); // the control extensions are GIF89a
    ColorMapObject *map = GifMakeMapObject(int(colours.size()), colours.data());
    bool ok = map && EGifPutScreenDesc(gif, screen.width(), screen.height(), 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    for (const GifFrame &frame : frames) {
        if (!ok)
            break;
        const GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, frame.delay,
                                           NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        const size_t pixels = size_t(frame.rect.width()) * frame.rect.height();
        std::vector<GifPixelType> indices(frame.indices.begin(), frame.indices.end());
        ok = frame.indices.size() == pixels &&
             EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE,
                              int(EGifGCBToExtension(&control, extension)), extension) == GIF_OK &&
             EGifPutImageDesc(gif, frame.rect.x(), frame.rect.y(), frame.rect.width(),
                              frame.rect.height(), false, nullptr) == GIF_OK &&
             EGifPutLine(gif, indices.data(), int(pixels)) == GIF_OK;
    }
    if (EGifCloseFile(gif, &error) != GIF_OK)
        ok = false;
    if (!ok)
        return {};
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
