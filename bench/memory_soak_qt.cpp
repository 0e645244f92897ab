// Memory over a long session of the viewer: the real Main Window steps with
// ">" and "<" forward and back through a folder of 40 photos, 10 000 steps,
// each step waiting for the page in the embedded browser. Prints the
// program's own resident memory (RSS) and the proportional memory (PSS) of
// the browser engine's processes at steps 0, 100, 1000 and every further
// thousand, and the ratio of the last RSS to the one after 100 steps (aim:
// at most 1.05: memory stays flat once the caches are full).
//
// Usage: memory_soak_qt [--steps N]
#include <dirent.h>
#include <unistd.h>

#include <QApplication>

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "viewer_bench_support.h"

namespace {

using namespace sb::bench;

// A field of /proc/PID/status or /proc/PID/smaps_rollup, in kB (0 when missing).
long procKilobytes(const std::string& file, const std::string& field) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
    }
    return 0;
}

// The processes started by this one and by those, at any depth.
std::set<int> descendants(int root) {
    std::multimap<int, int> children;
    if (DIR* proc = ::opendir("/proc")) {
        while (const dirent* entry = ::readdir(proc)) {
            const int pid = std::atoi(entry->d_name);
            if (pid <= 0) continue;
            std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
            std::string text((std::istreambuf_iterator<char>(stat)), {});
            const auto close = text.rfind(')');
            if (close == std::string::npos) continue;
            std::istringstream rest(text.substr(close + 2));
            char state = 0;
            int parent = 0;
            rest >> state >> parent;
            children.emplace(parent, pid);
        }
        ::closedir(proc);
    }
    std::set<int> found;
    std::vector<int> todo{root};
    while (!todo.empty()) {
        const int pid = todo.back();
        todo.pop_back();
        for (auto [it, end] = children.equal_range(pid); it != end; ++it) {
            if (found.insert(it->second).second) todo.push_back(it->second);
        }
    }
    return found;
}

double mib(long kilobytes) { return kilobytes / 1024.0; }

}  // namespace

int main(int argc, char** argv) {
    int steps = 10000;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--steps") && i + 1 < argc) {
            steps = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--steps N]\n", argv[0]);
            return 2;
        }
    }
    prepareEnvironment();
    QApplication app(argc, argv);
    Program program(photoFolder(), true);
    if (program.state.N_Img != kPhotos) {
        std::fprintf(stderr, "the browse listed %d photos, not %d\n", program.state.N_Img, kPhotos);
        return 1;
    }

    std::printf("%7s %12s %14s %9s   load average %s", "step", "program RSS", "browser PSS", "seconds", [] {
        static char text[64] = "?\n";
        if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
            if (!std::fgets(text, sizeof text, f)) std::strcpy(text, "?\n");
            std::fclose(f);
        }
        return text;
    }());
    QElapsedTimer clock;
    clock.start();
    double rssAt100 = 0, rss = 0;
    const auto report = [&](int step) {
        rss = mib(procKilobytes("/proc/self/status", "VmRSS"));
        long browser = 0;
        for (const int pid : descendants(::getpid()))
            browser += procKilobytes("/proc/" + std::to_string(pid) + "/smaps_rollup", "Pss");
        if (step == 100) rssAt100 = rss;
        std::printf("%7d %8.1f MiB %10.1f MiB %9.1f\n", step, rss, mib(browser), clock.elapsed() / 1000.0);
        std::fflush(stdout);
    };
    report(0);
    int late = 0;
    bool forward = true;
    for (int step = 1; step <= steps; ++step) {
        if (program.state.Img_Corrente >= kPhotos) forward = false;
        if (program.state.Img_Corrente <= 1) forward = true;
        program.click(forward ? "Command4" : "Command3");
        if (!program.waitForPage(10000)) ++late;
        if (step == 100 || step % 1000 == 0) report(step);
    }
    if (late > 0) std::printf("%d pages did not load within 10 s\n", late);
    if (rssAt100 > 0)
        std::printf("program RSS after %d steps / after 100 steps: %.3f (aim: at most 1.05)\n", steps, rss / rssAt100);
    return 0;
}
