// The fake platform's picture loader: reads the pixel size of a GIF or JPEG
// file from its header; any other file is no picture.
#pragma once

#include <optional>
#include <string>

#include "platform.h"

namespace sb {

std::optional<PixelSize> readPictureSize(const std::string& path);

}  // namespace sb
