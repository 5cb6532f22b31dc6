// Runs the benchmarks and prints each subsystem's summary (ratios against references) after them.
#include "bench/bench_results.h"

void BenchResults::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
        Mean& m = means_[run.benchmark_name()];
        m.sum += run.GetAdjustedRealTime();
        ++m.count;
        const auto rate = run.counters.find("items_per_second");
        if (rate != run.counters.end()) rates_[run.benchmark_name()] = rate->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
}

double BenchResults::Micros(const std::string& name) const {
    const auto it = means_.find(name);
    return it == means_.end() ? -1.0 : it->second.sum / it->second.count;
}

double BenchResults::Rate(const std::string& name) const {
    const auto it = rates_.find(name);
    return it == rates_.end() ? 0.0 : it->second;
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    BenchResults results;
    benchmark::RunSpecifiedBenchmarks(&results);
    PrintAnalysisSummary(results);
    PrintAlignmentSummary(results);
    benchmark::Shutdown();
    return 0;
}
