#include "engine/base/BlockPool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <thread>
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

// A large page freed but for a few blocks that outlive it (the next page's,
// or a long-lived object of the same size): the chunks around them go back
// when the next page starts, and the pool goes on as before.
TEST(BlockPool, AFewSurvivingBlocksKeepOnlyTheirOwnChunks)
{
    constexpr std::size_t kSize = 56;
    const std::size_t before = BlockPool::ChunkBytes();
    std::vector<TBlock> page;
    for (int i = 0; i < 400000; ++i)
        page.push_back(Take(kSize, static_cast<unsigned char>(i)));
    const std::vector<TBlock> survivors{page.front(), page[page.size() / 2], page.back()};
    std::mt19937 random(11);
    std::shuffle(page.begin(), page.end(), random);
    for (const TBlock& block : page)
        if (std::find_if(survivors.begin(), survivors.end(),
                         [&](const TBlock& survivor) { return survivor.Bytes == block.Bytes; }) == survivors.end())
            BlockPool::Free(block.Bytes, block.Size);
    EXPECT_GE(BlockPool::ChunkBytes(), before + 20'000'000);

    BlockPool::ReleaseFreedMemory();
    EXPECT_LE(BlockPool::ChunkBytes(), before + 3 * 64 * 1024);
    EXPECT_TRUE(std::all_of(survivors.begin(), survivors.end(), Intact));

    std::vector<TBlock> next = survivors;
    for (int i = 0; i < 5000; ++i)
        next.push_back(Take(kSize, static_cast<unsigned char>(i * 7)));
    std::sort(next.begin(), next.end(), [](const TBlock& a, const TBlock& b) { return a.Bytes < b.Bytes; });
    for (std::size_t i = 1; i < next.size(); ++i)
        ASSERT_LE(next[i - 1].Bytes + kSize, next[i].Bytes) << "blocks overlap";
    EXPECT_TRUE(std::all_of(next.begin(), next.end(), Intact));
    for (const TBlock& block : next)
        BlockPool::Free(block.Bytes, block.Size);
    EXPECT_EQ(BlockPool::ChunkBytes(), before);
}

// A page built and freed on a worker thread uses the worker's own pool, which
// goes with the thread (the sanitizer build's leak check sees it go).
TEST(BlockPool, AWorkerThreadHasItsOwnPool)
{
    const std::size_t before = BlockPool::ChunkBytes();
    std::size_t workerHeld = 0;
    std::thread worker([&workerHeld] {
        std::vector<TBlock> page;
        for (int i = 0; i < 20000; ++i)
            page.push_back(Take(24 + i % 64, static_cast<unsigned char>(i)));
        workerHeld = BlockPool::ChunkBytes();
        const bool intact = std::all_of(page.begin(), page.end(), Intact);
        for (const TBlock& block : page)
            BlockPool::Free(block.Bytes, block.Size);
        EXPECT_TRUE(intact);
        EXPECT_EQ(BlockPool::ChunkBytes(), 0u);
    });
    worker.join();
    EXPECT_GT(workerHeld, 0u);
    EXPECT_EQ(BlockPool::ChunkBytes(), before);
}
