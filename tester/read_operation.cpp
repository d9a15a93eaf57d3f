#include "tester/read_operation.h"

#include "common/hex.h"
#include "protocol/requests.h"
#include "tester/replies.h"

namespace torvel {

std::optional<TTesterRequest> TTesterRead::Start(const TReadSettings& settings) {
    settings_ = settings;
    Begin(settings.AutoRepeat, settings.Stepcount);
    if (!AddressAdmitted(settings.AddrType, settings.Address, settings.Board)) return std::nullopt;
    const auto address = static_cast<unsigned>(settings.Address & 0xFFFF);
    switch (settings.AddrType) {
        case atCoil:
            last_ = {fnReadCoils, ReadCoilData(address)};
            break;
        case atRegister:
            last_ = {fnReadRegisters, ReadRegisterData(address)};
            break;
        case atPage:
            if (!settings.AutoRepeat) {
                last_ = {fnReadFileRecord, ReadRecordsData(kPageFile, address, 1)};
                break;
            }
            if (!PlanPages(settings.Address, settings.Stepcount, settings.Board.PageChunkSize))
                return std::nullopt;
            last_ = {fnReadFileRecord, ReadRecordsData(kPageFile, address, CurrentChunk().Length)};
            break;
    }
    return last_;
}

TReadStep TTesterRead::Reply(const DecodedReply& reply) {
    if (reply.function == fnReadFileRecord) return PageReply(reply.data);
    TReadStep step;
    const std::optional<QString> value = ReadReplyValue(reply.function, reply.data);
    if (!value) {
        step.Malformed = true;
        return step;
    }
    step.Shown = HexToInt(*value);
    // A register goes to the file with all four digits; its low byte is what is shown.
    step.Values.push_back({*value, static_cast<std::uint16_t>(repeatIndex_), 1});
    step.End = Pacer() == TPacer::Repetition ? TStepEnd::Continue : TStepEnd::Done;
    return step;
}

TReadStep TTesterRead::PageReply(const QString& data) {
    TReadStep step;
    const int asked = Paged() ? CurrentChunk().Length : 1;
    // Only the values that really arrived are shown and written.
    const QStringList values = PageReplyValues(data, asked);
    if (!values.isEmpty()) step.Shown = HexToInt(values.front());
    if (!Paged()) {
        if (!values.isEmpty())
            step.Values.push_back(
                {values.front(), static_cast<std::uint16_t>(settings_.Address), 1});
        step.End = TStepEnd::Stop;
        return step;
    }
    const std::uint16_t record = CurrentChunk().Record;
    for (int i = 0; i < values.size(); ++i) step.Values.push_back({values[i], record, i + 1});
    const TPageChunk* next = NextChunk();
    if (!next) {
        step.End = TStepEnd::Stop;
        return step;
    }
    last_ = {fnReadFileRecord, ReadRecordsData(kPageFile, next->Record, next->Length)};
    return step;
}

}  // namespace torvel
