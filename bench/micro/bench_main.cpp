// The client's hot paths, each beside a floor measured in the same run:
//   twl_micro_bench [Google Benchmark flags]
// Ends with a table of ratios (the client's median over the floor's).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "account_check_pair.h"
#include "detection_tick_pair.h"
#include "ratio_table_reporter.h"
#include "shell_script_pair.h"

namespace {

// Repeated and interleaved by default, so that a neighbour's build slows both
// sides of a pair alike; flags given on the command line come later and win.
std::vector<std::string> withDefaults(int argc, char** argv) {
    std::vector<std::string> args{argv[0], "--benchmark_repetitions=7",
                                  "--benchmark_enable_random_interleaving=true",
                                  "--benchmark_report_aggregates_only=true"};
    args.insert(args.end(), argv + 1, argv + argc);
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::vector<std::string> args = withDefaults(argc, argv);
    std::vector<char*> pointers;
    for (auto& arg : args) {
        pointers.push_back(arg.data());
    }
    int count = static_cast<int>(pointers.size());
    benchmark::Initialize(&count, pointers.data());
    if (benchmark::ReportUnrecognizedArguments(count, pointers.data())) {
        return 2;
    }

    try {
        twl::bench::DetectionTickPair detection;
        twl::bench::ShellScriptPair shell(TWL_COMPAT_FOLDER);
        twl::bench::AccountCheckPair account;
        detection.registerBenchmarks();
        shell.registerBenchmarks();
        account.registerBenchmarks();

        // Coloured only on a terminal, so that a saved report stays plain text.
        twl::bench::RatioTableReporter reporter(::isatty(STDOUT_FILENO) != 0
                                                    ? benchmark::ConsoleReporter::OO_ColorTabular
                                                    : benchmark::ConsoleReporter::OO_Tabular);
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();
        return reporter.complete() ? 0 : 1;
    } catch (const std::exception& failure) {
        std::cerr << "twl_micro_bench: " << failure.what() << "\n";
        return 1;
    }
}
