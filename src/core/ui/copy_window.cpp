#include "ui/copy_window.h"

#include <filesystem>

#include "common/files.h"
#include "common/text.h"
#include "site/parametri.h"
#include "ui/captions.h"
#include "ui/window_designs.h"

namespace sb {

int Ultima_Barra(std::string_view path) { return static_cast<int>(lastSeparator(path)); }

void Crea_Cartella(const std::string& dir) {
    if (files::createFolder(dir)) return;
    for (std::size_t i = 0; i < dir.size(); ++i) {
        if (isSeparator(dir[i])) files::createFolder(dir.substr(0, i + 1));
    }
}

std::string defaultCopyFolder(Platform& platform) { return underFolder(platform.applicationFolder(), "copia/"); }

CopyWindow::CopyWindow(Module1& state, Platform& platform, const WindowModel& mainWindow)
    : WindowModel("Form2"), state_(state), platform_(platform), main_(mainWindow) {
    buildFromDesign(*this, kCopyWindowDesign);
}

CopyWindow::~CopyWindow() {
    if (open_) platform_.closeWindow(*this);
}

void CopyWindow::show() {
    open_ = true;
    platform_.showWindow(*this);
}

void CopyWindow::close() {
    if (!open_) return;
    open_ = false;
    platform_.closeWindow(*this);
}

// --- handlers ---------------------------------------------------------------

void CopyWindow::Form_Load() {
    Module1& s = state_;
    if (trimBlanks(s.Cartella_Copia).empty()) s.Cartella_Copia = defaultCopyFolder(platform_);
    setText("Text1", s.Cartella_Copia);
    if (Lingua_Inglese(main_)) Image2_Click(1);
    // The title names the file the buttons act on.
    title = std::string(kCopyTitlePrefix.in(Lingua_Inglese(*this))) + trimBlanks(s.copySourcePath);
    touch();
}

void CopyWindow::Image2_Click(int index) { applyCaptions(*this, kCopyWindowCaptions, index != 0); }

void CopyWindow::Command1_Click() {
    Module1& s = state_;
    setText("Text1", s.Cartella_Copia);
    const std::string path = trimBlanks(text("Text1"));
    if (platform_.askYesNo(kNewFolderQuestion, kNewFolderTitle)) Crea_Cartella(path);
    const int p = Ultima_Barra(path);
    s.Cartella_Copia = p >= 1 ? path.substr(0, static_cast<std::size_t>(p)) : std::string{};
    setText("Text1", trimBlanks(s.Cartella_Copia));

    // Then the user points at the folder itself; closing the chooser keeps
    // what the steps above left.
    std::string chosen = platform_.showFolderDialog(s.Cartella_Copia);
    if (chosen.empty()) return;
    if (!isSeparator(chosen.back())) chosen += kSeparator;
    s.Cartella_Copia = chosen;
    setText("Text1", chosen);
}

void CopyWindow::Command2_Click() {
    if (readyToCopy() && copyImage(false)) close();
}

void CopyWindow::Command3_Click() {
    if (!readyToCopy()) return;
    const bool english = Lingua_Inglese(*this);
    if (!platform_.askYesNo(kMoveQuestion.in(english), kMoveQuestionTitle.in(english))) {
        platform_.showMessage(kMoveRefused.in(english), "");
        return;
    }
    if (!copyImage(true)) return;
    // The copy is whole, equal to the source and on the disk: only now does
    // the source go. A source that cannot be removed stays beside its copy.
    files::removeFile(state_.copySourcePath);
    close();
}

bool CopyWindow::readyToCopy() {
    const char* refusal = nullptr;
    if (trimBlanks(text("Text1")).empty()) {
        refusal = kChooseDestination;
    } else if (state_.Nome_Img_Copia.empty() || state_.copySourcePath.empty()) {
        refusal = kNoImageToCopy.in(Lingua_Inglese(*this));
    }
    if (!refusal) return true;
    platform_.beep();
    platform_.showMessage(refusal, "");
    return false;
}

bool CopyWindow::copyImage(bool forMove) {
    Module1& s = state_;
    const std::string typed = text("Text1");
    const std::string folder = trimBlanks(typed);
    s.Cartella_Copia = folder;
    std::error_code ec;
    if (!std::filesystem::exists(typed, ec)) Crea_Cartella(folder);

    // The image handed over when the window was asked for, under its own name.
    const std::string& source = s.copySourcePath;
    const std::string target = folder + s.Nome_Img_Copia;
    // A target that is the source itself is refused: a copy would gain
    // nothing and a move would remove the only file.
    const files::CopyResult result = files::copyFileOver(source, target, {.compare = true, .durable = forMove});
    if (result == files::CopyResult::Copied) return true;
    platform_.beep();
    platform_.showMessage(kCopyError + source + " " + target, "");
    return false;
}

// --- events -----------------------------------------------------------------

bool CopyWindow::handlesClick(const std::string& name, int index) const {
    return name == "Command1" || name == "Command2" || name == "Command3" || (name == "Image2" && (index == 0 || index == 1));
}

void CopyWindow::click(const std::string& name, int index) {
    // The window stays whole until its handler has returned, even if a new
    // opening replaces it meanwhile.
    const auto keep = weak_from_this().lock();
    if (!open_) return;
    if (name == "Command1") Command1_Click();
    if (name == "Command2") Command2_Click();
    if (name == "Command3") Command3_Click();
    if (name == "Image2") Image2_Click(index);
}

void CopyWindow::closeBox() { close(); }

}  // namespace sb
