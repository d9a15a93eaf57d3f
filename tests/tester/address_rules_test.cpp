#include "tester/address_rules.h"

#include <gtest/gtest.h>

using namespace torvel;

namespace {

// The example board: coils 0..0Fh, registers 10h..3Fh, 32 KB of RAM/ROM, a chunk of 10.
constexpr TBoardRanges kBoard{0, 0x0F, 0x10, 0x3F, 0, 0x8000, 10};

struct AddressCase {
    TAddrType Type;
    std::int64_t Address;
    bool Admitted;
};

class AddressAdmittedTest : public testing::TestWithParam<AddressCase> {};

TEST_P(AddressAdmittedTest, ChecksTheRangeOfTheType) {
    const AddressCase& c = GetParam();
    EXPECT_EQ(AddressAdmitted(c.Type, c.Address, kBoard), c.Admitted);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, AddressAdmittedTest, testing::Values(
    AddressCase{atCoil,     0x0F,    true},
    AddressCase{atCoil,     0x10,    false},   // one past the last coil
    AddressCase{atCoil,     -1,      false},
    AddressCase{atRegister, 0x10,    true},
    AddressCase{atRegister, 0x0F,    false},
    AddressCase{atRegister, 0x10010, false},   // its low 16 bits would pass
    AddressCase{atPage,     0x8000,  true},    // PageSize itself is admitted
    AddressCase{atPage,     0x8001,  false}));
// clang-format on

TEST(AddressAdmitted, RefusesRamWhileTheBufferTakesNoByte) {
    TBoardRanges board = kBoard;
    board.PageChunkSize = 0;
    EXPECT_FALSE(AddressAdmitted(atPage, 0x100, board));
    EXPECT_TRUE(AddressAdmitted(atCoil, 3, board));
}

TEST(AddressMaxLength, RegistersAndCoilsTakeOneByteOfDigits) {
    EXPECT_EQ(AddressMaxLength(atCoil, bHEX), 2);
    EXPECT_EQ(AddressMaxLength(atCoil, bDEC), 3);
    EXPECT_EQ(AddressMaxLength(atRegister, bHEX), 2);
    EXPECT_EQ(AddressMaxLength(atRegister, bDEC), 3);
    EXPECT_EQ(AddressMaxLength(atPage, bHEX), 5);
    EXPECT_EQ(AddressMaxLength(atPage, bDEC), 6);
}

}  // namespace
