// Memory blocks: the system allocator. Every block carries an 8-byte header
// in front of the pointer handed out (the requested size as a 32-bit value and
// the tag "MMSO"), so a pointer that did not come from here is recognised and
// refused instead of corrupting the heap. Two running byte counts of the live
// blocks are kept for leak checks.
#pragma once

#include <cstddef>
#include <cstdint>

// The header in front of each block.
constexpr size_t kMemHeaderSize = 8;
constexpr uint32_t kMemTag = 0x4F534D4D;  // the bytes 'M' 'M' 'S' 'O' in memory

// A new block of size bytes (zero-filled when asked), or null when the
// allocation fails or the size does not fit in 32 bits. A zero size gives a
// valid empty block.
void* MemAllocate(size_t size, bool zeroFill = false);

// Frees a block. Null and pointers without the tag do nothing; the result
// tells whether a block was freed.
bool MemFree(void* block);

// A block of newSize bytes holding the old contents (bytes past the old size
// are zero). Null behaves as MemAllocate. On failure, or for a pointer
// without the tag, null is returned and the old block is left as it was.
void* MemResize(void* block, size_t newSize);

// The requested size of a block, 0 for null or a pointer without the tag.
size_t MemBlockSize(const void* block);
bool MemIsBlock(const void* block);

// Running counts over live blocks: bytes requested, and bytes including the
// headers; and the number of live blocks.
uint64_t MemLiveBytes();
uint64_t MemLiveBytesWithHeaders();
uint64_t MemLiveBlocks();
// Sets the counts back to zero (tests only; live blocks stay valid).
void MemResetCounters();
