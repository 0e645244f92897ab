// A scripted platform for the core's tests: it answers dialogs and questions
// from queues and records what the program asked of the outside world.
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
#include "platform.h"
#include "temp_dir.h"
#include "ui/main_window.h"

namespace sb::test {

// The pixel size in a GIF or JPEG file's header (a JPEG's first frame
// header); any other file is no picture.
inline std::optional<PixelSize> readPictureSize(const std::string& path) {
    const std::string b = readFile(path);
    const auto u = [&b](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(b[i])); };
    const auto size = [](unsigned w, unsigned h) { return w && h ? std::optional(PixelSize{int(w), int(h)}) : std::nullopt; };
    if (b.size() >= 10 && b.starts_with("GIF")) return size(u(6) | u(7) << 8, u(8) | u(9) << 8);
    for (std::size_t at = 2; b.starts_with("\xFF\xD8") && at + 9 <= b.size() && u(at) == 0xFF;) {
        const unsigned marker = u(at + 1);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            return size(u(at + 7) << 8 | u(at + 8), u(at + 5) << 8 | u(at + 6));
        }
        at += marker == 0xFF ? 1 : 2 + (u(at + 2) << 8 | u(at + 3));
    }
    return std::nullopt;
}

class FakePlatform : public Platform {
public:
    explicit FakePlatform(std::string appFolder = SB_APP_DIR) : appFolder_(std::move(appFolder)) {}

    // --- script (an empty queue: the dialog is cancelled, the answer is No) ---
    std::deque<std::string> dialogAnswers, folderAnswers;
    std::deque<bool> yesNoAnswers;
    std::deque<Answer> yesNoCancelAnswers;  // an empty queue: Cancel
    std::map<std::string, std::vector<std::string>> listings;  // overrides real listings
    std::function<void()> onDoEvents;                           // runs once per doEvents, may nest handlers
    bool browserAlwaysBusy = false;
    int thumbnailsBeforeCancel = -1;  // after that many thumbnails the user cancels

    // --- record ---
    struct Message { std::string text, title; };
    std::vector<Message> messages, questions;
    std::vector<std::string> navigations, openedPages, thumbnailsMade, folderDialogs;
    std::vector<std::pair<std::string, std::string>> dialogs;  // (folder, file)
    std::vector<const WindowModel*> onScreen;                  // further windows shown and not closed
    std::vector<std::pair<std::string, bool>> publishWindows;  // (site folder, English) of each opening
    int windowShowings = 0, beeps = 0, browserStops = 0;
    bool busy = false;

    void doEvents() override {
        if (auto hook = onDoEvents) hook();  // a hook may replace itself
    }
    void showMessage(const std::string& text, const std::string& title) override { messages.push_back({text, title}); }
    bool askYesNo(const std::string& text, const std::string& title) override {
        questions.push_back({text, title});
        return next(yesNoAnswers, false);
    }
    Answer askYesNoCancel(const std::string& text, const std::string& title) override {
        questions.push_back({text, title});
        return next(yesNoCancelAnswers, Answer::Cancel);
    }
    void beep() override { ++beeps; }
    void setBusyPointer(bool b) override { busy = b; }
    std::string showOpenDialog(const std::string& folder, const std::string& file) override {
        dialogs.emplace_back(folder, file);
        return next(dialogAnswers, file);
    }
    std::string showFolderDialog(const std::string& folder) override {
        folderDialogs.push_back(folder);
        return next(folderAnswers, std::string());
    }
    void showWindow(WindowModel& window) override {
        ++windowShowings;
        if (std::find(onScreen.begin(), onScreen.end(), &window) == onScreen.end()) onScreen.push_back(&window);
    }
    void closeWindow(WindowModel& window) override { std::erase(onScreen, &window); }
    void openPublishWindow(const std::string& site, bool english) override { publishWindows.emplace_back(site, english); }
    bool openInUserBrowser(const std::string& path) override {
        openedPages.push_back(path);
        return true;
    }
    std::optional<PixelSize> loadPicture(const std::string& path) override { return readPictureSize(path); }
    // A thumbnail or copy is a line naming its picture and size; a picture without
    // a readable header has none, and a JPEG is its own copy up to the copy's side.
    bool makeThumbnails(const std::vector<ThumbnailOrder>& orders, const ThumbnailDone& done) override {
        for (std::size_t i = 0; i < orders.size(); ++i) {
            if (thumbnailsBeforeCancel >= 0 && i >= static_cast<std::size_t>(thumbnailsBeforeCancel)) return false;
            const ThumbnailOrder& order = orders[i];
            thumbnailsMade.push_back(order.picture);
            MadePicture made;
            if (const auto size = readPictureSize(order.picture)) {
                made.upright = *size;
                if (order.size.width > 0) made.thumbnail = thumbnailOf(order.picture, order.size);
                for (const int side : order.copySides) {
                    const bool own = order.picture.ends_with(".jpg") && std::max(size->width, size->height) <= side;
                    made.copies.push_back(own ? "" : thumbnailOf(order.picture, {side, side}));
                }
            }
            done(i, std::move(made));
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
    // Pages the program must not write beside their pictures land in a folder of this test's own.
    std::string temporaryFolder() override { return pages_->str() + "/"; }
    std::vector<std::string> listNormalFiles(const std::string& pattern) override {
        if (auto it = listings.find(pattern); it != listings.end()) return it->second;
        return Platform::listNormalFiles(pattern);
    }

private:
    template <typename T>
    static T next(std::deque<T>& queue, T otherwise) {
        if (queue.empty()) return otherwise;
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
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
