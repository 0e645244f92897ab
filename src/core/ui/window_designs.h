// Both windows as they are created: every control at its design place, with
// its caption and tab order, and the one routine that builds a window model
// from such a design.
#pragma once

#include <span>

#include "ui/captions.h"
#include "ui/window_model.h"

namespace sb {

// Picture files of the application folder that the windows show.
inline constexpr const char* kItalianFlagFile = "Bandiera_Italiana.gif";
inline constexpr const char* kEnglishFlagFile = "Bandiera_Inglese.gif";
inline constexpr const char* kWindowIconFile = "Site_Builder.ico";

// Marks a design row whose text is the control's Italian caption.
inline constexpr const char* kCaption = nullptr;

struct DesignRow {
    const char* name;
    int index;  // -1 for a control that is not part of an array
    ControlKind kind;
    const char* text;  // kCaption: the Italian caption of the window's caption table
    int left, top, width, height;
    int tabOrder;               // -1: takes no focus
    const char* container = "";  // the frame holding it; "" for the window
};

struct WindowDesign {
    const char* title;
    int clientWidth, clientHeight;  // twips
    int left, top;                  // of the client area on the screen
    const char* iconFile;           // "" for none
    std::span<const DesignRow> controls;  // back to front
    std::span<const ControlCaption> captions;
};

extern const WindowDesign kMainWindowDesign;
extern const WindowDesign kCopyWindowDesign;

// Gives a new window model its design: title, size, place, icon and
// controls. The signature labels Label6(0) and Label6(1) and the flags
// Image2(0) and Image2(1), which both windows carry, get their font, colours
// and pictures here.
void buildFromDesign(WindowModel& window, const WindowDesign& design);

}  // namespace sb
