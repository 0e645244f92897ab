// The Copy Window (Form2): copies or moves the image that the Main Window's
// copy button handed over into a folder that the user types or chooses.
// It lives from its opening to its closing; only Cartella_Copia outlasts it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/state.h"
#include "platform.h"
#include "ui/window_model.h"

namespace sb {

// Texts of the Copy Window that exist in Italian only.
inline constexpr const char* kChooseDestination = "Indicare la Cartella di destinazione dove copiare l'immagine !";
inline constexpr const char* kCopyError = "Errore copia file: ";
inline constexpr const char* kNewFolderTitle = "Creazione nuova cartella";
inline constexpr const char* kNewFolderQuestion = "Confermi la creazione della nuova cartella (S/N) ?";

// 1-based position of the last "\" or "/" of a path; 0 when it has none.
int Ultima_Barra(std::string_view path);

// Makes the folder `dir`. When that fails (a parent is missing), makes in
// turn every leading part of `dir` that ends with a separator. Nothing is
// reported: a folder that cannot be made shows when the copy fails.
void Crea_Cartella(const std::string& dir);

// The destination offered while none is remembered: the folder "copia" of
// the application folder, ending with its separator.
std::string defaultCopyFolder(Platform& platform);

class CopyWindow : public WindowModel, public std::enable_shared_from_this<CopyWindow> {
public:
    // `mainWindow`: the window whose language it takes when it opens.
    CopyWindow(Module1& state, Platform& platform, const WindowModel& mainWindow);
    ~CopyWindow() override;

    // Puts the window on screen, or brings it to the front when it is there.
    void show();
    bool isOpen() const { return open_; }
    // Takes the window off the screen: after a copy or move, or by its close box.
    void close();

    void Form_Load();
    void Command1_Click();  // folder button
    void Command2_Click();  // copy
    void Command3_Click();  // move
    void Image2_Click(int index);

    bool handlesClick(const std::string& name, int index) const override;
    void click(const std::string& name, int index) override;
    void closeBox() override;

    std::string text(const std::string& name) const { return control(name).text; }
    void setText(const std::string& name, std::string value) { edit(name).text = std::move(value); }

private:
    // The copy and the move need a destination and an image; without either
    // they beep and say what is missing. True when both are there.
    bool readyToCopy();
    // Remembers the typed folder, makes it when missing and copies the image
    // into it, checked byte for byte. `forMove`: the copy is also on the disk
    // before this returns. False after the error notice.
    bool copyImage(bool forMove);

    Module1& state_;
    Platform& platform_;
    const WindowModel& main_;
    bool open_ = false;
};

}  // namespace sb
