// The viewer's folder scan of 8000 files (half of them images) against a bare
// readdir loop over the same folder, measured in the same run. Prints the
// ratio at the end (aim: within 2x).
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/files.h"
#include "viewer/scan.h"
#include "ratio_reporter.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 8000;
constexpr int kSlots = 8001;

struct Folder {
    fs::path root;
    std::string pattern;  // the folder, ending with its separator
    std::string picked;

    Folder() {
        root = fs::temp_directory_path() / ("sb-scan-bench-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
        const char* const extensions[] = {".jpg", ".txt", ".GIF", ".htm", ".png", ".2007.jpg", ".Bmp", ".jpeg"};
        for (int i = 0; i < kFiles; ++i) {
            const std::string name = "foto_" + std::to_string(i) + extensions[i % 8];
            std::ofstream(root / name);
        }
        fs::create_directory(root / "sub.jpg");
        pattern = root.string() + "/";
        picked = "foto_4000.jpg";
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Folder& folder() {
    static Folder f;
    return f;
}

// What the browse button does with the folder: list its normal files and
// take the images into the list.
void BM_ViewerScan(benchmark::State& state) {
    Folder& f = folder();
    std::vector<std::string> slots(kSlots);
    for (auto _ : state) {
        const auto listing = sb::files::listNormalFiles(f.pattern);
        const sb::viewer::ScanResult result = sb::viewer::scanListing(listing, f.picked, slots);
        if (result.count != kFiles / 2) {
            state.SkipWithError("the scan did not find half of the files to be images");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_ViewerScan)->Unit(benchmark::kMicrosecond);

// The floor: a bare readdir loop that looks at every name once.
void BM_FloorReaddir(benchmark::State& state) {
    Folder& f = folder();
    for (auto _ : state) {
        DIR* dir = ::opendir(f.pattern.c_str());
        if (dir == nullptr) {
            state.SkipWithError("cannot open the folder");
            break;
        }
        std::size_t length = 0;
        while (const dirent* entry = ::readdir(dir)) length += std::strlen(entry->d_name);
        ::closedir(dir);
        benchmark::DoNotOptimize(length);
    }
}
BENCHMARK(BM_FloorReaddir)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return sb::bench::runAndQuoteRatio(argc, argv, "BM_ViewerScan", "BM_FloorReaddir", "scan / readdir floor", "within 2x");
}
