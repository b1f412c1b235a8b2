#pragma once
// Storage for the nodes of the big lists (a decade of data is half a million
// row nodes). One heap block per node costs a block header each and scatters
// the nodes; a pool hands out slots from large blocks and keeps freed slots
// for the next load, so a reload touches no fresh memory. The node types use
// it through their own operator new and delete, so the lists' unique_ptr
// links stay as they are.
//
// Like the lists themselves, a pool belongs to one thread at a time: the thread
// that takes its first slot owns it until the last slot is given back (debug
// builds check this), and then it gives all blocks back. Workspaces on one
// thread share the pool of a node type; their nodes never mix.

#include "shared/HugePages.h"

#include <cassert>
#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define VELK_POOL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELK_POOL_ASAN 1
#endif
#endif
#ifdef VELK_POOL_ASAN
#include <sanitizer/asan_interface.h>
#define VELK_POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define VELK_POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#else
#define VELK_POOL_POISON(p, n) ((void)(p), (void)(n))
#define VELK_POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

template <std::size_t SlotSize, std::size_t Align> class NodePool {
    static_assert(SlotSize >= sizeof(void*) && SlotSize % Align == 0);

public:
    void* allocate() {
#ifndef NDEBUG
        if (live_ == 0) {
            owner_ = currentThreadTag();
        }
        assert(owner_ == currentThreadTag() && "node pool used from a second thread");
#endif
        void* slot;
        if (free_) {
            slot = free_;
            VELK_POOL_UNPOISON(slot, SlotSize);
            free_ = *static_cast<void**>(slot);
        } else {
            if (next_ == end_) {
                grow();
            }
            slot = next_;
            next_ += SlotSize;
            VELK_POOL_UNPOISON(slot, SlotSize);
        }
        ++live_;
        return slot;
    }

    void release(void* slot) noexcept {
        assert(owner_ == currentThreadTag() && "node pool used from a second thread");
        *static_cast<void**>(slot) = free_;
        free_ = slot;
        VELK_POOL_POISON(slot, SlotSize);
        if (--live_ == 0) {
            releaseBlocks();
        }
    }

private:
    // Each block starts with its size and the link to the block made before it.
    struct BlockHeader {
        BlockHeader* previous;
        std::size_t bytes;
    };
    static constexpr std::size_t kHeader = (sizeof(BlockHeader) + Align - 1) / Align * Align;
    static constexpr std::size_t kFirstSlots = 64;
    static constexpr std::size_t kMaxSlots = 65536;

    // From this size on a block is whole huge pages on a huge page's border:
    // a fresh page costs a fault of several microseconds on first touch, and
    // a year's hour rows filled 240 of them; in a huge page they take one.
    // Smaller blocks keep a small file's memory small.
    static constexpr std::size_t kHugeBlockFrom = std::size_t{1} << 16;

    static constexpr std::size_t alignmentOf(std::size_t blockBytes) {
        return blockBytes >= kHugeBlockFrom ? kHugePageSize : Align;
    }

    void grow() {
        // Doubling: a small file stays small, a big one needs few blocks.
        slotsNext_ = slotsNext_ == 0 ? kFirstSlots : slotsNext_;
        std::size_t bytes = kHeader + slotsNext_ * SlotSize;
        if (bytes >= kHugeBlockFrom) {
            bytes = (bytes + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
        }
        char* block =
            static_cast<char*>(::operator new (bytes, std::align_val_t{alignmentOf(bytes)}));
        // Before the header is written: a page touched first takes the huge
        // page's place.
        adviseHugePages(block, bytes);
        auto* header = reinterpret_cast<BlockHeader*>(block);
        header->previous = blocks_;
        header->bytes = bytes;
        blocks_ = header;
        next_ = block + kHeader;
        end_ = next_ + (bytes - kHeader) / SlotSize * SlotSize;
        VELK_POOL_POISON(next_, end_ - next_);
        if (slotsNext_ < kMaxSlots) {
            slotsNext_ *= 2;
        }
    }

    void releaseBlocks() noexcept {
        while (blocks_) {
            BlockHeader* previous = blocks_->previous;
            const std::size_t bytes = blocks_->bytes;
            VELK_POOL_UNPOISON(blocks_, bytes);
            ::operator delete (static_cast<void*>(blocks_), std::align_val_t{alignmentOf(bytes)});
            blocks_ = previous;
        }
        free_ = nullptr;
        next_ = end_ = nullptr;
        slotsNext_ = 0;
    }

    BlockHeader* blocks_ = nullptr;
    void* free_ = nullptr;
    char* next_ = nullptr;
    char* end_ = nullptr;
    std::size_t live_ = 0;
    std::size_t slotsNext_ = 0;
#ifndef NDEBUG
    // A thread's tag is the address of a thread-local object: distinct for
    // every living thread, and known at compile time to be none at first.
    static const void* currentThreadTag() noexcept {
        static thread_local const char tag = 0;
        return &tag;
    }
    const void* owner_ = nullptr;
#endif
};

// The pool for one node type: its slots fit the type exactly.
template <typename Node>
using NodePoolFor = NodePool<(sizeof(Node) < sizeof(void*) ? sizeof(void*) : sizeof(Node)),
                             (alignof(Node) < alignof(void*) ? alignof(void*) : alignof(Node))>;
