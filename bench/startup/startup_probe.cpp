// Start-up to the first window and peak memory, for the client and for a
// minimal Qt Widgets program measured in the same run, on the X display in
// $DISPLAY (a private Xvfb: bench/run makes one):
//   twl_startup_probe --client PATH --floor PATH [--runs N] [--settle-ms MS]
// Runs alternate between the two, each in fresh runtime and settings folders.
// "Shown" is the moment the server maps the program's titled top-level window;
// peak RSS is the most the program ever had resident, read when it ends
// (SIGTERM after the settle time).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "launched_program.h"
#include "window_map_watch.h"

extern char** environ;

namespace {

using Milliseconds = std::chrono::milliseconds;

struct Options {
    std::string client;
    std::string floor;
    int runs = 10;
    Milliseconds settle{1500};
};

struct Subject {
    const char* label;
    std::vector<std::string> argv;
    std::string title;
    std::vector<double> startupMs;
    std::vector<double> peakMiB;
};

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--client") {
            options.client = value;
        } else if (key == "--floor") {
            options.floor = value;
        } else if (key == "--runs") {
            options.runs = std::max(1, std::stoi(value));
        } else if (key == "--settle-ms") {
            options.settle = Milliseconds(std::stoi(value));
        } else {
            throw std::invalid_argument("unknown option " + key);
        }
    }
    if (options.client.empty() || options.floor.empty() || argc % 2 == 0) {
        throw std::invalid_argument(
            "usage: twl_startup_probe --client PATH --floor PATH [--runs N] [--settle-ms MS]");
    }
    return options;
}

// A private folder for one run: the single-instance socket, the settings file
// and anything else the program keeps per user.
class RunFolder {
  public:
    RunFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "twl-startup-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a folder for a run");
        }
        path_ = pattern;
    }
    ~RunFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    std::vector<std::string> environment() const {
        std::vector<std::string> variables;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string variable = *entry;
            const auto name = variable.substr(0, variable.find('='));
            if (name != "XDG_RUNTIME_DIR" && name != "XDG_CONFIG_HOME" && name != "HOME" &&
                name != "QT_QPA_PLATFORM") {
                variables.push_back(variable);
            }
        }
        variables.push_back("XDG_RUNTIME_DIR=" + path_.string());
        variables.push_back("XDG_CONFIG_HOME=" + (path_ / "config").string());
        variables.push_back("HOME=" + path_.string());
        variables.push_back("QT_QPA_PLATFORM=xcb");
        return variables;
    }

  private:
    std::filesystem::path path_;
};

// One start of one program; false if its window never came.
bool measure(Subject& subject, Milliseconds settle, bool keep) {
    const RunFolder folder;
    twl::bench::WindowMapWatch watch;
    const auto started = twl::bench::WindowMapWatch::Clock::now();
    twl::bench::LaunchedProgram program(subject.argv, folder.environment());
    const auto shown = watch.waitForWindow(subject.title, Milliseconds(30000));
    if (!shown) {
        program.finish(Milliseconds(2000));
        return false;
    }
    std::this_thread::sleep_for(settle);
    const bool alive = program.running();
    const auto ending = program.finish(Milliseconds(5000));
    if (keep) {
        const double ms = std::chrono::duration<double, std::milli>(*shown - started).count();
        subject.startupMs.push_back(ms);
        subject.peakMiB.push_back(static_cast<double>(ending.peakResidentKiB) / 1024.0);
    }
    return alive;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printRow(const char* figure, const char* unit, const std::vector<double>& client,
              const std::vector<double>& floor) {
    const double c = median(client);
    const double f = median(floor);
    const auto [cMin, cMax] = std::minmax_element(client.begin(), client.end());
    const auto [fMin, fMax] = std::minmax_element(floor.begin(), floor.end());
    std::printf("%-26s %9.1f %-3s %9.1f %-3s %7.2f   client %.1f-%.1f, floor %.1f-%.1f\n", figure,
                c, unit, f, unit, c / f, *cMin, *cMax, *fMin, *fMax);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options options = parse(argc, argv);
        Subject client{"tidewaterlink", {options.client}, "Tidewaterlink", {}, {}};
        Subject floor{"floor", {options.floor, "Floor"}, "Floor", {}, {}};

        // One unkept start each fills the page cache for both.
        for (Subject* subject : {&client, &floor}) {
            if (!measure(*subject, Milliseconds(200), false)) {
                throw std::runtime_error(std::string(subject->label) +
                                         ": no window appeared, or it did not stay up");
            }
        }
        for (int run = 0; run < options.runs; ++run) {
            // Alternating who goes first spreads a neighbour's load over both.
            Subject& first = run % 2 == 0 ? client : floor;
            Subject& second = run % 2 == 0 ? floor : client;
            for (Subject* subject : {&first, &second}) {
                if (!measure(*subject, options.settle, true)) {
                    throw std::runtime_error(std::string(subject->label) + ": run " +
                                             std::to_string(run + 1) + " failed");
                }
            }
            std::printf("run %2d: client %7.1f ms %6.1f MiB   floor %7.1f ms %6.1f MiB\n", run + 1,
                        client.startupMs.back(), client.peakMiB.back(), floor.startupMs.back(),
                        floor.peakMiB.back());
        }

        std::printf("\n%-26s %13s %13s %7s   %s\n", "Figure (median)", "Tidewaterlink", "Floor",
                    "Ratio", "spread (min-max)");
        printRow("start-up to window shown", "ms", client.startupMs, floor.startupMs);
        printRow("peak RSS", "MiB", client.peakMiB, floor.peakMiB);
        return 0;
    } catch (const std::exception& failure) {
        std::cerr << "twl_startup_probe: " << failure.what() << "\n";
        return 1;
    }
}
