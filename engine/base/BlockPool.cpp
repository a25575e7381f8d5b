#include "engine/base/BlockPool.h"

#include <algorithm>
#include <array>
#include <functional>
#include <malloc.h>
#include <memory>
#include <new>
#include <unistd.h>
#include <vector>

// GCC says that the address sanitizer is on with a macro, clang with a feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEF_ADDRESS_SANITIZER
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(ZEF_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
// Free blocks are poisoned, so that the address sanitizer still reports the
// use of a freed object.
#define ZEF_POISON(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define ZEF_UNPOISON(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define ZEF_POISON(block, size) (static_cast<void>(block), static_cast<void>(size))
#define ZEF_UNPOISON(block, size) (static_cast<void>(block), static_cast<void>(size))
#endif

namespace {

constexpr std::size_t kGrain = alignof(void*);
// Larger objects are few: they come from the general allocator.
constexpr std::size_t kLargestBlock = 256;
constexpr std::size_t kChunkSize = 64 * 1024;
// A page of some 100 000 sections: less is not worth a trim.
constexpr std::size_t kTrimThreshold = 16 * 1024 * 1024;

// The bytes of chunks taken since the last release: many mean a large page,
// whose memory, once freed, is worth handing back.
thread_local std::size_t takenBytes = 0;

struct TFreeBlock {
    TFreeBlock* Next;
};

// The blocks of one size.
class TSizeClass {
public:
    void* Allocate(std::size_t blockSize)
    {
        ++live_;
        if (free_) {
            TFreeBlock* block = free_;
            ZEF_UNPOISON(block, blockSize);
            free_ = block->Next;
            return block;
        }
        if (unused_ == chunkEnd_) {
            chunks_.push_back(std::make_unique_for_overwrite<std::byte[]>(kChunkSize));
            takenBytes += kChunkSize;
            unused_ = chunks_.back().get();
            ZEF_POISON(unused_, kChunkSize);
            chunkEnd_ = unused_ + kChunkSize / blockSize * blockSize;
        }
        std::byte* block = unused_;
        unused_ += blockSize;
        ZEF_UNPOISON(block, blockSize);
        return block;
    }

    void Free(void* block, std::size_t blockSize)
    {
        if (--live_ == 0) {
            // The chunks go: the blocks on the free list are all in them.
            for (const auto& chunk : chunks_)
                ZEF_UNPOISON(chunk.get(), kChunkSize);
            chunks_.clear();
            chunks_.shrink_to_fit();
            free_ = nullptr;
            unused_ = chunkEnd_ = nullptr;
            return;
        }
        free_ = ::new (block) TFreeBlock{free_};
        ZEF_POISON(block, blockSize);
    }

    bool HasLiveBlocks() const { return live_ > 0; }
    std::size_t ChunkBytes() const { return chunks_.size() * kChunkSize; }

    // Gives back the chunks whose blocks are all on the free list. A few
    // blocks that outlive a large page (another page's, or a long-lived
    // object of the same size) would otherwise keep all the page's chunks.
    // Takes a walk of the free list: worth it only after a large page.
    void ReleaseEmptyChunks(std::size_t blockSize)
    {
        if (!free_)
            return;
        std::ranges::sort(chunks_, std::less{}, [](const auto& chunk) { return chunk.get(); });
        std::vector<std::size_t> freeBlocks(chunks_.size());
        for (TFreeBlock* block = free_; block; block = NextFree(block, blockSize))
            ++freeBlocks[ChunkIndex(block)];

        std::vector<bool> empty(chunks_.size());
        for (std::size_t index = 0; index < chunks_.size(); ++index)
            empty[index] = freeBlocks[index] == HandedOut(index, blockSize);
        // The free list without the blocks of the chunks that go, in its order.
        TFreeBlock* first = nullptr;
        TFreeBlock* last = nullptr;
        for (TFreeBlock* block = free_; block;) {
            TFreeBlock* next = NextFree(block, blockSize);
            if (!empty[ChunkIndex(block)]) {
                if (last)
                    SetNextFree(last, block, blockSize);
                else
                    first = block;
                last = block;
            }
            block = next;
        }
        if (last)
            SetNextFree(last, nullptr, blockSize);
        free_ = first;

        std::size_t kept = 0;
        for (std::size_t index = 0; index < chunks_.size(); ++index) {
            if (!empty[index]) {
                chunks_[kept++] = std::move(chunks_[index]);
                continue;
            }
            std::byte* chunk = chunks_[index].get();
            if (IsCutFrom(chunk))
                unused_ = chunkEnd_ = nullptr;
            ZEF_UNPOISON(chunk, kChunkSize);
            chunks_[index].reset();
        }
        chunks_.resize(kept);
        chunks_.shrink_to_fit();
    }

private:
    static TFreeBlock* NextFree(TFreeBlock* block, std::size_t blockSize)
    {
        ZEF_UNPOISON(block, sizeof(TFreeBlock));
        TFreeBlock* next = block->Next;
        ZEF_POISON(block, blockSize);
        return next;
    }

    static void SetNextFree(TFreeBlock* block, TFreeBlock* next, std::size_t blockSize)
    {
        ZEF_UNPOISON(block, sizeof(TFreeBlock));
        block->Next = next;
        ZEF_POISON(block, blockSize);
    }

    // The chunk a block lies in; the chunks are sorted by address.
    std::size_t ChunkIndex(const TFreeBlock* block) const
    {
        const auto* byte = reinterpret_cast<const std::byte*>(block);
        const auto after = std::ranges::upper_bound(chunks_, byte, std::less{},
                                                    [](const auto& chunk) -> const std::byte* { return chunk.get(); });
        return static_cast<std::size_t>(after - chunks_.begin()) - 1;
    }

    // The blocks a chunk has given out: all that fit, but in the chunk that
    // new blocks are still cut from.
    std::size_t HandedOut(std::size_t index, std::size_t blockSize) const
    {
        const std::byte* chunk = chunks_[index].get();
        if (IsCutFrom(chunk))
            return static_cast<std::size_t>(unused_ - chunk) / blockSize;
        return kChunkSize / blockSize;
    }

    // Whether new blocks are cut from the chunk: a chunk gives its first
    // block as it comes, so unused_ lies past its start.
    bool IsCutFrom(const std::byte* chunk) const
    {
        return std::greater{}(unused_, chunk) && std::less_equal{}(unused_, chunk + kChunkSize);
    }

    std::vector<std::unique_ptr<std::byte[]>> chunks_;
    TFreeBlock* free_ = nullptr;
    // The part of the last chunk that no block has come from yet.
    std::byte* unused_ = nullptr;
    std::byte* chunkEnd_ = nullptr;
    std::size_t live_ = 0;
};

std::size_t BlockSize(std::size_t size)
{
    return (std::max(size, sizeof(TFreeBlock)) + kGrain - 1) / kGrain * kGrain;
}

using TSizeClasses = std::array<TSizeClass, kLargestBlock / kGrain>;

// Each thread has its own classes, so a page built on a worker thread (the
// search index reads pages so) takes no lock and meets no other thread's
// blocks; it is freed on the thread that built it. A plain pointer, so that it
// can be asked for at any time of the thread's end.
thread_local TSizeClasses* threadClasses = nullptr;

// Frees a worker thread's classes when the thread ends. Those of the main
// thread stay: objects of static storage may give blocks back after the end
// of main. So do a worker's while a block is still out, which is then no
// worse than a block never given back.
struct TWorkerClassesRelease {
    TWorkerClassesRelease() = default;
    TWorkerClassesRelease(const TWorkerClassesRelease&) = delete;
    TWorkerClassesRelease& operator=(const TWorkerClassesRelease&) = delete;
    ~TWorkerClassesRelease()
    {
        if (std::ranges::any_of(*threadClasses, &TSizeClass::HasLiveBlocks))
            return;
        delete threadClasses;
        threadClasses = nullptr;
    }
};

bool OnMainThread()
{
    return gettid() == getpid();
}

TSizeClasses& Classes()
{
    if (!threadClasses) {
        threadClasses = new TSizeClasses;
        if (!OnMainThread()) {
            static thread_local const TWorkerClassesRelease release;
        }
    }
    return *threadClasses;
}

TSizeClass& ClassOf(std::size_t blockSize)
{
    return Classes()[blockSize / kGrain - 1];
}

} // namespace

namespace BlockPool {

void* Allocate(std::size_t size)
{
    const std::size_t blockSize = BlockSize(size);
    if (blockSize > kLargestBlock)
        return ::operator new(size);
    return ClassOf(blockSize).Allocate(blockSize);
}

void Free(void* block, std::size_t size)
{
    if (!block)
        return;
    const std::size_t blockSize = BlockSize(size);
    if (blockSize > kLargestBlock)
        ::operator delete(block);
    else
        ClassOf(blockSize).Free(block, blockSize);
}

void ReleaseFreedMemory()
{
    if (takenBytes < kTrimThreshold)
        return;
    takenBytes = 0;
    for (std::size_t index = 0; index < Classes().size(); ++index)
        Classes()[index].ReleaseEmptyChunks((index + 1) * kGrain);
    malloc_trim(0);
}

std::size_t ChunkBytes()
{
    std::size_t total = 0;
    for (const TSizeClass& sizeClass : Classes())
        total += sizeClass.ChunkBytes();
    return total;
}

} // namespace BlockPool
