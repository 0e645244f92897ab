// Writing the default site against floors measured in the same run, the
// benchmarks interleaved at random so that a shared machine's load falls on
// all of them alike:
//  (a) a write where every picture and both of the site's own files have
//      changed (each copied or written again) against the same 23 pictures
//      copied with std::filesystem::copy_file and two files of the same
//      sizes written with plain streams;
//  (b) writing the unchanged site again, as the preview does at every visit,
//      against one stat per copied file (the 23 pictures and the gallery
//      engine) and the site's three small files written with plain streams.
// Prints min, median and max of each and the ratios (aims: (a) within 1.5x,
// (b) within 2x).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "site/gallery.h"
#include "site/home_page.h"
#include "site/script_file.h"
#include "site/site_writer.h"
#include "ratio_reporter.h"

namespace {

namespace fs = std::filesystem;

const std::string kApp = SB_APP_DIR;
const char* const kSmallFiles[] = {sb::kScriptFileName, sb::kHomePageFileName, sb::kPictureListFileName};

// The default site's pictures in two folders, alike but for their times: a
// site written from one and then from the other has every picture to copy
// again, and with another title its two files to write again.
struct Fixture {
    fs::path root;
    std::string site, floorFolder;
    sb::Parametri_Sito parametri[2];
    std::string folders[2];

    Fixture() {
        root = fs::temp_directory_path() / ("sb-site-bench-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "floor");
        floorFolder = (root / "floor").string() + "/";
        site = (root / "LAYOUT_01").string() + "/";
        const sb::Parametri_Sito installed = sb::defaultParameters(kApp);
        std::vector<std::string> sources = {kApp + "/" + sb::kEngineFileName};
        for (const sb::ImageCopy& copy : sb::siteImageCopies({installed, "", "", kApp, kApp})) sources.push_back(copy.source);
        for (int i = 0; i < 2; ++i) {
            folders[i] = (root / ("app" + std::to_string(i))).string();
            for (const std::string& source : sources) {
                const fs::path copy = folders[i] + "/" + fs::relative(source, kApp).string();
                fs::create_directories(copy.parent_path());
                fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
                const timespec times[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600 * (i + 1), 0}};
                ::utimensat(AT_FDCWD, copy.c_str(), times, 0);
            }
            parametri[i] = sb::defaultParameters(folders[i]);
            parametri[i].Cartella_Sito = site;
        }
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    sb::SiteRequest request(int i) const {
        return {parametri[i], i == 0 ? "Titolo del Sito" : "Titolo del sito", "Descrizione del Sito", folders[i], folders[i]};
    }
    bool write(int i) const { return sb::writeSite(request(i)).complete(); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_WriteChangedSite(benchmark::State& state) {
    const Fixture& f = fixture();
    int i = 0;
    for (auto _ : state) {
        if (!f.write(i ^= 1)) {
            state.SkipWithError("the default site was not written whole");
            break;
        }
    }
}

void BM_WriteUnchangedSite(benchmark::State& state) {
    const Fixture& f = fixture();
    if (!f.write(0)) state.SkipWithError("the default site was not written whole");
    for (auto _ : state) {
        if (!f.write(0)) {
            state.SkipWithError("the default site was not written whole");
            break;
        }
    }
}

std::string bytesOf(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    return bytes;
}

void BM_FloorCopyAndWrite(benchmark::State& state) {
    Fixture& f = fixture();
    const sb::SiteRequest request = f.request(0);
    std::vector<std::pair<std::string, std::string>> copies;
    for (const sb::ImageCopy& copy : sb::siteImageCopies(request)) {
        copies.emplace_back(copy.source, f.floorFolder + fs::path(copy.target).filename().string());
    }
    const std::string scriptBytes(bytesOf(sb::composeParameterScript(f.parametri[0]).lines).size(), 'x');
    const std::string pageBytes(
        bytesOf(sb::composeHomePage("Titolo del Sito", "Descrizione del Sito", f.parametri[0].Nome_Immagine_Sfondo_Sito)).size(),
        'x');

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

void BM_FloorStatAndSmallWrites(benchmark::State& state) {
    Fixture& f = fixture();
    std::vector<std::string> sources;
    for (const sb::ImageCopy& copy : sb::siteImageCopies(f.request(0))) sources.push_back(copy.source);
    sources.push_back(f.folders[0] + "/" + sb::kEngineFileName);
    if (!f.write(0)) state.SkipWithError("the default site was not written whole");
    std::vector<std::pair<std::string, std::string>> files;
    for (const char* name : kSmallFiles) {
        std::ifstream in(f.site + name, std::ios::binary);
        files.emplace_back(f.floorFolder + name, std::string(std::istreambuf_iterator<char>(in), {}));
    }
    for (auto _ : state) {
        struct stat st {};
        for (const std::string& source : sources) benchmark::DoNotOptimize(::stat(source.c_str(), &st));
        for (const auto& [path, bytes] : files) std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
}

void spread(benchmark::internal::Benchmark* b, int iterations) {
    sb::bench::withSpread(b->Unit(benchmark::kMicrosecond), iterations);
}

BENCHMARK(BM_WriteChangedSite)->Apply([](auto* b) { spread(b, 200); });
BENCHMARK(BM_FloorCopyAndWrite)->Apply([](auto* b) { spread(b, 200); });
BENCHMARK(BM_WriteUnchangedSite)->Apply([](auto* b) { spread(b, 2000); });
BENCHMARK(BM_FloorStatAndSmallWrites)->Apply([](auto* b) { spread(b, 2000); });

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments = sb::bench::interleaved(argc, argv);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;
    sb::bench::SpreadReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.quote("(a) changed site written / copy_file and two writes", "BM_WriteChangedSite", "BM_FloorCopyAndWrite",
                   "within 1.5x");
    reporter.quote("(b) unchanged site written again / stat per copy and three writes", "BM_WriteUnchangedSite",
                   "BM_FloorStatAndSmallWrites", "within 2x");
    return 0;
}
