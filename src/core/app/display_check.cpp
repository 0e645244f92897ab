#include "app/display_check.h"

namespace sb {

std::string missingDisplay(std::string_view platform, std::string_view x11Display, std::string_view waylandDisplay) {
    if (platform.empty()) {
        if (!x11Display.empty() || !waylandDisplay.empty()) return {};
        return "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    }
    // Any one plugin of the list that can start will do.
    std::string_view rest = platform;
    while (!rest.empty()) {
        const std::size_t end = rest.find(';');
        std::string_view name = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        name = name.substr(0, name.find(':'));
        if (name.empty()) continue;
        if (name == "xcb") {
            if (!x11Display.empty()) return {};
        } else if (name.starts_with("wayland")) {
            if (!waylandDisplay.empty()) return {};
        } else {
            return {};  // offscreen, vnc, linuxfb ...: no display server needed
        }
    }
    return "no display found for the window system \"" + std::string(platform) +
           "\" (DISPLAY or WAYLAND_DISPLAY is not set)";
}

}  // namespace sb
