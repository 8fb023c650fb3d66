// What the benchmark programs share: running the registered benchmarks and keeping each run's
// time, so that a program can print its ratios after the table.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
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

// ---- progress gaps (bench_support.h)
#include "document/paper/paper_host.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

// The longest wait, in seconds, the progress window of op shows without a step: from its opening
// to its first step, between steps, and from its last step to its closing. steps gets the number
// of steps. The progress hook is installed for op alone.
inline double longestProgressGap(const std::function<void()> &op, int &steps)
{
    using Clock = std::chrono::steady_clock;
    struct Recorder final : IPaperProgress
    {
        Recorder(double &longest, int &steps) : longest(longest), steps(steps) {}
        ~Recorder() override { mark(); }
        void setCaption(const QString &) override {}
        void setMessage(const QString &) override {}
        void reset(int) override {}
        void step(int) override
        {
            ++steps;
            mark();
        }
        void mark()
        {
            const Clock::time_point now = Clock::now();
            longest = std::max(longest, std::chrono::duration<double>(now - last).count());
            last = now;
        }
        double &longest;
        int &steps;
        Clock::time_point last = Clock::now();
    };
    double longest = 0;
    steps = 0;
    // The other hooks stay as they are.
    const SPaperAppHooks was = installPaperAppHooks({});
    SPaperAppHooks hooks = was;
    hooks.openProgress = [&](int, const QString &, const QString &) {
        return std::make_unique<Recorder>(longest, steps);
    };
    installPaperAppHooks(hooks);
    op();
    installPaperAppHooks(was);
    return longest;
}
// ---- end of progress gaps

// The benches' random numbers (xorshift32): fixed sequences from a seed.
inline uint32_t xorshift(uint32_t &s)
{
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
}
