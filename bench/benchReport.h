#pragma once
// A console reporter that also keeps each benchmark's time per iteration, so
// that a bench program can print ratios between its figures at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Plain text: the figures are read from logs as often as from a terminal.
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                m_nanoseconds[run.benchmark_name()] = run.GetAdjustedRealTime() * secondsPer(run.time_unit) * 1e9;
            }
        }
    }

    // Time per iteration in nanoseconds, or 0 when the benchmark did not run.
    double nanoseconds(const std::string& name) const {
        const auto found = m_nanoseconds.find(name);
        return found == m_nanoseconds.end() ? 0 : found->second;
    }

    void printRatio(const char* label, const std::string& numerator, const std::string& denominator) const {
        const double top = nanoseconds(numerator);
        const double bottom = nanoseconds(denominator);
        if (top > 0 && bottom > 0) {
            std::printf("%-48s %10.2f x  (%s / %s)\n", label, top / bottom, numerator.c_str(), denominator.c_str());
        }
    }

private:
    static double secondsPer(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kSecond:
            return 1;
        case benchmark::kMillisecond:
            return 1e-3;
        case benchmark::kMicrosecond:
            return 1e-6;
        default:
            return 1e-9;
        }
    }
    std::map<std::string, double> m_nanoseconds;
};
