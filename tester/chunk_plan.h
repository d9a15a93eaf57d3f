#pragma once
// The requests of a repeated RAM/ROM read or write: `count` bytes from one address, moved in
// chunks of at most the board's PageChunkSize, one function 20/21 request per chunk.

#include <cstdint>
#include <optional>
#include <vector>

namespace torvel {

struct TPageChunk {
    std::uint16_t Record = 0;  // the byte address of the chunk's first byte
    int Length = 0;
};

struct TChunkPlan {
    std::vector<TPageChunk> Chunks;  // in the order they are sent; never empty
    int ChunkSize = 0;               // every chunk but the last has this length
    int LastChunkSize = 0;
    int RequestCount() const { return static_cast<int>(Chunks.size()); }
};

// Full chunks, then the remainder (if any) as a last, shorter one. Nothing is planned
// (nullopt) when chunkSize is below 1, when count is below 1, or when the run would pass
// address FFFFh: the board's records are 16-bit, so such a run would wrap to 0 and put values
// under wrong addresses. The first two refusals the caller reports as an invalid address.
std::optional<TChunkPlan> PlanChunks(std::int64_t first, std::int64_t count, int chunkSize);

// PBTest's position: done out of total as a percentage, to the nearest integer.
int ProgressPercent(std::int64_t done, std::int64_t total);

}  // namespace torvel
