#include "platform/memory_block.h"

#include <cstdlib>
#include <cstring>

namespace {

struct SBlockHeader {
    uint32_t size;
    uint32_t tag;
};
static_assert(sizeof(SBlockHeader) == kMemHeaderSize);

// The allocator's process-wide counts, in one place.
struct SMemCounters {
    uint64_t liveBytes = 0;
    uint64_t liveBlocks = 0;
};
SMemCounters gMem;

SBlockHeader* HeaderOf(const void* block) {
    if (!block) return nullptr;
    auto* header = reinterpret_cast<SBlockHeader*>(static_cast<uint8_t*>(const_cast<void*>(block)) - kMemHeaderSize);
    return header->tag == kMemTag ? header : nullptr;
}

void Count(uint64_t size, bool adding) {
    if (adding) {
        gMem.liveBytes += size;
        ++gMem.liveBlocks;
    } else {
        // Counters may have been reset while blocks were live.
        gMem.liveBytes = gMem.liveBytes >= size ? gMem.liveBytes - size : 0;
        if (gMem.liveBlocks > 0) --gMem.liveBlocks;
    }
}

}  // namespace

void* MemAllocate(size_t size, bool zeroFill) {
    if (size > UINT32_MAX - kMemHeaderSize) return nullptr;
    void* raw = zeroFill ? std::calloc(1, size + kMemHeaderSize) : std::malloc(size + kMemHeaderSize);
    if (!raw) return nullptr;
    auto* header = static_cast<SBlockHeader*>(raw);
    header->size = static_cast<uint32_t>(size);
    header->tag = kMemTag;
    Count(size, true);
    return static_cast<uint8_t*>(raw) + kMemHeaderSize;
}

bool MemFree(void* block) {
    SBlockHeader* header = HeaderOf(block);
    if (!header) return false;
    Count(header->size, false);
    header->tag = 0;  // a second free of the same block is refused
    std::free(header);
    return true;
}

void* MemResize(void* block, size_t newSize) {
    if (!block) return MemAllocate(newSize, true);
    SBlockHeader* header = HeaderOf(block);
    if (!header || newSize > UINT32_MAX - kMemHeaderSize) return nullptr;
    const uint32_t oldSize = header->size;
    void* raw = std::realloc(header, newSize + kMemHeaderSize);
    if (!raw) return nullptr;
    header = static_cast<SBlockHeader*>(raw);
    header->size = static_cast<uint32_t>(newSize);
    uint8_t* body = static_cast<uint8_t*>(raw) + kMemHeaderSize;
    if (newSize > oldSize) std::memset(body + oldSize, 0, newSize - oldSize);
    Count(oldSize, false);
    Count(newSize, true);
    return body;
}

size_t MemBlockSize(const void* block) {
    const SBlockHeader* header = HeaderOf(block);
    return header ? header->size : 0;
}

bool MemIsBlock(const void* block) { return HeaderOf(block) != nullptr; }

uint64_t MemLiveBytes() { return gMem.liveBytes; }
uint64_t MemLiveBytesWithHeaders() { return gMem.liveBytes + gMem.liveBlocks * kMemHeaderSize; }
uint64_t MemLiveBlocks() { return gMem.liveBlocks; }
void MemResetCounters() { gMem = SMemCounters{}; }
