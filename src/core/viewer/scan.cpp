#include "viewer/scan.h"

#include <algorithm>

namespace sb::viewer {

bool isImageName(std::string_view name) {
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view extension = name.substr(dot + 1);
    if (extension.size() != 3) return false;
    char upper[3];
    for (int i = 0; i < 3; ++i) {
        const char c = extension[static_cast<std::size_t>(i)];
        upper[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    const std::string_view ext(upper, 3);
    return ext == "GIF" || ext == "JPG" || ext == "PNG" || ext == "BMP";
}

ScanResult scanListing(const std::vector<std::string>& listing, std::string_view wanted,
                       std::vector<std::string>& slots) {
    ScanResult result;
    if (slots.empty()) return result;
    const std::size_t capacity = std::min<std::size_t>(slots.size() - 1, INT16_MAX);
    std::size_t count = 0;
    for (const std::string& name : listing) {
        const bool image = isImageName(name);
        if (count == capacity) {
            // The list is full: only the wanted name is still looked for, so
            // that a picture picked beyond the last slot is the one on view.
            if (name != wanted) continue;
            if (image) slots[capacity].assign(name);
            result.found = static_cast<std::int16_t>(capacity);
            break;
        }
        if (image) {
            ++count;
            slots[count].assign(name);  // reuses the slot's storage
        }
        if (name == wanted) result.found = static_cast<std::int16_t>(count);
    }
    result.count = static_cast<std::int16_t>(count);
    if (count == 0) {
        result.found = 1;
        if (slots.size() > 1) slots[1].clear();
    }
    return result;
}

}  // namespace sb::viewer
