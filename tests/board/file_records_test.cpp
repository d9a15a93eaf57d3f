#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "board/device.h"
#include "board_test_util.h"
#include "common/hex.h"
#include "protocol/requests.h"
#include "support/qt_printers.h"

namespace torvel::board {
namespace {

DeviceReply AskText(BoardDevice& device, std::uint8_t function, const QString& hexData) {
    return device.Serve(function, QByteArray::fromHex(hexData.toLatin1()));
}

struct ExchangeCase {
    int function;
    const char* data;
    const char16_t* reply;
};

void PrintTo(const ExchangeCase& c, std::ostream* os) {
    *os << "function " << c.function << " \"" << c.data << '"';
}

class PageRecords : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(PageRecords, ReadAndWriteOneByteARecord) {
    BoardOptions options;
    options.identity.pageCount = 1;
    options.identity.pageSize = 1024;
    BoardDevice device{options};
    ASSERT_EQ(Reply(device, 21, "08060000010000015A"), QStringLiteral("1508060000010000015A"));
    const ExchangeCase& c = GetParam();
    EXPECT_EQ(Reply(device, static_cast<std::uint8_t>(c.function), c.data),
              QString::fromUtf16(c.reply));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, PageRecords, ::testing::Values(
    // Reads give the count of values, reference type 6, then the bytes; an unwritten byte
    // holds the low byte of its address.
    ExchangeCase{20, "0706000001000001", u"140301065A"},
    ExchangeCase{20, "0706000001050003", u"14050306050607"},
    ExchangeCase{20, "0706000003FF0001", u"14030106FF"},     // the last byte of the page
    ExchangeCase{20, "0706000004000001", u"9402"},           // one past the page
    ExchangeCase{20, "0706000003FF0002", u"9402"},           // runs past the page
    ExchangeCase{20, "0706000100000001", u"9402"},           // file 1 does not exist
    ExchangeCase{20, "07060000000003FF", u"9403"},           // the reply would not fit a frame
    ExchangeCase{20, "07060000000003FF0001", u"9403"},       // byte count disagrees
    ExchangeCase{20, "0705000000000001", u"9403"},           // reference type 5
    ExchangeCase{20, "0706000000000000", u"9403"},           // no records
    ExchangeCase{20, "", u"9403"},
    // Writes are answered with the request itself.
    ExchangeCase{21, "0906000000200002AABB", u"150906000000200002AABB"},
    ExchangeCase{21, "0806000004000001AA", u"9502"},
    ExchangeCase{21, "0906000000200002AA", u"9503"},         // fewer bytes than counted
    ExchangeCase{21, "0906000000200003AABB", u"9503"},       // fewer bytes than the length
    ExchangeCase{21, "0706000000200000", u"9503"},
    ExchangeCase{21, "0806000000200001", u"9503"},
    ExchangeCase{21, "", u"9503"}));
// clang-format on

TEST(PageRecords, ReadBackWhatWasWritten) {
    BoardDevice device{BoardOptions{}};
    AskText(device, 21, WriteRecordsData(kPageFile, 0x7FFF, QStringLiteral("0102030405")));
    EXPECT_EQ(AskText(device, 20, ReadRecordsData(kPageFile, 0x7FFE, 7)).data,
              QStringLiteral("0907"
                             "06"
                             "FE0102030405"
                             "04"));
    EXPECT_EQ(device.memoryByte(0x8003), 5);
}

TEST(PageRecords, ChangeNothingWhenOneSubRequestIsBad) {
    BoardDevice device{BoardOptions{}};
    // Two writes in one request; the second addresses file 1.
    EXPECT_EQ(Reply(device, 21,
                    "100600000010000177"
                    "0600010000000177"),
              QStringLiteral("9502"));
    EXPECT_EQ(device.memoryByte(0x10), 0x10);
}

TEST(PageRecords, ServeSeveralSubRequestsInOrder) {
    BoardDevice device{BoardOptions{}};
    EXPECT_EQ(Reply(device, 20,
                    "0E"
                    "06000000100002"
                    "06000000200001"),
              QStringLiteral("14"
                             "07"
                             "02061011"
                             "010620"));
}

class FpgaUpload : public ::testing::Test {
protected:
    QString Upload(BoardDevice& device, const QByteArray& image) {
        QString failed;
        auto send = [&](unsigned record, const QByteArray& bytes) {
            const QString data =
                WriteRecordsData(10, record, QString::fromLatin1(bytes.toHex().toUpper()));
            const DeviceReply reply = AskText(device, 21, data);
            if (reply.isException() || reply.data != data) failed = reply.data;
        };
        send(0, QByteArray(1, '\0'));
        for (qsizetype at = 0; at < image.size(); at += at == 0 ? 1 : 20)
            send(1, image.mid(at, at == 0 ? 1 : 20));
        send(2, QByteArray(1, '\0'));
        return failed;
    }

