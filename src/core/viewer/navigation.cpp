#include "viewer/navigation.h"

#include "common/text.h"

namespace sb::viewer {

std::optional<std::int16_t> previousImage(std::int16_t current) {
    if (current < 2) return std::nullopt;
    return static_cast<std::int16_t>(current - 1);
}

std::optional<std::int16_t> nextImage(std::int16_t current, std::int16_t count) {
    if (current >= count) return std::nullopt;
    return static_cast<std::int16_t>(current + 1);
}

std::optional<std::int16_t> typedImage(std::string_view typed, std::int16_t count) {
    const auto number = toInt16(readNumber(typed, true));
    if (!number || *number < 1 || *number > count) return std::nullopt;
    return number;
}

}  // namespace sb::viewer
