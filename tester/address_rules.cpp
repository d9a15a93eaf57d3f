#include "tester/address_rules.h"

namespace torvel {

namespace {

bool Within(std::int64_t value, int first, int last) {
    return value >= first && value <= last;
}

}  // namespace

bool AddressAdmitted(TAddrType type, std::int64_t address, const TBoardRanges& board) {
    switch (type) {
        case atCoil:
            return Within(address, board.CoilStart, board.CoilEnd);
        case atRegister:
            return Within(address, board.HoldStart, board.HoldEnd);
        case atPage:
            return board.PageChunkSize >= 1 &&
                   Within(address, board.PageOffsetMin, board.PageOffsetMax);
    }
    return false;
}

int AddressMaxLength(TAddrType type, TBase base) {
    const bool decimal = base == bDEC;
    switch (type) {
        case atCoil:
        case atRegister:
            return decimal ? 3 : 2;
        case atPage:
            break;
    }
    return decimal ? 6 : 5;
}

}  // namespace torvel
