// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/qt/pictureblocks.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace forms {
namespace {

constexpr size_t kBlockBytes = size_t(2) << 20;  // a huge page on x86-64
constexpr size_t kAlignment = 64;                // a cache line

constexpr size_t kSpareBlocks = 4;  // kept for the next window's pictures
// Under AddressSanitizer a block is poisoned but for the images handed out,
// each followed by a poisoned gap, so that a write past an image is caught
// as it is in memory from the heap.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kGap = 64;
#else
constexpr size_t kGap = 0;
#endif

struct Block {
    uint8_t* base = nullptr;
    std::atomic<int> references{1};  // the images in it, and the filling one's own
};

// The block being filled, how much of it is handed out, and blocks whose
// images are all gone, kept mapped: the next pictures reuse their pages
// rather than trap for new ones (and have them cleared) again.
struct Blocks {
    std::mutex mutex;
    Block* filling = nullptr;
    size_t used = 0;
    std::array<uint8_t*, kSpareBlocks> spare{};
    size_t spares = 0;
};

Blocks& blocks() {
    static Blocks b;
    return b;
}

// A spare block, or one mapped at an address that is a multiple of its size:
// a mapping twice the size, less what lies outside the aligned middle.
// Called with the mutex held.
Block* newBlock(Blocks& b) {
    uint8_t* base = nullptr;
    if (b.spares > 0) {
        base = b.spare[--b.spares];
    } else {
        void* mapped =
            mmap(nullptr, 2 * kBlockBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) return nullptr;
        const auto start = reinterpret_cast<uintptr_t>(mapped);
        const uintptr_t aligned = (start + kBlockBytes - 1) & ~uintptr_t(kBlockBytes - 1);
        if (aligned > start) munmap(mapped, aligned - start);
        if (const uintptr_t tail = start + 2 * kBlockBytes - (aligned + kBlockBytes); tail > 0)
            munmap(reinterpret_cast<void*>(aligned + kBlockBytes), tail);
        base = reinterpret_cast<uint8_t*>(aligned);
        // Only advice: without huge pages the block fills page by page.
        madvise(base, kBlockBytes, MADV_HUGEPAGE);
    }
    ASAN_POISON_MEMORY_REGION(base, kBlockBytes);
    auto* block = new Block;
    block->base = base;
    return block;
}

// A block whose images are all gone becomes a spare, or goes back to the
// system when there are spares enough. Called with the mutex held.
void retire(Blocks& b, Block* block) {
    if (b.spares < kSpareBlocks)
        b.spare[b.spares++] = block->base;
    else
        munmap(block->base, kBlockBytes);
    delete block;
}

void release(Block* block) {
    if (block->references.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    Blocks& b = blocks();
    std::lock_guard lock(b.mutex);
    retire(b, block);
}

void releaseImagePixels(void* block) {
    release(static_cast<Block*>(block));
}

}  // namespace

QImage newKeptImage(int width, int height) {
    if (width <= 0 || height <= 0) return {};
    const size_t bytesPerLine = size_t(width) * 4;
    const size_t bytes = (bytesPerLine * size_t(height) + kAlignment - 1) & ~(kAlignment - 1);
    if (bytes > kBlockBytes / 4) return {};

    Blocks& b = blocks();
    uint8_t* pixels;
    Block* block;
    {
        std::lock_guard lock(b.mutex);
        // Images are added under the lock only, so a block whose one
        // reference is the filling one's holds no image any more.
        if (b.filling && b.filling->references.load(std::memory_order_acquire) == 1 && b.used > 0) {
            ASAN_POISON_MEMORY_REGION(b.filling->base, kBlockBytes);
            b.used = 0;
        }
        if (!b.filling || b.used + bytes > kBlockBytes) {
            Block* fresh = newBlock(b);
            if (!fresh) return {};
            if (b.filling && b.filling->references.fetch_sub(1, std::memory_order_acq_rel) == 1)
                retire(b, b.filling);
            b.filling = fresh;
            b.used = 0;
        }
        block = b.filling;
        pixels = block->base + b.used;
        ASAN_UNPOISON_MEMORY_REGION(pixels, bytes);
        b.used = std::min(kBlockBytes, b.used + bytes + kGap);
        block->references.fetch_add(1, std::memory_order_relaxed);
    }
    QImage image(pixels, width, height, qsizetype(bytesPerLine), QImage::Format_ARGB32_Premultiplied,
                 releaseImagePixels, block);
    if (image.isNull()) release(block);
    return image;
}

}  // namespace forms
