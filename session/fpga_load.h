#pragma once
// The FPGA load: the preparatory request, then one record of the session's image per
// function-21 reply until the end record is answered.

#include <functional>

#include "common/rate_estimator.h"
#include "fpga/upload.h"
#include "protocol/exchange.h"
#include "session/board_session.h"

namespace torvel {

class TFpgaLoad {
public:
    explicit TFpgaLoad(TBoardSession& session);

    // `confirmChip` is asked when the image is for another FPGA than the board's; false
    // refuses the load.
    TRefusal Start(const std::function<bool()>& confirmChip);
    // Ends a load under way after the record in flight; nothing when none runs.
    void Stop();
    bool Running() const { return running_; }
    // The next function-21 reply is no answer to a preparatory request of an earlier load.
    void ForgetStart() { state_.UploadStarted = false; }

    UploadState& State() { return state_; }
    const RateEstimator& Rate() const { return rate_; }

private:
    void Reply();
    void End(TRunEndReason reason, ExchangeOutcome outcome = ExchangeOutcome::eoReply);
    bool Send(const QString& data);

    TBoardSession& session_;
    TExchangeOperation operation_;
    UploadState state_;
    RateEstimator rate_;
    bool running_ = false;
};

}  // namespace torvel
