#include "tester/read_operation.h"

#include "common/hex.h"
#include "protocol/requests.h"
#include "tester/replies.h"

namespace torvel {

std::optional<TTesterRequest> TTesterRead::Start(const TReadSettings& settings) {
    settings_ = settings;
    repeatIndex_ = 0;
    pagesDone_ = 1;
    plan_.reset();
    pacer_ = settings.AutoRepeat ? TPacer::Repetition : TPacer::None;
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
            plan_ = PlanChunks(settings.Address, settings.Stepcount, settings.Board.PageChunkSize);
            if (!plan_) return std::nullopt;
            pacer_ = TPacer::Pages;
            last_ = {fnReadFileRecord,
                     ReadRecordsData(kPageFile, address, plan_->Chunks.front().Length)};
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
    step.End = pacer_ == TPacer::Repetition ? TStepEnd::Continue : TStepEnd::Done;
    return step;
}

TReadStep TTesterRead::PageReply(const QString& data) {
    TReadStep step;
    const int asked = plan_ ? plan_->Chunks[static_cast<std::size_t>(pagesDone_ - 1)].Length : 1;
    // Only the values that really arrived are shown and written.
    const QStringList values = PageReplyValues(data, asked);
    if (!values.isEmpty()) step.Shown = HexToInt(values.front());
    if (!plan_) {
        if (!values.isEmpty())
            step.Values.push_back(
                {values.front(), static_cast<std::uint16_t>(settings_.Address), 1});
        step.End = TStepEnd::Stop;
        return step;
    }
    const std::uint16_t record = plan_->Chunks[static_cast<std::size_t>(pagesDone_ - 1)].Record;
    for (int i = 0; i < values.size(); ++i) step.Values.push_back({values[i], record, i + 1});
    ++pagesDone_;
    if (pagesDone_ > plan_->RequestCount()) {
        step.End = TStepEnd::Stop;
        return step;
    }
    const TPageChunk& next = plan_->Chunks[static_cast<std::size_t>(pagesDone_ - 1)];
    last_ = {fnReadFileRecord, ReadRecordsData(kPageFile, next.Record, next.Length)};
    return step;
}

TRepetition TTesterRead::NextRepetition() {
    ++repeatIndex_;
    if (repeatIndex_ >= settings_.Stepcount) return {};
    return {last_, ProgressPercent(repeatIndex_ + 1, settings_.Stepcount)};
}

TRepetition TTesterRead::NextPage() const {
    return {last_, plan_ ? ProgressPercent(pagesDone_, plan_->RequestCount()) : 0};
}

}  // namespace torvel
