// The fake platform's picture loader: reads the pixel size of a GIF, PNG,
// JPEG or BMP file from its header,
// without decoding the picture.
#pragma once

#include <optional>
#include <string>

#include "platform.h"

namespace sb {

std::optional<PixelSize> readPictureSize(const std::string& path);

}  // namespace sb
