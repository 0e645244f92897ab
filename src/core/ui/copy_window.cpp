#include "ui/copy_window.h"

#include "ui/main_window.h"

namespace sb {

CopyWindow::CopyWindow(Module1& state) : WindowModel("Form2"), state_(state) {
    title = "Copia Immagine";
    clientWidth = 10875;
    clientHeight = 1260;
    struct Spec {
        const char* name;
        int index;
        ControlKind kind;
        const char* text;
        int left, top, width, height, tabOrder;
        const char* container;
    };
    // The frame first: the field and the two buttons below it stand on the
    // window above the frame.
    const Spec design[] = {
        {"Frame1", -1, ControlKind::Frame, "Copia Immagini selezionate", 120, 105, 10695, 1095, 3, ""},
        {"Label1", -1, ControlKind::Label, "Cartella dove copiare le Immagini", 120, 360, 2775, 255, 4, "Frame1"},
        {"Label6", 0, ControlKind::Label, kSignature, 5640, 240, 1695, 255, 6, "Frame1"},
        {"Label6", 1, ControlKind::Label, kSignature, 5662, 262, 1695, 255, 7, "Frame1"},
        {"Image2", 0, ControlKind::Image, "", 7560, 135, 600, 420, -1, "Frame1"},
        {"Image2", 1, ControlKind::Image, "", 8160, 135, 600, 420, -1, "Frame1"},
        {"Command3", -1, ControlKind::Button, "Sposta immagine", 8880, 210, 1695, 375, 5, "Frame1"},
        {"Text1", -1, ControlKind::TextBox, "", 230, 705, 7925, 285, 2, ""},
        {"Command1", -1, ControlKind::Button, "Sfoglia...", 8160, 690, 855, 375, 1, ""},
        {"Command2", -1, ControlKind::Button, "Conferma copia", 9000, 690, 1695, 375, 0, ""},
    };
    for (const Spec& s : design) {
        Control c;
        c.name = s.name;
        c.index = s.index;
        c.kind = s.kind;
        c.text = s.text;
        c.left = s.left;
        c.top = s.top;
        c.width = s.width;
        c.height = s.height;
        c.tabOrder = s.tabOrder;
        c.container = s.container;
        add(std::move(c));
    }
    for (int i = 0; i < 2; ++i) {
        Control& signature = control("Label6", i);
        signature.font = Font{"Arial", 9.75, true};
        signature.foreColor = i == 0 ? Color{0, 0, 192, true} : Color{0, 0, 255, true};
        signature.transparent = true;
        Control& flag = control("Image2", i);
        flag.picture = i == 0 ? kItalianFlagFile : kEnglishFlagFile;
        flag.pictureSize = {40, 28};
    }
    (void)state_;
}

}  // namespace sb
