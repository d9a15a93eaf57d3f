#include "tester/write_operation.h"

#include <utility>

#include "common/hex.h"
#include "common/text.h"
#include "protocol/requests.h"

namespace torvel {

TWriteStart TTesterWrite::Start(TWriteSettings settings) {
    settings_ = std::move(settings);
    Begin(settings_.AutoRepeat, settings_.Stepcount);
    TWriteStart start;
    if (!AddressAdmitted(settings_.AddrType, settings_.Address, settings_.Board)) {
        start.Refusal = TWriteRefusal::wrAddress;
        return start;
    }
    const auto address = static_cast<unsigned>(settings_.Address & 0xFFFF);
    // A single value: the field's, or the file's first ("00" when it holds none).
    const std::uint8_t value =
        settings_.WriteFromFile ? HexToInt(NextInputValue(settings_.Inputs, 0)) : settings_.Value;
    switch (settings_.AddrType) {
        case atCoil:
            last_ = {fnWriteCoil, WriteCoilData(address, value)};
            start.Shown = value;
            break;
        case atRegister:
            last_ = {fnWriteRegister, WriteRegisterData(address, value)};
            start.Shown = value;
            break;
        case atPage: {
            if (!settings_.AutoRepeat) {
                last_ = {fnWriteFileRecord, WriteRecordsData(kPageFile, address, Hex(value, 2))};
                start.Shown = value;
                break;
            }
            int count = settings_.Stepcount;
            if (settings_.WriteFromFile) {
                TRepeatReduction reduced = ReduceRepeatCount(
                    count, static_cast<int>(settings_.Inputs.size()), settings_.InputFileName);
                if (reduced.Stepcount < count) start.Stepcount = reduced.Stepcount;
                count = reduced.Stepcount;
                start.Events = std::move(reduced.Events);
                // Nothing to write: a request of no bytes would only draw an exception.
                if (count < 1) {
                    start.Refusal = TWriteRefusal::wrNoValues;
                    return start;
                }
            }
            if (!PlanPages(settings_.Address, count, settings_.Board.PageChunkSize)) {
                start.Refusal = TWriteRefusal::wrAddress;
                return start;
            }
            last_ = {fnWriteFileRecord,
                     WriteRecordsData(kPageFile, address, ChunkBytes(CurrentChunk().Length))};
            break;
        }
    }
    start.Request = last_;
    return start;
}

TWriteStep TTesterWrite::Reply(const DecodedReply& reply) {
    TWriteStep step;
    if (reply.function == fnWriteFileRecord) {
        const TPageChunk* next = Paged() ? NextChunk() : nullptr;
        if (!next) {
            step.End = TStepEnd::Stop;
            return step;
        }
        last_ = {fnWriteFileRecord,
                 WriteRecordsData(kPageFile, next->Record, ChunkBytes(next->Length))};
        return step;
    }
    if (Pacer() != TPacer::Repetition) {
        step.End = TStepEnd::Done;
        return step;
    }
    // From a file, repetition k carries input value k; the timer counts it when it sends.
    if (settings_.WriteFromFile) {
        const std::uint8_t value = HexToInt(NextInputValue(settings_.Inputs, repeatIndex_ + 1));
        const auto address = static_cast<unsigned>(settings_.Address & 0xFFFF);
        last_.Data = last_.Function == fnWriteCoil ? WriteCoilData(address, value)
                                                   : WriteRegisterData(address, value);
        step.Shown = value;
    }
    return step;
}

QString TTesterWrite::ChunkBytes(int length) {
    if (settings_.WriteFromFile) return NextInputValues(settings_.Inputs, repeatIndex_, length);
    return RepeatText(Hex(settings_.Value, 2), length);
}

}  // namespace torvel
