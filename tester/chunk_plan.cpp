#include "tester/chunk_plan.h"

namespace torvel {

namespace {

constexpr std::int64_t kLastRecord = 0xFFFF;

}  // namespace

std::optional<TChunkPlan> PlanChunks(std::int64_t first, std::int64_t count, int chunkSize) {
    if (chunkSize < 1 || count < 1 || first < 0 || first + count - 1 > kLastRecord)
        return std::nullopt;
    TChunkPlan plan;
    plan.ChunkSize = chunkSize;
    plan.Chunks.reserve(static_cast<std::size_t>((count + chunkSize - 1) / chunkSize));
    for (std::int64_t done = 0; done < count; done += chunkSize) {
        const std::int64_t length = count - done < chunkSize ? count - done : chunkSize;
        plan.Chunks.push_back({static_cast<std::uint16_t>(first + done), static_cast<int>(length)});
    }
    plan.LastChunkSize = plan.Chunks.back().Length;
    return plan;
}

int ProgressPercent(std::int64_t done, std::int64_t total) {
    if (total <= 0) return 0;
    // Halves round up: 1 of 8 is 13.
    return static_cast<int>((200 * done + total) / (2 * total));
}

}  // namespace torvel
