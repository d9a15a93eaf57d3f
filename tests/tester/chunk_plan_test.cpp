#include "tester/chunk_plan.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace torvel;

namespace {

struct PlanCase {
    std::int64_t First;
    std::int64_t Count;
    int ChunkSize;
    std::vector<std::pair<int, int>> Chunks;  // record, length; empty: refused
};

class PlanChunksTest : public testing::TestWithParam<PlanCase> {};

TEST_P(PlanChunksTest, SplitsTheRun) {
    const PlanCase& c = GetParam();
    const std::optional<TChunkPlan> plan = PlanChunks(c.First, c.Count, c.ChunkSize);
    if (c.Chunks.empty()) {
        EXPECT_FALSE(plan.has_value());
        return;
    }
    ASSERT_TRUE(plan.has_value());
    std::vector<std::pair<int, int>> chunks;
    for (const TPageChunk& chunk : plan->Chunks) chunks.emplace_back(chunk.Record, chunk.Length);
    EXPECT_EQ(chunks, c.Chunks);
    EXPECT_EQ(plan->LastChunkSize, c.Chunks.back().second);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, PlanChunksTest, testing::Values(
    PlanCase{0x100, 25, 10, {{0x100, 10}, {0x10A, 10}, {0x114, 5}}},
    PlanCase{0x100, 20, 10, {{0x100, 10}, {0x10A, 10}}},
    PlanCase{0x100, 7,  10, {{0x100, 7}}},
    PlanCase{0x100, 10, 10, {{0x100, 10}}},
    PlanCase{0xFFF0, 16, 10, {{0xFFF0, 10}, {0xFFFA, 6}}},  // ends at FFFFh
    PlanCase{0xFFF0, 17, 10, {}},                           // would wrap to 0
    PlanCase{0x100, 25, 0,  {}},                            // no byte per request
    PlanCase{0x100, 0,  10, {}}));
// clang-format on

TEST(ProgressPercent, RoundsToTheNearestPercent) {
    EXPECT_EQ(ProgressPercent(1, 8), 13);
    EXPECT_EQ(ProgressPercent(2, 3), 67);
    EXPECT_EQ(ProgressPercent(1, 3), 33);
    EXPECT_EQ(ProgressPercent(3, 3), 100);
    EXPECT_EQ(ProgressPercent(1, 0), 0);
}

}  // namespace
