#include "platform/memory_block.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class MemoryBlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        bytes_ = MemLiveBytes();
        blocks_ = MemLiveBlocks();
    }
    uint64_t bytes_ = 0;
    uint64_t blocks_ = 0;
};

TEST_F(MemoryBlockTest, HeaderHoldsRequestedSizeAndTagInFrontOfTheBlock) {
    void* p = MemAllocate(37);
    ASSERT_NE(p, nullptr);
    const uint8_t* header = static_cast<uint8_t*>(p) - kMemHeaderSize;
    uint32_t size;
    std::memcpy(&size, header, 4);
    EXPECT_EQ(size, 37u);
    EXPECT_EQ(std::memcmp(header + 4, "MMSO", 4), 0);
    EXPECT_EQ(MemBlockSize(p), 37u);
    EXPECT_TRUE(MemFree(p));
}

TEST_F(MemoryBlockTest, ZeroFillClearsEveryByte) {
    // Dirty the heap first so a recycled chunk would show through.
    void* dirty = MemAllocate(4096);
    std::memset(dirty, 0xAB, 4096);
    MemFree(dirty);
    auto* p = static_cast<uint8_t*>(MemAllocate(4096, true));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(p[i], 0) << "byte " << i;
    MemFree(p);
}

TEST_F(MemoryBlockTest, CountersFollowLiveBlocks) {
    void* a = MemAllocate(100);
    void* b = MemAllocate(28, true);
    EXPECT_EQ(MemLiveBytes() - bytes_, 128u);
    EXPECT_EQ(MemLiveBlocks() - blocks_, 2u);
    EXPECT_EQ(MemLiveBytesWithHeaders() - (bytes_ + blocks_ * kMemHeaderSize), 128u + 2 * kMemHeaderSize);
    void* c = MemResize(a, 300);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(MemLiveBytes() - bytes_, 328u);
    MemFree(c);
    MemFree(b);
    EXPECT_EQ(MemLiveBytes(), bytes_);
    EXPECT_EQ(MemLiveBlocks(), blocks_);
}

TEST_F(MemoryBlockTest, ForeignPointerIsRefusedAndLeftAlone) {
    alignas(8) uint8_t buffer[64] = {};
    buffer[12] = 'M';  // a partial tag is still no tag
    void* foreign = buffer + kMemHeaderSize;
    EXPECT_FALSE(MemIsBlock(foreign));
    EXPECT_FALSE(MemFree(foreign));
    EXPECT_EQ(MemResize(foreign, 10), nullptr);
    EXPECT_EQ(MemBlockSize(foreign), 0u);
    EXPECT_EQ(MemLiveBytes(), bytes_);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(buffer[i], i == 12 ? 'M' : 0);
}

TEST_F(MemoryBlockTest, NullIsHarmless) {
    EXPECT_FALSE(MemFree(nullptr));
    EXPECT_EQ(MemBlockSize(nullptr), 0u);
    void* p = MemResize(nullptr, 16);  // behaves as an allocation
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(MemBlockSize(p), 16u);
    EXPECT_TRUE(MemFree(p));
}

TEST_F(MemoryBlockTest, ResizeKeepsContentsAndZeroesTheGrowth) {
    auto* p = static_cast<uint8_t*>(MemAllocate(8));
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(i + 1);
    p = static_cast<uint8_t*>(MemResize(p, 5000));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p[i], i + 1);
    for (int i = 8; i < 5000; ++i) ASSERT_EQ(p[i], 0) << "byte " << i;
    p = static_cast<uint8_t*>(MemResize(p, 3));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(MemBlockSize(p), 3u);
    EXPECT_EQ(p[2], 3);
    MemFree(p);
}

TEST_F(MemoryBlockTest, SizesBeyond32BitsFail) {
    if (sizeof(size_t) <= 4) GTEST_SKIP() << "size_t has 32 bits";
    EXPECT_EQ(MemAllocate(static_cast<size_t>(1) << 33), nullptr);
    void* p = MemAllocate(4);
    EXPECT_EQ(MemResize(p, static_cast<size_t>(1) << 33), nullptr);
    EXPECT_EQ(MemBlockSize(p), 4u);  // the old block stands
    MemFree(p);
    EXPECT_EQ(MemLiveBytes(), bytes_);
}

TEST_F(MemoryBlockTest, ResetCountersStartsFromZero) {
    void* p = MemAllocate(10);
    MemResetCounters();
    EXPECT_EQ(MemLiveBytes(), 0u);
    EXPECT_EQ(MemLiveBlocks(), 0u);
    EXPECT_TRUE(MemFree(p));  // counts never go below zero
    EXPECT_EQ(MemLiveBytes(), 0u);
    EXPECT_EQ(MemLiveBlocks(), 0u);
    bytes_ = blocks_ = 0;
}

}  // namespace
