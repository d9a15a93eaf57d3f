#pragma once
// The FPGA load: the preparatory request, then one record of the session's image per
// function-21 reply until the end record is answered.

#include <functional>
#include <optional>

#include "common/rate_estimator.h"
#include "fpga/upload.h"
#include "protocol/exchange.h"
#include "session/board_session.h"

namespace torvel {

class TFpgaLoad {
public:
    // How long after a record's request its position is shown and the next record is made
    // ready.
    static constexpr int kFollowUpMs = 1;

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
    // The step after the request in flight, made while its reply is on its way, and what it
    // was made from: it stands only while all of that is unchanged.
    struct TNextStep {
        bool ready = false;
        UploadState from;
        std::uint16_t length = 0;
        int chunkSize = 0;
        // The image bytes it carries, from 1-based position `first`.
        std::uint16_t first = 0;
        QByteArray bytes;
        UploadState state;  // the state after it
        UploadStep step;
        TRequestLine request;
    };

    void Reply();
    void End(TRunEndReason reason, ExchangeOutcome outcome = ExchangeOutcome::eoReply);
    bool Send(const TRequestLine& request);
    void FollowUpSoon();
    // The position and progress of the last record sent, when not shown yet.
    void ShowSent();
    void MakeNextStep();
    bool NextStepStands() const;
    // `count` bytes of the session's image from 1-based `first`.
    QByteArrayView ImageBytes(std::uint16_t first, int count) const;

    TBoardSession& session_;
    TExchangeOperation operation_;
    UploadState state_;
    TNextStep next_;
    struct {
        std::optional<std::uint16_t> ShownPosition;
        std::optional<int> Progress;
    } sent_;
    bool followUpQueued_ = false;
    RateEstimator rate_;
    bool running_ = false;
};

}  // namespace torvel
