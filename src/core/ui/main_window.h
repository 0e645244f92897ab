// The Main Window (Form1): its controls and its handlers. Handlers change
// only this model, the program-wide state and files; the outside world is
// reached through the Platform.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/state.h"
#include "platform.h"
#include "site/site_writer.h"
#include "ui/captions.h"
#include "ui/copy_window.h"
#include "ui/window_designs.h"
#include "ui/window_model.h"

namespace sb {

// Indices of the path fields Text1(n): one per tab that has a path.
inline constexpr std::array<int, 8> kPathFields = {1, 2, 3, 4, 5, 8, 9, 10};
inline constexpr int kTabCount = static_cast<int>(std::size(kTabCaptions));
inline constexpr int kPreviewTab = 11;
inline constexpr int kMaxImages = 8000;

// The recent sites with `folder` put first: each folder once, the gone ones
// left out, ten at most.
std::vector<std::string> withRecentSite(std::vector<std::string> sites, const std::string& folder);

class MainWindow : public WindowModel {
public:
    MainWindow(Module1& state, Platform& platform);

    // --- start-up (main_window.cpp) ---
    void Form_Load();
    // Start-up routine: puts the default background on view, visits every
    // tab once and writes the default site silently (main_window_viewer.cpp).
    void Inizializza_Finestra();

    // --- parameters (main_window.cpp) ---
    void Conferma_Variazione_Parametri();

    // --- tab pages, preview and layout (main_window_tabs.cpp) ---
    void Vedo_Campi_TAB();
    void TabStrip1_Click();
    void Form_Resize();
    // Selects a tab as a click would: the tab strip's click runs at once.
    void selectTab(int number);

    // --- site creation (main_window_site.cpp) ---
    void Pulsante_Conferma_Click();

    // --- a site read back and kept (main_window_site.cpp) ---
    // Reads the site in `folder` (ending with its separator) into every
    // stored value and field; a value it cannot read keeps its default and
    // the user is told. False when anything was left unread.
    bool loadSite(const std::string& folder);
    // The stored values as the fields would commit them, every tab at once.
    Parametri_Sito parametersFromFields();
    // Whether the fields hold what the site, as last written or read, does not.
    bool hasUnwrittenChanges();
    // The close box: true when the window may close. With values not yet
    // written it asks first whether to write them (Yes writes, No closes,
    // Cancel stays).
    bool mayClose();
    // The site folders the user wrote last, most recent first, those gone left out.
    std::vector<std::string> recentSiteFolders();

    // --- viewer (main_window_viewer.cpp) ---
    void Command1_Click();  // browse
    void Command2_Click();  // background sample page
    void Command7_Click();  // slide sample page
    void Command8_Click();  // groups sample page
    void Command3_Click();  // previous image
    void Command4_Click();  // next image
    void Command6_Click();  // go to the typed number
    void Text2_KeyPress(int keyAscii);

    // --- language ---
    void Image2_Click(int index);

    // --- link icons and copy launcher (main_window_links.cpp) ---
    void Picture2_Click(int index);
    void Command5_Click();
    // The preview tab's publish button: the Publish window for the site's folder.
    void PublishSite_Click();
    // The Copy Window as last opened (nullptr before the first opening);
    // isOpen() tells whether it is on screen.
    CopyWindow* Form2() { return Form2_.get(); }

    // --- events of the window system, handed on to the handlers above ---
    bool handlesClick(const std::string& name, int index) const override;
    void click(const std::string& name, int index) override;
    void keyPress(const std::string& name, int index, int keyAscii) override;
    void tabStripClick(int number) override;

    // Shorthands for the controls the handlers change most.
    Control& Text1(int n) { return edit("Text1", n); }
    Control& Text4(int n) { return edit("Text4", n); }
    std::string text(const std::string& name, int index = -1) const { return control(name, index).text; }
    void setText(const std::string& name, int index, std::string value) { edit(name, index).text = std::move(value); }

    // Loads a picture file into a holder; a file that is not a readable
    // picture (or an empty name) leaves the holder as it was. True on success.
    bool loadPicture(const std::string& name, int index, const std::string& path);
    void clearPicture(const std::string& name, int index);

    // The image list of the viewer, slots 0 to 8000 (slot 0 stays empty).
    std::vector<std::string> Lista_Immagini;
    // The name of the image on view, Lista_Immagini(Img_Corrente); empty
    // when there is none.
    std::string imageOnView() const;

    Module1& state() { return state_; }
    Platform& platform() { return platform_; }
    std::string Cartella_Applicazione() { return platform_.applicationFolder(); }
    // The application folder followed by a relative path written with "/".
    std::string underApplication(const std::string& relative);

private:
    // Takes one tab's fields over into `p`, as its commit does.
    void takeFields(int tab, Parametri_Sito& p);
    // Sets every field from the stored values, as each tab page fills its own.
    void refillAllFields();
    // Writes the site from the stored values; a site written is the one the
    // fields are compared with and, past start-up, a recent site.
    SiteReport writeSiteNow();
    // Where a sample page of `picture` goes: beside it, unless it lies in the
    // site's folder, which holds only the site.
    std::string placeSamplePage(const std::string& page, const std::vector<std::string>& lines);

    void showTabPage(int tab);
    void showPreview();
    void setLinkRowVisible(bool visible);
    void loadTabImage(int pathField);
    void layOutLinkIcons();

    Module1& state_;
    Platform& platform_;
    std::shared_ptr<CopyWindow> Form2_;
    // The site as last written or read: what closing compares the fields with.
    struct KeptSite {
        Parametri_Sito parametri;
        std::string title, description;
    };
    KeptSite kept_;
    // Start-up leaves a site it could not read whole as it is.
    bool keepSiteAsItIs_ = false;
};

}  // namespace sb
