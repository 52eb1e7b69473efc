#pragma once

#include <QImage>
#include <QRgb>

#include <cstdint>
#include <vector>

namespace gifgen {

// A picture reduced to at most 256 colours, as GIF stores it.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<QRgb> palette;        // at most 256 entries
    std::vector<std::uint8_t> pixels; // row-major indices into palette
};

// Median-cut quantisation. `keep` is always palette entry 0 exactly, so the
// flat ground of a figure matches the rating box's colour. The result
// depends only on the pixels, never on hash or pointer order.
IndexedImage quantize(const QImage& image, QRgb keep);

} // namespace gifgen
