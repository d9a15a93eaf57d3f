#include "protocol/requests.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "support/qt_printers.h"

using namespace torvel;

namespace {

TEST(RequestData, BuildsCoilAndRegisterRequests) {
    EXPECT_EQ(IdentifyData(), QString());
    EXPECT_EQ(ReadCoilData(0x0F), QStringLiteral("000F0001"));
    EXPECT_EQ(ReadRegisterData(0x10), QStringLiteral("00100001"));
    EXPECT_EQ(WriteCoilData(3, 0xFF), QStringLiteral("0003FF00"));
    EXPECT_EQ(WriteRegisterData(5, 0x12), QStringLiteral("00050012"));
}

TEST(RequestData, BuildsFileRecordRequestsOfReferenceTypeSix) {
    EXPECT_EQ(ReadRecordsData(kPageFile, 0x100, 1), QStringLiteral("0706000001000001"));
    EXPECT_EQ(ReadRecordsData(kPageFile, 0x7FFF, 20), QStringLiteral("070600007FFF0014"));
    EXPECT_EQ(WriteRecordsData(kPageFile, 0x100, QStringLiteral("5A")),
              QStringLiteral("08060000010000015A"));
    EXPECT_EQ(WriteRecordsData(kPageFile, 0x20, QStringLiteral("0102")),
              QStringLiteral("090600000020000201"
                             "02"));
}

TEST(RequestData, CountsBytesLikeTheUploadRecords) {
    EXPECT_EQ(WriteRecordsData(10, 0, QStringLiteral("00")), QStringLiteral("0806000A0000000100"));
    EXPECT_EQ(WriteRecordsData(10, 2, QStringLiteral("00")), QStringLiteral("0806000A0002000100"));
    const QString chunk = RepeatText(QStringLiteral("AB"), 115);
    EXPECT_TRUE(WriteRecordsData(10, 1, chunk).startsWith(QStringLiteral("7A06000A00010073")));
}

TEST(RequestData, BuildsArmingAndDisarming) {
    EXPECT_EQ(ArmInterruptData(1, 3, true, 0x10, 2), QStringLiteral("010003FF1002"));
    EXPECT_EQ(ArmInterruptData(0, 1, false, 0, 1), QStringLiteral("000001000001"));
    EXPECT_EQ(DisarmInterruptData(0), QStringLiteral("000000"));
    EXPECT_EQ(DisarmInterruptData(1), QStringLiteral("010000"));
}

}  // namespace
