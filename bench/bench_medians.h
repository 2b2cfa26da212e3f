#pragma once
// A console reporter that also keeps each benchmark's median times, so that
// a comparison benchmark can print its ratios after the usual output.
#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qlry::bench {

struct MedianTimes {
    double real = 0, cpu = 0;
};

class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.aggregate_name == "median")
                medians_[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(runs);
    }

protected:
    // Our median and the reference's, when both ran and the reference took time.
    bool Pair(const std::string& ours, const std::string& theirs, MedianTimes& a, MedianTimes& b) const {
        const auto x = medians_.find(ours), y = medians_.find(theirs);
        if (x == medians_.end() || y == medians_.end() || y->second.real <= 0 || y->second.cpu <= 0) return false;
        a = x->second;
        b = y->second;
        return true;
    }

private:
    std::map<std::string, MedianTimes> medians_;
};

// One timed run of `body` per repetition, in milliseconds, medians kept;
// a false from the body marks the benchmark failed.
inline void RegisterTimed(const std::string& name, int repetitions, std::function<bool()> body) {
    benchmark::RegisterBenchmark(name.c_str(),
                                 [body](benchmark::State& state) {
                                     for (auto _ : state)
                                         if (!body()) state.SkipWithError("failed");
                                 })
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(repetitions)
        ->ReportAggregatesOnly(true);
}

}  // namespace qlry::bench
