// Publishing a 200-photo site to an SFTP server of the bench's own on
// 127.0.0.1, against rsync over ssh of the same folder to the same server in
// the same run: the first publish (aim: within 1.3x) and an unchanged one
// (aim: within 1.5x; rsync then only compares).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

#include "publish/publish.h"
#include "publish/transport.h"
#include "qt/curl_transport.h"
#include "ratio_reporter.h"
#include "servers.h"

namespace {

using namespace sb::test;

ServerHome* servers = nullptr;
std::string site;

void makeSite(const std::string& folder) {
    std::mt19937 random(7);
    auto bytes = [&](std::size_t count) {
        std::string text(count, '\0');
        for (char& c : text) c = char(random());
        return text;
    };
    for (int i = 0; i < 200; ++i) {
        const std::string group = "Gruppo " + std::to_string(i / 40 + 1);
        makeFile(folder + "/" + group + "/Foto_" + std::to_string(i) + ".jpg", bytes(250000 + i * 1000));
        makeFile(folder + "/Miniature_by_Velmora/" + std::to_string(1000 + i) + "_230x160.jpg", bytes(15000));
    }
    makeFile(folder + "/index.htm", bytes(4000));
    makeFile(folder + "/Parametri_by_Velmora.js", bytes(3000));
    makeFile(folder + "/Immagini_by_Velmora.js", bytes(12000));
    makeFile(folder + "/galleria_by_Velmora.js", bytes(40000));
}

void clearTarget(const std::string& name) {
    fs::remove_all(servers->served + "/" + name);
    fs::remove_all(servers->home / ".cache");
}

bool publishTo(const std::string& name) {
    const auto address = sb::publish::parseAddress(servers->sftpAddress() + name + "/");
    auto transport = sb::makeCurlTransport(*address, {}, {});
    std::atomic<bool> cancel = false;
    return sb::publish::publishSite(site + "/", *transport, {}, cancel, true).complete;
}

bool rsyncTo(const std::string& name) {
    const std::string ssh = "ssh -p " + servers->sshPort + " -i " + servers->home / ".ssh/id_ed25519" +
                            " -o UserKnownHostsFile=" + servers->home / ".ssh/known_hosts" +
                            " -o StrictHostKeyChecking=yes -o BatchMode=yes";
    return run("rsync -a -e '" + ssh + "' '" + site + "/' 'root@127.0.0.1:" + servers->served + "/" + name + "/'") == 0;
}

void First(benchmark::State& state, bool (*send)(const std::string&), const char* name) {
    for (auto _ : state) {
        state.PauseTiming();
        clearTarget(name);
        state.ResumeTiming();
        if (!send(name)) state.SkipWithError("the transfer failed");
    }
}

void Unchanged(benchmark::State& state, bool (*send)(const std::string&), const char* name) {
    clearTarget(name);
    if (!send(name)) state.SkipWithError("the first transfer failed");
    for (auto _ : state)
        if (!send(name)) state.SkipWithError("the transfer failed");
}

void BM_PublishFirst(benchmark::State& state) { First(state, publishTo, "published"); }
void BM_RsyncFirst(benchmark::State& state) { First(state, rsyncTo, "rsynced"); }
void BM_PublishUnchanged(benchmark::State& state) { Unchanged(state, publishTo, "published"); }
void BM_RsyncUnchanged(benchmark::State& state) { Unchanged(state, rsyncTo, "rsynced"); }

BENCHMARK(BM_RsyncFirst)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_PublishFirst)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_RsyncUnchanged)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->UseRealTime();
BENCHMARK(BM_PublishUnchanged)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    ServerHome home;
    servers = &home;
    if (run("command -v rsync") != 0 || !home.startSsh()) {
        std::fprintf(stderr, "publish_bench_qt: needs rsync and sshd (scripts/deps.sh installs them)\n");
        return 1;
    }
    TempDir folder;
    site = folder.str();
    makeSite(site);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    sb::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const auto& [measured, floor, aim] :
         {std::tuple{"BM_PublishFirst", "BM_RsyncFirst", "1.3x"}, {"BM_PublishUnchanged", "BM_RsyncUnchanged", "1.5x"}}) {
        if (const auto times = reporter.pair(measured, floor))
            std::printf("%s against %s: %.2fx wall clock (aim: within %s)\n", measured, floor,
                        times->first.real / times->second.real, aim);
    }
    return 0;
}
