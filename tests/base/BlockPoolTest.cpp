#include "engine/base/BlockPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

struct TBlock {
    unsigned char* Bytes;
    std::size_t Size;
    unsigned char Fill;
};

TBlock Take(std::size_t size, unsigned char fill)
{
    auto* bytes = static_cast<unsigned char*>(BlockPool::Allocate(size));
    std::memset(bytes, fill, size);
    return {bytes, size, fill};
}

bool Intact(const TBlock& block)
{
    return std::all_of(block.Bytes, block.Bytes + block.Size, [&](unsigned char b) { return b == block.Fill; });
}

} // namespace

TEST(BlockPool, BlocksOfEverySizeKeepTheirBytesWhileOthersComeAndGo)
{
    // Sizes of sections and of anything larger, in an order and a number
    // that fill several chunks and reuse freed blocks.
    std::mt19937 random(7);
    std::vector<TBlock> live;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 20000; ++i) {
            const std::size_t size = 1 + random() % 300;
            live.push_back(Take(size, static_cast<unsigned char>(random())));
        }
        std::shuffle(live.begin(), live.end(), random);
        for (std::size_t i = 0; i < live.size() / 2; ++i)
            BlockPool::Free(live[i].Bytes, live[i].Size);
        live.erase(live.begin(), live.begin() + static_cast<std::ptrdiff_t>(live.size() / 2));
    }
    EXPECT_TRUE(std::all_of(live.begin(), live.end(), Intact));

    std::sort(live.begin(), live.end(), [](const TBlock& a, const TBlock& b) { return a.Bytes < b.Bytes; });
    for (std::size_t i = 1; i < live.size(); ++i)
        ASSERT_LE(live[i - 1].Bytes + live[i - 1].Size, live[i].Bytes) << "blocks overlap";
    for (const TBlock& block : live)
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.Bytes) % alignof(void*), 0u);

    for (const TBlock& block : live)
        BlockPool::Free(block.Bytes, block.Size);
    // Every chunk has gone back; the pool starts again.
    const TBlock again = Take(56, 0x5A);
    EXPECT_TRUE(Intact(again));
    BlockPool::Free(again.Bytes, again.Size);
}
