#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace twl::bench {

// A program started for one measurement, its output discarded. Ended by
// finish(), or killed when the object goes.
class LaunchedProgram {
  public:
    // Throws std::runtime_error if it cannot start. `environment` holds
    // NAME=value entries, the child's whole environment.
    LaunchedProgram(const std::vector<std::string>& argv,
                    const std::vector<std::string>& environment);
    ~LaunchedProgram();
    LaunchedProgram(const LaunchedProgram&) = delete;
    LaunchedProgram& operator=(const LaunchedProgram&) = delete;

    struct Ending {
        bool endedWithinGrace = false;  // SIGTERM was enough
        long peakResidentKiB = 0;       // the most memory it ever had resident
    };

    // SIGTERM, then SIGKILL if it is still there after `grace`; reaps it.
    Ending finish(std::chrono::milliseconds grace);

    // Still running (not yet ended).
    bool running();

  private:
    pid_t pid_ = -1;
};

}  // namespace twl::bench
