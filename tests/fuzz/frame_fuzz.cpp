// Reply validation on arbitrary packets (each byte one character, as received), and the
// request line built around arbitrary data, which the same validation must accept.

#include <QString>
#include <cstdint>

#include "common/hex.h"
#include "fuzz/fuzz_support.h"
#include "protocol/frame.h"
#include "protocol/outcome.h"
#include "protocol/requests.h"

namespace {

using namespace torvel;

constexpr std::uint8_t kUnwritten = 0xA5;

void CheckValidation(const QString& packet, std::uint8_t requestFunction) {
    std::uint8_t function = kUnwritten;
    QString payload = QStringLiteral("stale");
    const bool valid = ValidateFrame(packet, function, payload);
    const ExaminedReply examined = ExamineReply(packet, requestFunction);
    const DecodedReply& reply = examined.reply;
    const bool ends = !examined.otherFunction;

    if (!valid) {
        FUZZ_CHECK(payload.isEmpty() && function == kUnwritten,
                   QStringLiteral("a rejected frame wrote function %1 payload \"%2\"")
                       .arg(function)
                       .arg(payload));
        FUZZ_CHECK(ends && (examined.outcome == ExchangeOutcome::eoBadLrc ||
                            examined.outcome == ExchangeOutcome::eoBadFrame),
                   QStringLiteral("ExamineReply accepted what ValidateFrame rejected"));
        return;
    }

    // The payload is the packet's own text after the function (exception) or byte count.
    const bool exception = function & 0x80;
    const qsizetype from = exception ? 4 : 6;
    FUZZ_CHECK(
        payload.size() <= (exception ? 2 : 2 * 255) && packet.mid(from, payload.size()) == payload,
        QStringLiteral("payload \"%1\" not taken from \"%2\"").arg(payload, packet));
    const bool normal = !exception;
    if (!ends || examined.outcome == ExchangeOutcome::eoBadFrame) {
        // Only a frame of the request's function with a sound length answers it.
        FUZZ_CHECK(ends == ((function & 0x7F) == (requestFunction & 0x7F)) || packet.size() < 7,
                   QStringLiteral("function %1 taken as leftover for request %2")
                       .arg(function)
                       .arg(requestFunction));
        return;
    }
    FUZZ_CHECK(reply.function == function,
               QStringLiteral("ExamineReply decoded otherwise than ValidateFrame"));
    if (normal) {
        // A sound reply carries exactly the bytes its count announces; the echo of a coil or
        // register write has no count and repeats the request's address and value.
        const bool echo = function == fnWriteCoil || function == fnWriteRegister;
        const qsizetype framing = echo ? 4 + 2 + 1 : 4 + 2 + 2 + 1;
        FUZZ_CHECK(examined.outcome == ExchangeOutcome::eoReply && reply.data.size() % 2 == 0 &&
                       (!echo || reply.data.size() == 8) &&
                       packet.size() == framing + reply.data.size(),
                   QStringLiteral("reply \"%1\" taken with data \"%2\"").arg(packet, reply.data));
        return;
    }
    const QString message = ExceptionMessage(reply.exceptionCode);
    FUZZ_CHECK(examined.outcome == ExchangeOutcome::eoException &&
                   reply.exceptionCode == HexToInt(payload.left(2)) &&
                   OutcomeText(examined.outcome, reply.exceptionCode).tag == message,
               QStringLiteral("exception reply \"%1\" reported as code %2, \"%3\"")
                   .arg(packet)
                   .arg(reply.exceptionCode)
                   .arg(message));
}

// A text of even length followed by its LRC sums to zero, whatever its characters.
void CheckLrcClosesText(const QString& text) {
    const QString even = text.left(text.size() & ~qsizetype{1});
    const QString closed = even + Hex(ComputeLrc(even), 2);
    FUZZ_CHECK(ComputeLrc(closed) == 0, QStringLiteral("LRC does not close \"%1\"").arg(even));
}

// What the master writes comes back, as the framer cuts it, as a valid frame.
void CheckRequestLineValidates(std::uint8_t address, std::uint8_t function, const QString& data) {
    const QString line = RequestLine(address, function, data);
    FUZZ_CHECK(line.startsWith(u':') && line.endsWith(u"\r\n"),
               QStringLiteral("request line not framed: \"%1\"").arg(line));
    const QString packet = line.mid(1, line.size() - 2);
    std::uint8_t decoded = kUnwritten;
    QString payload;
    FUZZ_CHECK(ValidateFrame(packet, decoded, payload) && decoded == function,
               QStringLiteral("own request \"%1\" fails validation").arg(packet));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = fuzz::Latin1Text(data, size);
    // Every packet once as the answer to its own function and once against an
    // identification, so that both answers and leftovers of every seed are reached.
    CheckValidation(text, HexToInt(text.mid(2, 2)));
    CheckValidation(text, fnReportSlaveId);
    CheckLrcClosesText(text);
    if (size >= 2) CheckRequestLineValidates(data[0], data[1], text.mid(2));
    return 0;
}
