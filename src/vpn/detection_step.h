#pragma once

namespace twl {

// The detection timer's interval, and how many of its ticks an attempt waits
// for the tunnel after the connect command: 60 seconds.
inline constexpr double detectionInterval = 0.5;
inline constexpr int connectAttemptTicks = 120;

// What one detection tick finds.
struct DetectionTick {
    bool watching = false;             // the tunnel was seen earlier in this attempt
    bool tunnelUp = false;             // "ppp0" is listed now
    int ticksSinceConnectCommand = 0;  // this tick included
};

// What the tick does about it.
enum class DetectionStep {
    keepWaiting,    // no tunnel yet
    tunnelSeen,     // first sight of the tunnel: show Connected, then watch
    giveUp,         // the attempt's time is up without a tunnel
    keepWatching,   // connected, and the tunnel is still there
    tunnelDropped,  // connected, but the tunnel has gone by itself
};

// Before the tunnel is first seen the tick waits for it, within the attempt's
// time; afterwards it watches that the tunnel stays.
DetectionStep nextDetectionStep(const DetectionTick& tick);

}  // namespace twl
