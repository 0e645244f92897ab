// The Main Window's tab pages, the tab strip's click, the site preview and
// the layout on resize. The tab strip is the backdrop of every page: a
// control is on view when it stands in front of it, hidden behind it.
#include <array>
#include <string>
#include <variant>
#include <vector>

#include "common/text.h"
#include "ui/main_window.h"

namespace sb {

namespace {

struct Ref {
    const char* name;
    int index = -1;
};

// An edge of a control: Right is its left plus its width.
enum class Edge { Left, Top, Right };

// target's edge = from's edge + offset
struct Placement {
    Ref target;
    Edge edge;
    Ref from;
    Edge fromEdge;
    int offset = 0;
};

// A field refilled from a stored value; without one, the field keeps its own
// text with the blanks around it removed.
struct Fill {
    Ref field;
    std::variant<std::monostate, std::string Parametri_Sito::*, Value Parametri_Sito::*> from = {};
};

// What a page runs once its controls are in front and its fields filled.
enum class Step {
    SiteRowLabel,    // the path row names the site's folder
    FirstImage,      // no image on view yet: the first one is
    LoadImage,       // the picture named by the tab's path field into both holders
    BackgroundPage,  // the background sample page
    SlidePage,       // the slide sample page
    GroupsPage,      // the groups sample page
    BrowserForward,  // the browser in front, placed by the page's browser placements
    Preview,         // the site preview
};

struct TabPage {
    std::vector<Ref> front = {};  // brought in front in this order, each above the ones before
    std::vector<Fill> fills = {};
    std::vector<Placement> placements = {};
    std::vector<Step> then = {};
    std::vector<Placement> browser = {};
    bool linkRow = false;  // the link icon row shown or hidden at the end
};

using P = Parametri_Sito;
using enum Edge;
using enum Step;

// The image pages of tabs 8 to 10: the path row and the picture holder.
TabPage imagePage(int tab, std::string Parametri_Sito::*value) {
    return {.front = {{"Text4", 1}, {"Text4", 2}, {"Text1", tab}, {"Text2"}, {"Command1"}, {"Command3"}, {"Command4"},
                      {"Command6"}, {"Pulsante_Conferma"}, {"Picture1"}, {"Image1"}},
            .fills = {{{"Text1", tab}, value}},
            .placements = {{{"Picture1"}, Top, {"Text2"}, Top, 360}},
            .then = {LoadImage},
            .linkRow = true};
}

// The pages of tabs 1 to 11, in tab order.
const std::array<TabPage, kTabCount>& tabPages() {
    static const std::array<TabPage, kTabCount> pages = {
        TabPage{.front = {{"Text4", 1}, {"Text4", 16}, {"Text1", 1}, {"Titolo_Sito"}, {"Des_Sito"}, {"Command1"},
                          {"Text4", 0}, {"Text4", 6}, {"Pulsante_Conferma"}},
                .fills = {{{"Text1", 1}, &P::Cartella_Sito}, {{"Titolo_Sito"}}, {{"Des_Sito"}}},
                .then = {SiteRowLabel},
                .linkRow = true},
        TabPage{.front = {{"Text4", 1}, {"Text4", 2}, {"Text4", 17}, {"Text1", 2}, {"Text2"}, {"Command1"},
                          {"Command3"}, {"Command4"}, {"Command6"}, {"Pulsante_Conferma"}, {"Picture1"}, {"Image1"},
                          {"WebBrowser1"}},
                .fills = {{{"Text1", 2}, &P::Nome_Immagine_Sfondo_Sito}},
                .placements = {{{"Picture1"}, Top, {"Text2"}, Top, 360}},
                .then = {FirstImage, BackgroundPage, LoadImage},
                .linkRow = false},
        TabPage{.front = {{"Text4", 1}, {"Text4", 2}, {"Text4", 3}, {"Text4", 4}, {"Text4", 19}, {"Text4", 20},
                          {"Text1", 3}, {"Text2"}, {"Text3"}, {"Text14"}, {"Text15"}, {"Command1"}, {"Command3"},
                          {"Command4"}, {"Command6"}, {"Pulsante_Conferma"}, {"Picture1"}, {"Image1"}},
                .fills = {{{"Text1", 3}, &P::Nome_Immagine_Pulsanti_Argomenti},
                          {{"Text3"}, &P::MAX_NUM_ARG},
                          {{"Text14"}, &P::POS_Y_GRUPPI},
                          {{"Text15"}, &P::ALT_GRUPPI}},
                // The group rows one under another, 360 twips apart.
                .placements = {{{"Text14"}, Top, {"Text3"}, Top, 360},
                               {{"Text14"}, Left, {"Text3"}, Left},
                               {{"Text4", 19}, Top, {"Text3"}, Top, 360},
                               {{"Text4", 19}, Left, {"Text4", 3}, Left},
                               {{"Text15"}, Top, {"Text14"}, Top, 360},
                               {{"Text15"}, Left, {"Text3"}, Left},
                               {{"Text4", 20}, Top, {"Text14"}, Top, 360},
                               {{"Text4", 20}, Left, {"Text4", 3}, Left},
                               {{"Picture1"}, Top, {"Text15"}, Top, 360}},
                .then = {LoadImage, GroupsPage, BrowserForward},
                .browser = {{{"WebBrowser1"}, Top, {"Text3"}, Top}, {{"WebBrowser1"}, Left, {"Text3"}, Right, 300}},
                .linkRow = false},
        TabPage{.front = {{"Text4", 1}, {"Text4", 2}, {"Text4", 5}, {"Text4", 7}, {"Text4", 8}, {"Text1", 4},
                          {"Text2"}, {"Text5"}, {"Text6"}, {"Command1"}, {"Command3"}, {"Command4"}, {"Command6"},
                          {"Pulsante_Conferma"}, {"Picture1"}, {"Image1"}},
                .fills = {{{"Text1", 4}, &P::Nome_Sfondo_Pagina_Immagini},
                          {{"Text5"}, &P::MAX_NUM_RIGHE},
                          {{"Text6"}, &P::MAX_NUM_IMG_RIGA}},
                .placements = {{{"Picture1"}, Top, {"Text6"}, Top, 360}},
                .then = {LoadImage, SlidePage, BrowserForward},
                .browser = {{{"WebBrowser1"}, Top, {"Text6"}, Top, 360}},
                .linkRow = false},
        TabPage{.front = {{"Text4", 1}, {"Text4", 2}, {"Text4", 10}, {"Text4", 11}, {"Text1", 5}, {"Text2"},
                          {"Text7"}, {"Text8"}, {"Command1"}, {"Command3"}, {"Command4"}, {"Command6"},
                          {"Pulsante_Conferma"}, {"Picture1"}, {"Image1"}},
                .fills = {{{"Text1", 5}, &P::Nome_Immagine_Sfondo_Diapositiva},
                          {{"Text7"}, &P::LARGH_X_DIA},
                          {{"Text8"}, &P::ALT_DIA}},
                .placements = {{{"Picture1"}, Top, {"Text8"}, Top, 360}},
                .then = {LoadImage, SlidePage, BrowserForward},
                .browser = {{{"WebBrowser1"}, Top, {"Text8"}, Top, 360}},
                .linkRow = false},
        TabPage{.front = {{"Text4", 12}, {"Text4", 13}, {"Text4", 14}, {"Text9"}, {"Text10"}, {"Text11"},
                          {"Pulsante_Conferma"}},
                .fills = {{{"Text9"}, &P::POS_X_DIA}, {{"Text10"}, &P::POS_Y_DIA}, {{"Text11"}, &P::POS_Y_IMG}},
                .then = {SlidePage, BrowserForward},
                .browser = {{{"WebBrowser1"}, Top, {"Text11"}, Top, 360}},
                .linkRow = false},
        TabPage{.front = {{"Text4", 15}, {"Text4", 18}, {"Text12"}, {"Text13"}, {"Pulsante_Conferma"}},
                .fills = {{{"Text12"}, &P::POS_X_IMG_GRANDE}, {{"Text13"}, &P::POS_Y_IMG_GRANDE}},
                .linkRow = true},
        imagePage(8, &P::Nome_Immagine_Pulsante_X_1),
        imagePage(9, &P::Nome_Immagine_Testata),
        imagePage(10, &P::Nome_Immagine_Sfondo_Fumetto_1),
        // The browser comes forward only when the preview has a page to show.
        TabPage{.then = {Preview}, .linkRow = false},
    };
    return pages;
}

int edgeOf(const Control& c, Edge edge) {
    switch (edge) {
    case Left: return c.left;
    case Top: return c.top;
    case Right: return c.left + c.width;
    }
    return 0;
}

void place(MainWindow& w, const std::vector<Placement>& placements) {
    for (const Placement& p : placements) {
        const int value = edgeOf(w.control(p.from.name, p.from.index), p.fromEdge) + p.offset;
        Control& target = w.edit(p.target.name, p.target.index);
        (p.edge == Left ? target.left : target.top) = value;
    }
}

}  // namespace

void MainWindow::setLinkRowVisible(bool visible) {
    for (int i = 0; i < 7; ++i) edit("Picture2", i).visible = visible;
}

void MainWindow::loadTabImage(int pathField) {
    const std::string path = text("Text1", pathField);
    loadPicture("Picture1", -1, path);
    loadPicture("Image1", -1, path);
}

void MainWindow::Vedo_Campi_TAB() {
    Module1& s = state_;
    platform_.setBusyPointer(true);
    if (s.Caricamento_In_Corso == 0) s.Tab_Corrente = static_cast<std::int16_t>(selectedTab);
    for (const char* name : {"Picture1", "Image1", "WebBrowser1"}) sendToBack(name);
    const Control& image = control("Image1");
    Control& browser = edit("WebBrowser1");
    browser.top = image.top;
    browser.left = image.left + image.width;
    sendToBack("Titolo_Sito");
    sendToBack("Des_Sito");
    for (int i = 0; i <= 20; ++i) sendToBack("Text4", i);
    for (int n : kPathFields) sendToBack("Text1", n);
    sendToBack("Text2");
    sendToBack("Text3");
    for (int i = 5; i <= 15; ++i) sendToBack("Text" + std::to_string(i));
    for (const char* name : {"Command1", "Command3", "Command4", "Command6"}) sendToBack(name);

    setText("Text4", 1, kTabPageRowLabel);
    showTabPage(s.Tab_Corrente);

    s.Tab_Corrente = static_cast<std::int16_t>(selectedTab);
    const bool lastTabs = s.Tab_Corrente == s.Ultimo_Tab_Parametri || s.Tab_Corrente == s.Ultimo_Tab_Parametri + 1;
    setText("Pulsante_Conferma", -1, lastTabs ? kConfirmSite.italian : kConfirmParameters.italian);
    if (s.Tab_Corrente != 2) {
        sendToBack("Text4", 2);
        for (const char* name : {"Text2", "Command3", "Command4", "Command6"}) sendToBack(name);
    }
    if (s.Caricamento_In_Corso == 0) {
        const std::string browse = text("Command1");
        Image2_Click(browse == kBrowse.italian || browse == kBrowseDesign ? 0 : 1);
    }
    platform_.doEvents();
    platform_.setBusyPointer(false);
}

void MainWindow::refillAllFields() {
    const Parametri_Sito& p = state_.Parametri;
    for (const TabPage& page : tabPages()) {
        for (const Fill& f : page.fills) {
            if (const auto* path = std::get_if<std::string Parametri_Sito::*>(&f.from)) {
                setText(f.field.name, f.field.index, p.**path);
            } else if (const auto* value = std::get_if<Value Parametri_Sito::*>(&f.from)) {
                setText(f.field.name, f.field.index, (p.**value).toText());
            }
        }
    }
}

// Tabs 0 and 12, which start-up visits, have no page.
void MainWindow::showTabPage(int tab) {
    // Publishing is offered beside the preview of what would go up.
    edit("PublishSite").visible = tab == kPreviewTab;
    if (tab < 1 || tab > kTabCount) return;
    const TabPage& page = tabPages()[static_cast<std::size_t>(tab - 1)];
    for (const Ref& r : page.front) bringToFront(r.name, r.index);
    const Parametri_Sito& p = state_.Parametri;
    for (const Fill& f : page.fills) {
        std::string filled;
        if (const auto* path = std::get_if<std::string Parametri_Sito::*>(&f.from)) {
            filled = p.**path;
        } else if (const auto* value = std::get_if<Value Parametri_Sito::*>(&f.from)) {
            filled = (p.**value).toText();
        } else {
            filled = trimBlanks(text(f.field.name, f.field.index));
        }
        setText(f.field.name, f.field.index, std::move(filled));
    }
    place(*this, page.placements);
    for (Step step : page.then) {
        switch (step) {
        case SiteRowLabel: setText("Text4", 1, kSiteRowLabel.italian); break;
        case FirstImage:
            if (state_.Img_Corrente == 0) state_.Img_Corrente = 1;
            break;
        case LoadImage: loadTabImage(tab); break;
        case BackgroundPage: Command2_Click(); break;
        case SlidePage: Command7_Click(); break;
        case GroupsPage: Command8_Click(); break;
        case BrowserForward:
            bringToFront("WebBrowser1");
            place(*this, page.browser);
            break;
        case Preview: showPreview(); break;
        }
    }
    setLinkRowVisible(page.linkRow);
}

void MainWindow::showPreview() {
    platform_.browserNavigate("about:blank");
    platform_.doEvents();
    const Control& label = control("Text4", 17);
    Control& browser = edit("WebBrowser1");
    browser.top = label.top - 130;
    browser.left = label.left - 130;
    browser.width = outerWidth - 300;
    browser.height = outerHeight - control("TabStrip1").top - 700;

    const std::string& folder = state_.Parametri.Cartella_Sito;
    const std::string home = folder + "index.htm";
    const std::string copy = folder + "index_TMP.htm";
    // The copy replaces the last one whole, or not at all; without a home
    // page there is nothing to preview and the old copy goes.
    if (files::isRegularFile(home)) {
        files::copyFile(home, copy);
    } else {
        files::removeFile(copy);
    }
    platform_.doEvents();
    for (int attempt = 0;;) {
        if (!files::isRegularFile(copy)) return;
        platform_.browserNavigate("file://" + copy);
        if (!platform_.browserBusy()) break;
        ++attempt;
        platform_.doEvents();
        if (attempt >= 100) break;
    }
    platform_.doEvents();
    bringToFront("WebBrowser1");
}

void MainWindow::TabStrip1_Click() {
    Module1& s = state_;
    s.Esecuzione_Automatica = 1;
    platform_.browserStop();
    s.Tab_Corrente = static_cast<std::int16_t>(selectedTab);
    Conferma_Variazione_Parametri();
    platform_.doEvents();
    if (s.Tab_Corrente == kPreviewTab) {
        s.Esecuzione_Automatica = 1;
        Pulsante_Conferma_Click();
        platform_.doEvents();
        s.Tab_Corrente = kPreviewTab;
    }
    s.Esecuzione_Automatica = 0;
    Vedo_Campi_TAB();
    platform_.doEvents();
    s.Esecuzione_Automatica = 0;
}

// --- layout -------------------------------------------------------------------

void MainWindow::Form_Resize() {
    if (windowState == WindowState::Minimized) return;
    Control& browser = edit("WebBrowser1");
    Control& strip = edit("TabStrip1");
    const int w = outerWidth;
    const int h = outerHeight;
    if (h > 1200) {
        browser.height = h - 1200;
        strip.height = h - strip.top - 510;
        if (h > 5565) {
            Control& first = edit("Picture2", 0);
            first.top = h - first.height - 600;
            for (int i = 1; i <= 6; ++i) {
                const Control& before = control("Picture2", i - 1);
                Control& icon = edit("Picture2", i);
                icon.left = before.left + before.width + 20;
                icon.top = first.top;
            }
        }
    }
    const int imageWidth = control("Image1").width;
    if (static_cast<float>(w) - static_cast<float>(imageWidth) > 300.0f) {
        browser.width = w - 300 - imageWidth;
        strip.width = w - 120;
    }
    if (state_.Caricamento_In_Corso == 0) Vedo_Campi_TAB();
}

}  // namespace sb
