// Console output of a benchmark run that also keeps each benchmark's time
// per iteration (the median when repeated), so that a benchmark can be
// quoted as a ratio against a floor measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sb::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double real = 0, cpu = 0;
    };
    std::map<std::string, Times> times;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && run.repetitions <= 1)) {
                times[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Both benchmarks' times, when both ran.
    std::optional<std::pair<Times, Times>> pair(const std::string& measured, const std::string& floor) const {
        const auto m = times.find(measured);
        const auto f = times.find(floor);
        if (m == times.end() || f == times.end() || f->second.real <= 0 || f->second.cpu <= 0) return std::nullopt;
        return std::make_pair(m->second, f->second);
    }
};

// Runs the benchmarks given on the command line and prints the ratio of
// `measured` to `floor`, both measured in this run.
inline int runAndQuoteRatio(int argc, char** argv, const char* measured, const char* floor, const char* label,
                            const char* aim) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (const auto times = reporter.pair(measured, floor)) {
        const auto& [m, f] = *times;
        std::printf("%s: %.2fx wall clock, %.2fx processor time (aim: %s)\n", label, m.real / f.real, m.cpu / f.cpu, aim);
    }
    return 0;
}

}  // namespace sb::bench
