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

// Once the pool has taken many chunks since the last call, as for a large
// page, the chunks whose blocks are all free go back to the C allocator, and
// the allocator's free memory to the system (it keeps what it is given back:
// the pool's chunks are below the size it maps on its own). Called when a
// page has been freed; after a small page, it costs nothing.
void ReleaseFreedMemory();
// The bytes of the chunks the calling thread's pool holds.
std::size_t ChunkBytes();

// A class that derives from this one takes its objects from the pool (sized
// deletion gives Free the size of the object's own class).
struct TPooled {
    static void* operator new(std::size_t size) { return Allocate(size); }
    static void operator delete(void* block, std::size_t size) { Free(block, size); }
};

} // namespace BlockPool
