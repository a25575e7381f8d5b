#include "engine/base/BlockPool.h"

#include <algorithm>
#include <array>
#include <malloc.h>
#include <memory>
#include <new>
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
            free_ = nullptr;
            unused_ = chunkEnd_ = nullptr;
            return;
        }
        free_ = ::new (block) TFreeBlock{free_};
        ZEF_POISON(block, blockSize);
    }

private:
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

TSizeClass& ClassOf(std::size_t blockSize)
{
    // Never destroyed: objects of static storage may give blocks back after
    // the end of main. Each thread has its own classes, so a page built on a
    // worker thread (the search index reads pages so) takes no lock and
    // meets no other thread's blocks; it is freed on the thread that built it.
    static thread_local auto* classes = new std::array<TSizeClass, kLargestBlock / kGrain>;
    return (*classes)[blockSize / kGrain - 1];
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
    malloc_trim(0);
}

} // namespace BlockPool
