#pragma once
// Memory for what a page holds by the million (its text sections): blocks of
// one size are cut from large chunks and kept on a free list, without the
// bytes of bookkeeping the general allocator adds to every block. A size's
// chunks go back when its last block does, so closing a large page gives its
// memory back. Each thread has its own pool, which takes no lock: a block
// goes back on the thread that took it.

#include <cstddef>

namespace BlockPool {

// A block of at least `size` bytes, aligned for any object of that size
// that needs no more than the alignment of a pointer.
void* Allocate(std::size_t size);
// Gives back a block that Allocate gave for the same size.
void Free(void* block, std::size_t size);

// The C allocator keeps what it is given back (the pool's chunks are below the
// size it maps on its own): once the pool has taken many chunks since the
// last call, as for a large page, the allocator's free memory goes back to
// the system. Called when a page has been freed; after a small page, it costs
// nothing.
void ReleaseFreedMemory();

// A class that derives from this one takes its objects from the pool (sized
// deletion gives Free the size of the object's own class).
struct TPooled {
    static void* operator new(std::size_t size) { return Allocate(size); }
    static void operator delete(void* block, std::size_t size) { Free(block, size); }
};

} // namespace BlockPool
