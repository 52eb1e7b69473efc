#include "gif_file.h"

#include <gif_lib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace gifgen {

namespace {

int appendToString(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

struct GifCloser {
    void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};

void check(int result, const char* what) {
    if (result != GIF_OK)
        throw std::runtime_error(std::string("giflib failed to ") + what);
}

} // namespace

std::string encodeGif(const IndexedImage& image) {
    if (image.palette.empty() || image.palette.size() > 256)
        throw std::invalid_argument("a GIF palette holds 1 to 256 colours");
    // GIF palettes come in powers of two; unused slots repeat the ground colour.
    const int bits = std::max(1, GifBitSize(static_cast<int>(image.palette.size())));
    std::unique_ptr<ColorMapObject, MapDeleter> map(GifMakeMapObject(1 << bits, nullptr));
    if (!map)
        throw std::runtime_error("out of memory for the GIF palette");
    for (int i = 0; i < map->ColorCount; ++i) {
        const QRgb c = image.palette[static_cast<std::size_t>(i) < image.palette.size() ? i : 0];
        map->Colors[i] = {static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
                          static_cast<GifByteType>(qBlue(c))};
    }

    std::string bytes;
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&bytes, appendToString, &error));
    if (!gif)
        throw std::runtime_error("giflib could not start a file");
    EGifSetGifVersion(gif.get(), true);
    check(EGifPutScreenDesc(gif.get(), image.width, image.height, bits, 0, map.get()),
          "write the screen");
    check(EGifPutImageDesc(gif.get(), 0, 0, image.width, image.height, false, nullptr),
          "write the image header");
    std::vector<GifPixelType> row(static_cast<std::size_t>(image.width));
    for (int y = 0; y < image.height; ++y) {
        const auto first = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
        std::copy(first, first + image.width, row.begin());
        check(EGifPutLine(gif.get(), row.data(), image.width), "write a row");
    }
    // Closing flushes the last codes; it frees the handle whatever happens.
    check(EGifCloseFile(gif.release(), &error), "finish the file");
    return bytes;
}

} // namespace gifgen
