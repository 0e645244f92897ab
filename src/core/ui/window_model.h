// A window as a plain object: its controls with kind, name, index, text,
// place and size in twips, visibility, tag, picture and tab order, and the
// stacking order. The Qt adapter renders it; tests read it directly.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform.h"

namespace sb {

inline constexpr int kTwipsPerPixel = 15;

enum class ControlKind {
    Image,       // lightweight picture, painted on the window's own surface
    Label,       // lightweight caption
    LabelBox,    // read-only, borderless text box used as a caption
    Button,
    TextBox,
    TabStrip,
    PictureBox,
    WebBrowser,
    FileDialog,  // never visible
    Frame,
};

// Lightweight controls are painted beneath every windowed control.
bool isLightweight(ControlKind kind);

struct Font {
    std::string family;  // empty: the default interface font
    double points = 0;
    bool bold = false;
    bool operator==(const Font&) const = default;
};

struct Color {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool set = false;
    bool operator==(const Color&) const = default;
};

struct Control {
    std::string name;
    int index = -1;  // -1 for a control that is not part of an array
    ControlKind kind = ControlKind::Label;
    std::string text;  // caption or text
    int left = 0, top = 0, width = 0, height = 0;  // twips
    int tabOrder = -1;                             // -1: takes no focus
    bool visible = true;
    std::string tag;
    std::string container;  // name of the frame holding it, empty for the window
    Font font;
    Color foreColor;
    bool transparent = false;
    bool multiLine = false;
    // Picture on view: the file it came from (empty: none) and its natural size.
    std::string picture;
    PixelSize pictureSize;
    // A picture box that takes the natural size of the picture it holds.
    bool autoSize = false;

    std::string key() const;  // "Text1(2)" or "Command1"
};

enum class WindowState { Normal, Minimized, Maximized };

class WindowModel {
public:
    explicit WindowModel(std::string name);
    virtual ~WindowModel() = default;
    WindowModel(const WindowModel&) = delete;
    WindowModel& operator=(const WindowModel&) = delete;

    const std::string& name() const { return name_; }

    // Adds a control; the later a control is added, the higher it stacks.
    Control& add(Control control);

    // Looks a control up by name and index; aborts on a name the window
    // does not have (a fault of the program, not of the user). edit() is
    // for a caller that changes the control: it marks the window changed,
    // so that its view follows.
    const Control& control(const std::string& name, int index = -1) const;
    Control& edit(const std::string& name, int index = -1);
    bool has(const std::string& name, int index = -1) const;
    const std::vector<Control>& controls() const { return controls_; }

    // Stacking among all controls.
    void bringToFront(const std::string& name, int index = -1);
    void sendToBack(const std::string& name, int index = -1);
    // Indices into controls(), back to front, as the window draws them:
    // lightweight controls first, then windowed ones, each in stacking order.
    std::vector<int> paintOrder() const;
    // True when `a` is drawn above `b`.
    bool isAbove(const std::string& aName, int aIndex, const std::string& bName, int bIndex) const;

    // Controls in keyboard focus order.
    std::vector<int> tabOrder() const;

    // Tab strip (a window has at most one).
    std::vector<std::string> tabs;
    int selectedTab = 1;  // numbered from 1

    std::string title;
    int clientWidth = 0, clientHeight = 0;  // twips
    int left = 0, top = 0;                  // of the client area on the screen
    int outerWidth = 0, outerHeight = 0;    // twips, frame and caption included
    WindowState windowState = WindowState::Normal;
    std::string iconFile;  // relative to the application folder

    // Events of the window system, handed on to the window's handlers. A
    // control without a handler for an event ignores it.
    virtual bool handlesClick(const std::string& /*name*/, int /*index*/) const { return false; }
    virtual void click(const std::string& /*name*/, int /*index*/) {}
    virtual void keyPress(const std::string& /*name*/, int /*index*/, int /*keyAscii*/) {}
    // The user selected tab `number` (from 1) of the tab strip.
    virtual void tabStripClick(int /*number*/) {}
    // The user closed the window with its close box.
    virtual void closeBox() {}

    // Grows on every change a view must follow (a cheap dirty check).
    std::uint64_t revision() const { return revision_; }
    void touch() { ++revision_; }

private:
    int indexOf(const std::string& name, int index) const;

    std::string name_;
    std::vector<Control> controls_;
    std::vector<int> stacking_;  // indices into controls_, back to front
    std::unordered_map<std::string, int> byKey_;
    std::uint64_t revision_ = 0;
};

}  // namespace sb
