#pragma once
// The address map of the board the tester's stepper tests talk to: coils 0..0Fh, registers
// 10h..3Fh, RAM/ROM up to 8000h, ten bytes a request.

#include "tester/address_rules.h"

namespace torvel::test {

inline TBoardRanges ExampleBoard() {
    TBoardRanges board;
    board.CoilEnd = 0x0F;
    board.HoldStart = 0x10;
    board.HoldEnd = 0x3F;
    board.PageOffsetMax = 0x8000;
    board.PageChunkSize = 10;
    return board;
}

}  // namespace torvel::test
