// Where the viewer's stepping buttons and go-to field lead. There is no
// wrap-around: a move past either end, or to a number without an image, is
// refused (nothing).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sb::viewer {

// The notice that goes with a refused move, in Italian whatever the language.
inline constexpr const char* kNoMoreImages = "Non ci sono altre Immagini !";

std::optional<std::int16_t> previousImage(std::int16_t current);
std::optional<std::int16_t> nextImage(std::int16_t current, std::int16_t count);

// The number typed into the go-to field: blanks anywhere are ignored, &H and
// &O read hexadecimal and octal, the number at the start counts and is
// rounded half to even ("2.5" is 2, "3.5" is 4). Refused when it is not
// between 1 and `count` or does not fit a 16-bit integer.
std::optional<std::int16_t> typedImage(std::string_view typed, std::int16_t count);

}  // namespace sb::viewer
