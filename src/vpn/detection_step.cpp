#include "vpn/detection_step.h"

namespace twl {

DetectionStep nextDetectionStep(const DetectionTick& tick) {
    if (!tick.tunnelSeenBefore) {
        if (tick.tunnelUp) {
            return DetectionStep::tunnelSeen;
        }
        return tick.ticksSinceConnectCommand >= connectAttemptTicks ? DetectionStep::giveUp
                                                                    : DetectionStep::keepWaiting;
    }
    if (!tick.isConnected) {
        return DetectionStep::stopWatching;
    }
    return tick.tunnelUp ? DetectionStep::keepWatching : DetectionStep::tunnelDropped;
}

}  // namespace twl
