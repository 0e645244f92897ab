// A scripted platform for the core's tests: it answers dialogs and questions
// from queues, records what the program asked of the outside world, and can
// run a scripted event inside "let pending events run".
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/state.h"
#include "picture_header.h"
#include "platform.h"
#include "temp_dir.h"
#include "ui/main_window.h"

namespace sb::test {

class FakePlatform : public Platform {
public:
    explicit FakePlatform(std::string appFolder = SB_APP_DIR) : appFolder_(std::move(appFolder)) {}

    // --- script ---
    std::deque<std::string> dialogAnswers;  // empty answer queue: the dialog is cancelled
    std::deque<bool> yesNoAnswers;           // empty answer queue: No
    std::deque<std::string> folderAnswers;   // empty answer queue: the chooser is closed without a choice
    std::map<std::string, std::vector<std::string>> listings;  // overrides real listings
    std::function<void()> onDoEvents;  // runs once per doEvents, may nest handlers
    bool browserAlwaysBusy = false;
    int thumbnailsBeforeCancel = -1;

    // --- record ---
    struct Message {
        std::string text, title;
    };
    std::vector<Message> messages;
    std::vector<Message> questions;
    std::vector<std::string> navigations;
    std::vector<std::string> openedPages;
    std::vector<std::pair<std::string, std::string>> dialogs;  // (folder, file)
    std::vector<std::string> folderDialogs;                    // the folder each chooser opened on
    std::vector<const WindowModel*> onScreen;                  // further windows shown and not closed
    int windowShowings = 0;
    int beeps = 0;
    int browserStops = 0;
    std::vector<std::string> thumbnailsMade;  // pictures
    bool busy = false;

    void doEvents() override {
        if (onDoEvents) {
            auto hook = onDoEvents;  // a hook may replace itself
            hook();
        }
    }
    void showMessage(const std::string& text, const std::string& title) override { messages.push_back({text, title}); }
    bool askYesNo(const std::string& text, const std::string& title) override {
        questions.push_back({text, title});
        if (yesNoAnswers.empty()) return false;
        const bool yes = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return yes;
    }
    void beep() override { ++beeps; }
    void setBusyPointer(bool b) override { busy = b; }
    std::string showOpenDialog(const std::string& folder, const std::string& file) override {
        dialogs.emplace_back(folder, file);
        if (dialogAnswers.empty()) return file;
        std::string answer = dialogAnswers.front();
        dialogAnswers.pop_front();
        return answer;
    }
    std::string showFolderDialog(const std::string& folder) override {
        folderDialogs.push_back(folder);
        if (folderAnswers.empty()) return {};
        std::string answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    }
    void showWindow(WindowModel& window) override {
        ++windowShowings;
        if (std::find(onScreen.begin(), onScreen.end(), &window) == onScreen.end()) onScreen.push_back(&window);
    }
    void closeWindow(WindowModel& window) override { std::erase(onScreen, &window); }
    bool openInUserBrowser(const std::string& path) override {
        openedPages.push_back(path);
        return true;
    }
    std::optional<PixelSize> loadPicture(const std::string& path) override { return readPictureSize(path); }
    // A thumbnail is a line naming its picture and size; a picture without a
    // readable header has none. After `thumbnailsBeforeCancel` the user cancels.
    bool makeThumbnails(const std::vector<ThumbnailOrder>& orders, const ThumbnailDone& done) override {
        for (std::size_t i = 0; i < orders.size(); ++i) {
            if (thumbnailsBeforeCancel >= 0 && i >= static_cast<std::size_t>(thumbnailsBeforeCancel)) return false;
            const ThumbnailOrder& order = orders[i];
            thumbnailsMade.push_back(order.picture);
            done(i, readPictureSize(order.picture) ? thumbnailOf(order.picture, order.size) : "");
        }
        return true;
    }
    static std::string thumbnailOf(const std::string& picture, PixelSize size) {
        return std::to_string(size.width) + "x" + std::to_string(size.height) + " " + picture;
    }
    void browserNavigate(const std::string& address) override { navigations.push_back(address); }
    bool browserBusy() override { return browserAlwaysBusy; }
    void browserStop() override { ++browserStops; }
    std::string applicationFolder() override { return appFolder_; }
    // Pages the program must not write beside their pictures land here, in
    // a folder of this test's own.
    std::string temporaryFolder() override { return pages_->str() + "/"; }
    std::vector<std::string> listNormalFiles(const std::string& pattern) override {
        if (auto it = listings.find(pattern); it != listings.end()) return it->second;
        return Platform::listNormalFiles(pattern);
    }

private:
    std::string appFolder_;
    std::shared_ptr<TempDir> pages_ = std::make_shared<TempDir>();
};

// The parameters as the program sets them at start, the site elsewhere.
inline Parametri_Sito startDefaults(const std::string& site, const std::string& app = SB_APP_DIR) {
    Parametri_Sito p = defaultParameters(app);
    p.Cartella_Sito = site;
    return p;
}

// The program over an application folder of the test's own (empty, or with a
// copy of the program's pictures) and a folder for the test's photos.
struct Program {
    TempDir app, photos;
    FakePlatform platform{app.str()};
    Module1 state;
    MainWindow window{state, platform};

    explicit Program(bool withPictures = false) {
        if (withPictures) copyPictures(SB_APP_DIR, app.str());
    }
    // Loads the program as the user's first tab click leaves start-up.
    void load(int tab = 2) {
        window.Form_Load();
        state.Caricamento_In_Corso = state.Esecuzione_Automatica = 0;
        window.selectedTab = tab;
        platform.navigations.clear();
    }
    void showTab(int tab) {
        window.selectedTab = tab;
        state.Tab_Corrente = static_cast<std::int16_t>(tab);
        window.Vedo_Campi_TAB();
    }
    std::string photo(const std::string& name) const { return photos / name; }
};

}  // namespace sb::test
