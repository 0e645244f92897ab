// The Main Window's row of link icons, its copy button, which hands the
// image on view over to the Copy Window, and its publish button.
#include "common/text.h"
#include "site/addresses.h"
#include "ui/main_window.h"

namespace sb {

// The icons side by side from the left of the first, 20 twips apart, along
// the bottom of the window. An icon whose picture cannot be read stays
// empty; its link works all the same.
void MainWindow::layOutLinkIcons() {
    for (int i = 0; i < static_cast<int>(kLinkIcons.size()); ++i) {
        const LinkIcon& link = kLinkIcons[static_cast<std::size_t>(i)];
        loadPicture("Picture2", i, underApplication(std::string(link.picture)));
        Control& icon = edit("Picture2", i);
        if (i == 0) {
            icon.top = outerHeight - icon.height - 20;
        } else {
            const Control& before = control("Picture2", i - 1);
            icon.left = before.left + before.width + 20;
            icon.top = control("Picture2", 0).top;
        }
        icon.tag = link.address;
    }
}

void MainWindow::Picture2_Click(int index) {
    if (!has("Picture2", index)) return;
    const std::string& address = control("Picture2", index).tag;
    if (address.empty()) return;
    // The user's browser opens on its own; a link that cannot be opened says nothing.
    platform_.openInUserBrowser(address + (Lingua_Inglese(*this) ? "index_en.htm" : "index.htm"));
}

void MainWindow::Command5_Click() {
    Module1& s = state_;
    if (trimBlanks(s.Cartella_Copia).empty()) s.Cartella_Copia = defaultCopyFolder(platform_);
    s.Nome_Img_Copia = imageOnView();
    s.copySourcePath = s.Nome_Img_Copia.empty() ? std::string{} : s.Cartella_Img + s.Nome_Img_Copia;
    // A new opening starts from the design; an open window keeps what it holds.
    if (!Form2_ || !Form2_->isOpen()) {
        Form2_ = std::make_shared<CopyWindow>(s, platform_, *this);
        Form2_->Form_Load();
    }
    Form2_->show();
}

void MainWindow::PublishSite_Click() {
    platform_.openPublishWindow(state_.Parametri.Cartella_Sito, Lingua_Inglese(*this));
}

}  // namespace sb
