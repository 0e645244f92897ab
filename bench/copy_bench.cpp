// The Copy Window's copy (beside the target, read back and compared before
// it takes the target's name) against a plain std::filesystem::copy_file of
// the same file over the same kind of target, in alternating rounds of one
// run. Prints the ratio's minimum, median and maximum for a photo of the
// size a 12-megapixel JPEG has and for a 200 MB file (aim: within 1.3x).
//
//   copy_bench [ROUNDS]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/state.h"
#include "platform.h"
#include "ui/copy_window.h"
#include "ui/window_model.h"

namespace {

namespace fs = std::filesystem;

// Nothing on screen: the window's showing and closing cost nothing here.
class QuietPlatform : public sb::Platform {
public:
    explicit QuietPlatform(std::string folder) : folder_(std::move(folder)) {}
    void doEvents() override {}
    void showMessage(const std::string& text, const std::string&) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    bool askYesNo(const std::string&, const std::string&) override { return true; }
    void beep() override {}
    void setBusyPointer(bool) override {}
    std::string showOpenDialog(const std::string&, const std::string& file) override { return file; }
    std::string showFolderDialog(const std::string&) override { return {}; }
    bool openInUserBrowser(const std::string&) override { return false; }
    std::optional<sb::PixelSize> loadPicture(const std::string&) override { return std::nullopt; }
    bool makeThumbnails(const std::vector<sb::ThumbnailOrder>&, const sb::ThumbnailDone&) override { return true; }
    void browserNavigate(const std::string&) override {}
    bool browserBusy() override { return false; }
    void browserStop() override {}
    std::string applicationFolder() override { return folder_; }
    void showWindow(sb::WindowModel&) override {}
    void closeWindow(sb::WindowModel&) override {}

private:
    std::string folder_;
};

// A file of `size` bytes that do not compress, like a photo's.
void makeFile(const fs::path& path, std::size_t size) {
    std::mt19937_64 random(42);
    std::vector<std::uint64_t> chunk(1 << 17);
    std::ofstream out(path, std::ios::binary);
    for (std::size_t left = size; left > 0;) {
        for (auto& word : chunk) word = random();
        const std::size_t n = std::min(left, chunk.size() * sizeof(std::uint64_t));
        out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(n));
        left -= n;
    }
}

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    const fs::path root = fs::temp_directory_path() / ("sb-copy-bench-" + std::to_string(::getpid()));
    fs::create_directories(root / "foto");
    fs::create_directories(root / "copia");
    fs::create_directories(root / "floor");

    QuietPlatform platform(root.string());
    sb::Module1 state;
    sb::WindowModel mainWindow("Form1");
    sb::Control browse;
    browse.name = "Command1";
    browse.text = "Sfoglia...";
    mainWindow.add(browse);

    struct Case {
        const char* what;
        const char* name;
        std::size_t size;
        int rounds;  // more for the short copy, which the machine's load sways more
    };
    // A 12-megapixel photo saved as JPEG at the usual quality takes about 5 MB.
    const Case cases[] = {{"12-megapixel JPEG (5 MB)", "foto_12mp.jpg", 5u << 20, 4 * rounds},
                          {"200 MB file", "grande.jpg", 200u << 20, rounds}};
    for (const Case& c : cases) {
        const int n = c.rounds;
        const fs::path source = root / "foto" / c.name, copied = root / "copia" / c.name, floorCopy = root / "floor" / c.name;
        makeFile(source, c.size);
        state.Cartella_Img = (root / "foto").string() + "/";
        state.Nome_Img_Copia = c.name;
        state.copySourcePath = source.string();
        sb::CopyWindow window(state, platform, mainWindow);
        window.Form_Load();
        const auto copyWindow = [&] {
            window.setText("Text1", (root / "copia").string() + "/");
            window.show();
            window.Command2_Click();
            if (window.isOpen()) std::exit(1);
        };
        const auto floor = [&] { fs::copy_file(source, floorCopy, fs::copy_options::overwrite_existing); };
        for (bool replacing : {false, true}) {
            std::vector<double> ratios;
            double total = 0, totalFloor = 0;
            for (int round = -1; round < n; ++round) {
                // Into an empty folder, or over the copy of the round before.
                if (!replacing) fs::remove(copied), fs::remove(floorCopy);
                ::sync();
                // Alternating which goes first cancels a drift of the machine's load.
                double measured = 0, base = 0;
                if (round % 2 == 0) {
                    measured = seconds(copyWindow), base = seconds(floor);
                } else {
                    base = seconds(floor), measured = seconds(copyWindow);
                }
                if (round < 0) continue;  // the source is read from the disk once, untimed
                ratios.push_back(measured / base);
                total += measured, totalFloor += base;
            }
            std::sort(ratios.begin(), ratios.end());
            std::printf("%-26s %-14s Copy Window %7.2f ms, copy_file %7.2f ms (means); ratio min %.2fx, median %.2fx, max %.2fx (%d rounds)\n",
                        c.what, replacing ? "over a copy" : "new copy", 1000 * total / n, 1000 * totalFloor / n,
                        ratios.front(), ratios[ratios.size() / 2], ratios.back(), n);
        }
        fs::remove(source);
    }
    std::puts("aim: within 1.3x");
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
