#include "ui/captions.h"

#include <cstring>

namespace sb {

void applyCaptions(WindowModel& window, std::span<const ControlCaption> captions, bool english) {
    for (const ControlCaption& c : captions) {
        if (std::strcmp(c.control, kWindowTitle) == 0) {
            window.title = c.caption.in(english);
            window.touch();
        } else {
            window.edit(c.control, c.index).text = c.caption.in(english);
        }
    }
}

bool Lingua_Inglese(const WindowModel& window) {
    return window.has("Command1") && window.control("Command1").text == kBrowse.english;
}

const char* italianCaption(std::span<const ControlCaption> captions, const char* control, int index) {
    for (const ControlCaption& c : captions) {
        if (c.index == index && std::strcmp(c.control, control) == 0) return c.caption.italian;
    }
    return nullptr;
}

}  // namespace sb
