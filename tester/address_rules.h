#pragma once
// Which tester addresses the connected board admits, and how many digits the address field
// takes for each address type.

#include <cstdint>

#include "tester/multi_base.h"

namespace torvel {

// The index of the address-type switch (RadioGroup1).
enum TAddrType : int { atCoil = 0, atRegister = 1, atPage = 2 };

// The board's address map as identification reported it; every range is inclusive.
struct TBoardRanges {
    int CoilStart = 0;
    int CoilEnd = 0;
    int HoldStart = 0;
    int HoldEnd = 0;
    int PageOffsetMin = 0;
    int PageOffsetMax = 0x7FFF;
    int PageChunkSize = 0;
};

// The address check of a read or a write, on the full value of the address field (signed,
// before it is cut to 16 bits). A RAM/ROM address is refused outright while the board's
// buffer holds no data byte per request (PageChunkSize below 1): any request would fail.
bool AddressAdmitted(TAddrType type, std::int64_t address, const TBoardRanges& board);

// Maximum length of the address field for its type and base. Coil and register ranges are
// reported in one byte each, so they take two hex or three decimal digits; RAM/ROM addresses
// five hex or six decimal digits.
int AddressMaxLength(TAddrType type, TBase base);

}  // namespace torvel
