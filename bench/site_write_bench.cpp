// Writing the default site, against a floor measured in the same run: the
// same 23 pictures copied with std::filesystem::copy_file and two files of
// the same sizes written with plain streams. Prints the ratio at the end.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "site/home_page.h"
#include "site/script_file.h"
#include "site/site_writer.h"
#include "ratio_reporter.h"

namespace {

namespace fs = std::filesystem;

const std::string kApp = SB_APP_DIR;

struct Fixture {
    fs::path root;
    sb::Parametri_Sito parametri;
    std::string floorFolder;

    Fixture() {
        root = fs::temp_directory_path() / ("sb-site-bench-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "floor");
        floorFolder = (root / "floor").string() + "/";
        parametri = sb::defaultParameters(kApp);
        parametri.Cartella_Sito = (root / "LAYOUT_01").string() + "/";
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    sb::SiteRequest request() const { return {parametri, "Titolo del Sito", "Descrizione del Sito", kApp, kApp}; }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_WriteDefaultSite(benchmark::State& state) {
    const sb::SiteRequest request = fixture().request();
    for (auto _ : state) {
        sb::SiteReport report = sb::writeSite(request);
        if (!report.complete()) {
            state.SkipWithError("the default site was not written whole");
            break;
        }
        benchmark::DoNotOptimize(report);
    }
}
BENCHMARK(BM_WriteDefaultSite)->Unit(benchmark::kMicrosecond);

void BM_FloorCopyAndWrite(benchmark::State& state) {
    Fixture& f = fixture();
    const sb::SiteRequest request = f.request();
    std::vector<std::pair<std::string, std::string>> copies;
    for (const sb::ImageCopy& copy : sb::siteImageCopies(request)) {
        copies.emplace_back(copy.source, f.floorFolder + fs::path(copy.target).filename().string());
    }
    std::string script;
    for (const auto& line : sb::composeParameterScript(f.parametri).lines) script += line + "\r\n";
    std::string page;
    for (const auto& line : sb::composeHomePage("Titolo del Sito", "Descrizione del Sito",
                                                f.parametri.Nome_Immagine_Sfondo_Sito)) {
        page += line + "\r\n";
    }
    const std::string scriptBytes(script.size(), 'x');
    const std::string pageBytes(page.size(), 'x');

    for (auto _ : state) {
        std::ofstream(f.floorFolder + "Parametri_by_Velmora.js", std::ios::binary | std::ios::trunc) << scriptBytes;
        std::ofstream(f.floorFolder + "index.htm", std::ios::binary | std::ios::trunc) << pageBytes;
        for (const auto& [from, to] : copies) {
            std::error_code ec;
            fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
            if (ec) {
                state.SkipWithError(("copy failed: " + from).c_str());
                break;
            }
        }
    }
}
BENCHMARK(BM_FloorCopyAndWrite)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    return sb::bench::runAndQuoteRatio(argc, argv, "BM_WriteDefaultSite", "BM_FloorCopyAndWrite", "site write / floor", "within 1.5x");
}
