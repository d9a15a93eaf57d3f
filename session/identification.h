#pragma once
// Identification: asks the board who it is (function 17) and takes its answer into the
// session's device, which decides what may be loaded and tested.

#include "protocol/exchange.h"
#include "session/board_session.h"

namespace torvel {

class TIdentification {
public:
    explicit TIdentification(TBoardSession& session);

    // Cuts short a tester operation, opens the port when needed and sends the request.
    TRefusal Start();

private:
    void Reply(const DecodedReply& reply);
    void End(TRunEndReason reason);

    TBoardSession& session_;
    TExchangeOperation operation_;
};

}  // namespace torvel
