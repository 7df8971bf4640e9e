#include "ratio_table_reporter.h"

#include <cstdio>
#include <ostream>

namespace twl::bench {
namespace {

// A time with a unit that keeps three significant figures readable.
std::string readable(double seconds) {
    char text[32];
    if (seconds >= 1) {
        std::snprintf(text, sizeof text, "%.3f s", seconds);
    } else if (seconds >= 1e-3) {
        std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
    }
    return text;
}

}  // namespace

void RatioTableReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const auto& run : runs) {
        record(run);
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioTableReporter::record(const Run& run) {
    const std::string name = run.run_name.function_name;
    const auto slash = name.rfind('/');
    if (slash == std::string::npos) {
        return;
    }
    const std::string figure = name.substr(0, slash);
    const std::string side = name.substr(slash + 1);
    if (!rows_.contains(figure)) {
        order_.push_back(figure);
        rows_[figure] = Row{};
    }
    if (run.error_occurred) {
        complete_ = false;
        return;
    }
    // With repetitions only the median counts; a single run stands for itself.
    const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
    const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
    if (!median && !single) {
        return;
    }
    const double seconds =
        run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    if (side == clientSide) {
        rows_[figure].clientSeconds = seconds;
    } else if (side == floorSide) {
        rows_[figure].floorSeconds = seconds;
    }
}

void RatioTableReporter::Finalize() {
    ConsoleReporter::Finalize();
    printTable();
}

void RatioTableReporter::printTable() {
    std::ostream& out = GetOutputStream();
    char line[160];
    out << "\n";
    std::snprintf(line, sizeof line, "%-26s %14s %14s %8s\n", "Figure (median wall time)",
                  "Tidewaterlink", "Floor", "Ratio");
    out << line;
    for (const auto& figure : order_) {
        const Row& row = rows_.at(figure);
        if (row.clientSeconds <= 0 || row.floorSeconds <= 0) {
            complete_ = false;
            std::snprintf(line, sizeof line, "%-26s %14s %14s %8s\n", figure.c_str(), "-", "-",
                          "-");
        } else {
            std::snprintf(line, sizeof line, "%-26s %14s %14s %8.2f\n", figure.c_str(),
                          readable(row.clientSeconds).c_str(), readable(row.floorSeconds).c_str(),
                          row.clientSeconds / row.floorSeconds);
        }
        out << line;
    }
    out.flush();
}

}  // namespace twl::bench
