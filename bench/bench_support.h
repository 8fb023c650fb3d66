// What the benchmark programs share: running the registered benchmarks and keeping each run's
// time, so that a program can print its ratios after the table.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// A console reporter that also keeps each iteration run's adjusted real time by benchmark name
// (runs that reported an error are left out).
class RatioReporter : public benchmark::ConsoleReporter
{
  public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                seconds[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
};

// Runs the registered benchmarks under the command line's options, printing the usual table, and
// answers each run's time per iteration by benchmark name.
inline std::map<std::string, double> runBenchmarks(int &argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.seconds;
}
