#include "transport/com_port_settings.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace torvel {

TFlowControl TComFlowControl::FlowControl() const {
    const bool xonXoff = xonXoffIn_ && xonXoffOut_;
    const bool noXonXoff = !xonXoffIn_ && !xonXoffOut_;
    if (controlRts_ == rtsHandshake && outCtsFlow_ && noXonXoff) return fcHardware;
    if (controlRts_ == rtsDisable && !outCtsFlow_ && xonXoff) return fcSoftware;
    if (controlRts_ == rtsDisable && !outCtsFlow_ && noXonXoff) return fcNone;
    return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value) {
    if (value != fcCustom) {
        controlRts_ = rtsDisable;
        outCtsFlow_ = xonXoffIn_ = xonXoffOut_ = false;
        if (value == fcHardware) {
            controlRts_ = rtsHandshake;
            outCtsFlow_ = true;
        } else if (value == fcSoftware) {
            xonXoffIn_ = xonXoffOut_ = true;
        }
    }
    Changed();
}

int WriteTimeoutMs(const TComTimeoutValues& timeouts, int count) {
    // -1 is the all-ones value; both parts zero means no limit at all.
    const auto multiplier =
        static_cast<std::uint64_t>(static_cast<std::uint32_t>(timeouts.writeTotalMultiplier));
    const auto constant =
        static_cast<std::uint64_t>(static_cast<std::uint32_t>(timeouts.writeTotalConstant));
    if (multiplier == 0 && constant == 0) return -1;
    const std::uint64_t total =
        multiplier * static_cast<std::uint64_t>(std::max(count, 0)) + constant;
    return static_cast<int>(std::min<std::uint64_t>(total, INT_MAX));
}

}  // namespace torvel