    QTemporaryDir folder_;
};

TEST_F(FpgaUpload, AssemblesTheImageAndDumpsItAtTheEndRecord) {
    QByteArray image(1000, '\0');
    QRandomGenerator random(7);
    for (char& byte : image) byte = static_cast<char>(random.bounded(256));
    BoardOptions options;
    options.dumpPath = folder_.filePath(QStringLiteral("image.bin"));
    BoardDevice device{options};

    EXPECT_EQ(Upload(device, image), QString());
    EXPECT_TRUE(device.fpgaConfigured());
    EXPECT_EQ(device.fpgaImage(), image);
    QFile dump(options.dumpPath);
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_EQ(dump.readAll(), image);
    EXPECT_EQ(Reply(device, 17, "").mid(6, 2), QStringLiteral("FF"));
}

TEST_F(FpgaUpload, StartsAfreshAndUnconfiguresAtRecordZero) {
    BoardDevice device{BoardOptions{}};
    ASSERT_EQ(Upload(device, QByteArray("\x01\x02", 2)), QString());
    ASSERT_TRUE(device.fpgaConfigured());
    Reply(device, 21, "0806000A0000000100");
    EXPECT_FALSE(device.fpgaConfigured());
    EXPECT_TRUE(device.fpgaImage().isEmpty());
    EXPECT_EQ(Reply(device, 17, "").mid(6, 2), QStringLiteral("00"));
}

TEST_F(FpgaUpload, RefusesOtherRecordsOfTheImageFile) {
    BoardDevice device{BoardOptions{}};
    EXPECT_EQ(Reply(device, 21, "0806000A0003000100"), QStringLiteral("9502"));
}

TEST_F(FpgaUpload, ReportsADumpThatCannotBeWrittenAndStaysUnconfigured) {
    BoardOptions options;
    options.dumpPath = folder_.filePath(QStringLiteral("missing/folder/image.bin"));
    BoardDevice device{options};
    Reply(device, 21, "0806000A0000000100");
    Reply(device, 21, "0806000A0001000177");
    EXPECT_EQ(Reply(device, 21, "0806000A0002000100"), QStringLiteral("9504"));
    EXPECT_FALSE(device.fpgaConfigured());
}

TEST_F(FpgaUpload, BoundsTheImage) {
    BoardDevice device{BoardOptions{}};
    const QString chunk =
        QStringLiteral("F70600 0A00010 0F0").remove(u' ') + QString(2 * 240, u'A');
    qsizetype sent = 0;
    DeviceReply reply;
    while (sent <= BoardDevice::kMaxImage) {
        reply = AskText(device, 21, chunk);
        if (reply.isException()) break;
        sent += 240;
    }
    EXPECT_EQ(reply.data, QStringLiteral("04"));
    EXPECT_LE(device.fpgaImage().size(), BoardDevice::kMaxImage);
}

}  // namespace
}  // namespace torvel::board
