#include "tester/repetition.h"

namespace torvel {

void TRepeatingOperation::Begin(bool autoRepeat, int stepcount) {
    pacer_ = autoRepeat ? TPacer::Repetition : TPacer::None;
    stepcount_ = stepcount;
    repeatIndex_ = 0;
    pagesDone_ = 1;
    plan_.reset();
}

bool TRepeatingOperation::PlanPages(std::int64_t first, int count, int chunkSize) {
    plan_ = PlanChunks(first, count, chunkSize);
    if (!plan_) return false;
    pacer_ = TPacer::Pages;
    return true;
}

const TPageChunk& TRepeatingOperation::CurrentChunk() const {
    return plan_->Chunks[static_cast<std::size_t>(pagesDone_ - 1)];
}

const TPageChunk* TRepeatingOperation::NextChunk() {
    ++pagesDone_;
    if (pagesDone_ > plan_->RequestCount()) return nullptr;
    return &plan_->Chunks[static_cast<std::size_t>(pagesDone_ - 1)];
}

TRepetition TRepeatingOperation::NextRepetition() {
    ++repeatIndex_;
    if (repeatIndex_ >= stepcount_) return {};
    return {last_, ProgressPercent(repeatIndex_ + 1, stepcount_)};
}

TRepetition TRepeatingOperation::NextPage() const {
    return {last_, plan_ ? ProgressPercent(pagesDone_, plan_->RequestCount()) : 0};
}

TRequestCount TRepeatingOperation::Requests() const {
    switch (pacer_) {
        case TPacer::Repetition:
            return {repeatIndex_ + 1, stepcount_};
        case TPacer::Pages:
            // The chunk in flight is the one the answered ones lead to.
            return {pagesDone_, plan_->RequestCount()};
        case TPacer::None:
            break;
    }
    return {};
}

}  // namespace torvel
