// Console output of a benchmark run that also keeps each benchmark's time
// per iteration (the median when repeated), so that a benchmark can be
// quoted as a ratio against a floor measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
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

// Repeated runs of a benchmark, each of a fixed number of iterations, with
// their min and max beside the mean and median.
inline double smallest(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
inline double largest(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

inline void withSpread(benchmark::internal::Benchmark* b, int iterations, int repetitions = 5) {
    b->Iterations(iterations)->Repetitions(repetitions)->UseRealTime()->MeasureProcessCPUTime();
    b->ReportAggregatesOnly();
    b->ComputeStatistics("min", smallest);
    b->ComputeStatistics("max", largest);
}

// Keeps the min, median and max of each benchmark run withSpread, and
// quotes them against a floor.
class SpreadReporter : public benchmark::ConsoleReporter {
public:
    struct Times {
        double real = 0, cpu = 0;  // per iteration, in the benchmark's unit
        benchmark::TimeUnit unit = benchmark::kMillisecond;
    };
    std::map<std::string, std::map<std::string, Times>> times;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && !run.error_occurred) {
                times[run.run_name.function_name][run.aggregate_name] = {run.GetAdjustedRealTime(),
                                                                         run.GetAdjustedCPUTime(), run.time_unit};
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The ratios of min, median and max wall-clock times, and of the median
    // processor time of all threads (the work done, whatever the load).
    void quote(const char* label, const std::string& measured, const std::string& floor, const char* aim) {
        if (times.count(measured) == 0 || times.count(floor) == 0) return;  // not run, or failed
        std::printf("%s (aim: %s)\n   wall clock:", label, aim);
        for (const char* statistic : {"min", "median", "max"}) {
            const Times m = times[measured][statistic], f = times[floor][statistic];
            std::printf(" %s %.3g / %.3g %s = %.2fx;", statistic, m.real, f.real, benchmark::GetTimeUnitString(m.unit),
                        f.real > 0 ? m.real / f.real : 0.0);
        }
        const Times m = times[measured]["median"], f = times[floor]["median"];
        std::printf("\n   processor time, median: %.3g / %.3g %s = %.2fx\n", m.cpu, f.cpu,
                    benchmark::GetTimeUnitString(m.unit), f.cpu > 0 ? m.cpu / f.cpu : 0.0);
    }
};

// The command line with the benchmarks interleaved at random, so that a
// shared machine's load falls on all of them alike.
inline std::vector<char*> interleaved(int argc, char** argv) {
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> arguments(argv, argv + argc);
    arguments.insert(arguments.begin() + 1, interleave);
    return arguments;
}

}  // namespace sb::bench
