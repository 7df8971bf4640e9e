#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace twl::bench {

// Prints the usual console report, then one table that sets each figure of the
// client beside its floor measured in the same run. Benchmarks pair up by
// name: "<figure>/tidewaterlink" and "<figure>/floor"; the median of their
// repetitions is what is compared.
class RatioTableReporter final : public benchmark::ConsoleReporter {
  public:
    static constexpr const char* clientSide = "tidewaterlink";
    static constexpr const char* floorSide = "floor";

    explicit RatioTableReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

    // False once a figure lacks a side or one of its runs failed.
    bool complete() const { return complete_; }

  private:
    struct Row {
        double clientSeconds = -1;
        double floorSeconds = -1;
    };

    void record(const Run& run);
    void printTable();

    std::vector<std::string> order_;
    std::map<std::string, Row> rows_;
    bool complete_ = true;
};

}  // namespace twl::bench
