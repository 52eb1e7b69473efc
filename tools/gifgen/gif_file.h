#pragma once

#include "quantize.h"

#include <string>

namespace gifgen {

// Encodes an indexed picture as a GIF89a file image in memory.
std::string encodeGif(const IndexedImage& image);

} // namespace gifgen
