// What one run of the benchmarks measured, kept for the summaries printed after it.
#ifndef HARMOLAB_BENCH_BENCH_RESULTS_H
#define HARMOLAB_BENCH_BENCH_RESULTS_H

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class BenchResults : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    // Mean real time of a benchmark in microseconds, or a negative value when it did not run.
    double Micros(const std::string& name) const;
    // Items per second of a benchmark, or 0 when it did not run or counted none.
    double Rate(const std::string& name) const;

private:
    struct Mean {
        double sum = 0.0;
        int count = 0;
    };
    std::map<std::string, Mean> means_;
    std::map<std::string, double> rates_;
};

void PrintAnalysisSummary(const BenchResults& results);
void PrintAlignmentSummary(const BenchResults& results);

#endif
