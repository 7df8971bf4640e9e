#include "vpn/detection_step.h"

namespace twl {

DetectionStep nextDetectionStep(const DetectionTick& tick) {
    if (!tick.watching) {
        if (tick.tunnelUp) {
            return DetectionStep::tunnelSeen;
        }
        return tick.ticksSinceConnectCommand >= connectAttemptTicks ? DetectionStep::giveUp
                                                                    : DetectionStep::keepWaiting;
    }
    return tick.tunnelUp ? DetectionStep::keepWatching : DetectionStep::tunnelDropped;
}

}  // namespace twl
