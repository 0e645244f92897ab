#include "ui/window_designs.h"

namespace sb {

namespace {

constexpr ControlKind kImage = ControlKind::Image;
constexpr ControlKind kLabel = ControlKind::Label;
constexpr ControlKind kLabelBox = ControlKind::LabelBox;
constexpr ControlKind kButton = ControlKind::Button;
constexpr ControlKind kTextBox = ControlKind::TextBox;
constexpr ControlKind kPictureBox = ControlKind::PictureBox;

// Every control lies directly on the Main Window. Before the first language
// switch three labels read slightly otherwise than the switch writes them.
constexpr DesignRow kMainWindowControls[] = {
    {"Image2", 0, kImage, "", 10800, 0, 600, 420, -1},
    {"Image2", 1, kImage, "", 11400, 0, 600, 420, -1},
    {"Label6", 0, kLabel, kSignature, 140, 20, 1695, 255, 10},
    {"Label6", 1, kLabel, kSignature, 145, 25, 1695, 255, 11},
    // Just below the flags, which are drawn beneath it.
    {"Pulsante_Conferma", -1, kButton, kCaption, 10100, 420, 2500, 375, 15},
    {"TabStrip1", -1, ControlKind::TabStrip, "", 0, 480, 12615, 495, 12},
    // The sample page buttons in a row along the top, between the signature
    // and the flags (drawn beneath buttons, so no button may lie over them).
    {"Command2", -1, kButton, "HTML SFONDO", 9240, 0, 1455, 320, 3},
    {"Command7", -1, kButton, "HTML DIAPOSITIVA", 1920, 0, 2175, 320, 45},
    {"Command8", -1, kButton, "HTML GRUPPI", 4080, 0, 2175, 320, 46},
    {"Text4", 1, kLabelBox, kCaption, 240, 1320, 1215, 195, 18},
    {"Text1", 2, kTextBox, "", 1545, 1320, 6725, 285, 1},
    {"Command1", -1, kButton, kBrowseDesign, 8280, 1290, 845, 375, 2},
    {"Command5", -1, kButton, kCaption, 9120, 1290, 975, 375, 7},
    {"Command3", -1, kButton, "<", 10080, 1290, 375, 375, 4},
    {"Command4", -1, kButton, ">", 10455, 1290, 375, 375, 5},
    {"Text4", 2, kLabelBox, "N.Img.", 10920, 1440, 615, 195, 22},
    {"Text2", -1, kTextBox, "", 11520, 1365, 615, 285, 8},
    {"Command6", -1, kButton, "OK", 12195, 1320, 400, 375, 9},
    {"Text1", 1, kTextBox, "", 7800, 960, 6725, 285, 57},
    {"Text1", 3, kTextBox, "", 7800, 1680, 6725, 285, 51},
    {"Text1", 4, kTextBox, "", 7800, 2280, 6725, 285, 52},
    {"Text1", 5, kTextBox, "", 7680, 4200, 6725, 285, 53},
    {"Text1", 8, kTextBox, "", 7680, 4560, 6725, 285, 54},
    {"Text1", 9, kTextBox, "", 7680, 4920, 6725, 285, 55},
    {"Text1", 10, kTextBox, "", 7680, 5280, 6725, 285, 56},
    {"Text4", 16, kLabelBox, kCaption, 240, 1080, 7455, 195, 41},
    {"Text4", 17, kLabelBox, kCaption, 240, 1080, 7455, 195, 42},
    {"Text4", 4, kLabelBox, kCaption, 240, 1080, 5535, 195, 17},
    {"Text4", 5, kLabelBox, kCaption, 240, 1080, 7455, 195, 23},
    {"Text4", 9, kLabelBox, kCaption, 240, 1080, 7455, 195, 28},
    {"Text4", 3, kLabelBox, kCaption, 240, 1920, 2415, 195, 19},
    {"Text3", -1, kTextBox, "4", 2880, 1920, 615, 285, 16},
    {"Text4", 0, kLabelBox, kCaption, 240, 2040, 1215, 195, 20},
    {"Titolo_Sito", -1, kTextBox, "", 1560, 2040, 6725, 285, 13},
    {"Text4", 6, kLabelBox, kCaption, 240, 2520, 1215, 195, 21},
    {"Des_Sito", -1, kTextBox, "", 1545, 2520, 10080, 645, 14},
    {"Text4", 7, kLabelBox, kCaption, 240, 3240, 2535, 195, 24},
    {"Text5", -1, kTextBox, "4", 2880, 3240, 615, 285, 25},
    {"Text4", 8, kLabelBox, kCaption, 240, 3600, 2535, 195, 26},
    {"Text6", -1, kTextBox, "4", 2880, 3600, 615, 285, 27},
    {"Text4", 10, kLabelBox, kCaption, 240, 3960, 2535, 195, 32},
    {"Text7", -1, kTextBox, "135", 2880, 3960, 615, 285, 31},
    {"Text4", 11, kLabelBox, kCaption, 240, 4320, 2535, 195, 30},
    {"Text8", -1, kTextBox, "100", 2880, 4320, 615, 285, 29},
    {"Text4", 12, kLabelBox, kCaption, 3840, 3240, 3615, 195, 38},
    {"Text9", -1, kTextBox, "400", 7920, 3240, 615, 285, 37},
    {"Text4", 13, kLabelBox, kCaption, 3840, 3600, 3615, 195, 36},
    {"Text10", -1, kTextBox, "190", 7920, 3600, 615, 285, 35},
    {"Text4", 14, kLabelBox, kCaption, 3840, 3960, 3975, 195, 33},
    {"Text11", -1, kTextBox, "200", 7920, 3960, 615, 285, 34},
    {"Text4", 15, kLabelBox, kCaption, 3840, 4440, 2775, 195, 39},
    {"Text12", -1, kTextBox, "220", 6720, 4440, 615, 285, 40},
    {"Text4", 18, kLabelBox, "Posizione Immagine Grande  (80) Y=", 3840, 4800, 2775, 195, 44},
    {"Text13", -1, kTextBox, "80", 6720, 4800, 615, 285, 43},
    {"Text4", 19, kLabelBox, kCaption, 3840, 5160, 2775, 195, 50},
    {"Text14", -1, kTextBox, "30", 6720, 5160, 615, 285, 49},
    {"Text4", 20, kLabelBox, "Spaziatura verticale tra i Gruppi  (95) ", 3840, 5520, 2775, 195, 47},
    {"Text15", -1, kTextBox, "95", 6720, 5520, 615, 285, 48},
    {"Image1", -1, kImage, "", 120, 3960, 2535, 2295, -1},
    {"Picture1", -1, kPictureBox, "", 120, 4680, 2535, 2415, 0},
    {"WebBrowser1", -1, ControlKind::WebBrowser, "", 1920, 6000, 7695, 7095, 6},
    {"CommonDialog1", -1, ControlKind::FileDialog, "", 7440, 120, 0, 0, -1},
    // The link icon row; start-up lines it up along the bottom.
    {"Picture2", 0, kPictureBox, "", 0, 5400, 1815, 1095, 58},
    {"Picture2", 1, kPictureBox, "", 0, 5760, 1815, 1095, 59},
    {"Picture2", 2, kPictureBox, "", 0, 6120, 1815, 1095, 60},
    {"Picture2", 3, kPictureBox, "", 0, 6480, 1815, 1095, 61},
    {"Picture2", 4, kPictureBox, "", 0, 6720, 1815, 1095, 62},
    {"Picture2", 5, kPictureBox, "", 0, 6960, 1815, 1095, 63},
    {"Picture2", 6, kPictureBox, "", 0, 7080, 1815, 1095, 64},
    // In the free stretch of the top row, on view on the preview tab only.
    {"PublishSite", -1, kButton, kCaption, 6360, 0, 2760, 320, 65},
};

// The frame first: the field and the two buttons below it stand on the
// window above the frame.
constexpr DesignRow kCopyWindowControls[] = {
    {"Frame1", -1, ControlKind::Frame, kCaption, 120, 105, 10695, 1095, 3},
    {"Label1", -1, kLabel, kCaption, 120, 360, 2775, 255, 4, "Frame1"},
    {"Label6", 0, kLabel, kSignature, 5640, 240, 1695, 255, 6, "Frame1"},
    {"Label6", 1, kLabel, kSignature, 5662, 262, 1695, 255, 7, "Frame1"},
    {"Image2", 0, kImage, "", 7560, 135, 600, 420, -1, "Frame1"},
    {"Image2", 1, kImage, "", 8160, 135, 600, 420, -1, "Frame1"},
    {"Command3", -1, kButton, kCaption, 8880, 210, 1695, 375, 5, "Frame1"},
    {"Text1", -1, kTextBox, "", 230, 705, 7925, 285, 2},
    {"Command1", -1, kButton, kBrowseDesign, 8160, 690, 855, 375, 1},
    {"Command2", -1, kButton, kCaption, 9000, 690, 1695, 375, 0},
};

}  // namespace

const WindowDesign kMainWindowDesign{
    kProgramTitle, 12660, 7875, 585, 840, kWindowIconFile, kMainWindowControls, kMainWindowCaptions};

const WindowDesign kCopyWindowDesign{"Copia Immagine", 10875, 1260, 0, 0, "", kCopyWindowControls, kCopyWindowCaptions};

void buildFromDesign(WindowModel& window, const WindowDesign& design) {
    window.title = design.title;
    window.clientWidth = design.clientWidth;
    window.clientHeight = design.clientHeight;
    window.left = design.left;
    window.top = design.top;
    window.iconFile = design.iconFile;
    for (const DesignRow& row : design.controls) {
        Control c;
        c.name = row.name;
        c.index = row.index;
        c.kind = row.kind;
        const char* text = row.text ? row.text : italianCaption(design.captions, row.name, row.index);
        c.text = text ? text : "";
        c.left = row.left;
        c.top = row.top;
        c.width = row.width;
        c.height = row.height;
        c.tabOrder = row.tabOrder;
        c.container = row.container;
        c.visible = row.kind != ControlKind::FileDialog;
        window.add(std::move(c));
    }
    // Two overlapping labels, a few twips apart, read as one shadowed signature.
    for (int i = 0; i < 2; ++i) {
        if (!window.has("Label6", i)) continue;
        Control& signature = window.edit("Label6", i);
        signature.font = Font{"Arial", 9.75, true};
        signature.foreColor = i == 0 ? Color{0, 0, 192, true} : Color{0, 0, 255, true};
        signature.transparent = true;
    }
    const char* const flags[2] = {kItalianFlagFile, kEnglishFlagFile};
    for (int i = 0; i < 2; ++i) {
        if (!window.has("Image2", i)) continue;
        Control& flag = window.edit("Image2", i);
        flag.picture = flags[i];
        flag.pictureSize = {40, 28};
    }
}

}  // namespace sb
