// Whether the program can hope to open its windows, told before the window
// system is started: without a screen the user gets a sentence saying why,
// not an abort deep inside the window system.
#pragma once

#include <string>
#include <string_view>

namespace sb {

// Why no window can be opened, or an empty text when a screen seems to be
// there. `platform` is the window-system plugin asked for by the user (a
// list separated by ";", each name optionally followed by ":options"; empty
// for the default); `x11Display` and `waylandDisplay` are the values of
// DISPLAY and WAYLAND_DISPLAY (empty when unset).
std::string missingDisplay(std::string_view platform, std::string_view x11Display, std::string_view waylandDisplay);

}  // namespace sb
