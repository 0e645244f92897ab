// Console output of a benchmark run that also keeps each benchmark's time
// per iteration (the median when repeated), so that a benchmark can be
// quoted as a ratio against a floor measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

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

}  // namespace sb::bench
