#include "platform/tt_array.h"

#include <gtest/gtest.h>

namespace {

struct SRecord {
    int id;
    double value;
};

TEST(TTArray, GrowRoundsCapacityUpToTheGrowthStep) {
    TTArray<int> a(16);
    EXPECT_TRUE(a.Grow(1));
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(a.Capacity(), 16);
    EXPECT_TRUE(a.Grow(16));
    EXPECT_EQ(a.Count(), 17);
    EXPECT_EQ(a.Capacity(), 32);
    TTArray<int> b(64);
    b.Grow(65);
    EXPECT_EQ(b.Capacity(), 128);
    EXPECT_EQ(b.ElementSize(), static_cast<int>(sizeof(int)));
}

TEST(TTArray, SetCapacityIsExactAndCutsTheCount) {
    TTArray<int> a;
    for (int i = 0; i < 10; ++i) a.Append(i);
    EXPECT_TRUE(a.SetCapacity(4));
    EXPECT_EQ(a.Capacity(), 4);
    EXPECT_EQ(a.Count(), 4);
    EXPECT_EQ(a[3], 3);
    EXPECT_TRUE(a.SetCapacity(0));
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(a.data(), nullptr);
}

TEST(TTArray, SetCountGrowsToExactlyTheCountWithZeroElements) {
    TTArray<SRecord> a(16);
    EXPECT_TRUE(a.SetCount(5));
    EXPECT_EQ(a.Capacity(), 5);
    for (const SRecord& r : a) {
        EXPECT_EQ(r.id, 0);
        EXPECT_EQ(r.value, 0.0);
    }
    a[4].id = 9;
    EXPECT_TRUE(a.SetCount(2));
    EXPECT_EQ(a.Capacity(), 5);  // shrinking the count keeps the storage
    EXPECT_TRUE(a.SetCount(5));
    EXPECT_EQ(a[4].id, 0);  // re-grown elements are zero again
}

TEST(TTArray, InsertAtPastTheEndExtendsWithZeros) {
    TTArray<int> a;
    a.Append(7);
    EXPECT_TRUE(a.InsertAt(4, 42));
    ASSERT_EQ(a.Count(), 5);
    const int expected[] = {7, 0, 0, 0, 42};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(a[i], expected[i]);
}

TEST(TTArray, InsertAtMovesTheTailUpAndRemoveAtDown) {
    TTArray<int> a;
    for (int i = 0; i < 5; ++i) a.Append(i * 10);
    EXPECT_TRUE(a.InsertAt(2, 15));
    const int afterInsert[] = {0, 10, 15, 20, 30, 40};
    ASSERT_EQ(a.Count(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(a[i], afterInsert[i]);
    EXPECT_TRUE(a.RemoveAt(0, 2));
    const int afterRemove[] = {15, 20, 30, 40};
    ASSERT_EQ(a.Count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a[i], afterRemove[i]);
    EXPECT_FALSE(a.RemoveAt(4));
    EXPECT_FALSE(a.RemoveAt(2, 3));
    EXPECT_FALSE(a.InsertAt(-1, 1));
    EXPECT_EQ(a.Count(), 4);
}

TEST(TTArray, InsertingAnElementOfTheArrayItselfSurvivesReallocation) {
    TTArray<int> a(1);
    a.Append(5);
    a.Append(6);
    ASSERT_EQ(a.Capacity(), 2);
    EXPECT_TRUE(a.InsertAt(0, a[1]));  // storage moves while the reference is read
    EXPECT_EQ(a[0], 6);
    EXPECT_EQ(a[1], 5);
    EXPECT_EQ(a[2], 6);
}

TEST(TTArray, ClearAndDestructionFreeTheStorage) {
    const uint64_t before = MemLiveBytes();
    {
        TTArray<SRecord> a;
        a.Grow(100);
        EXPECT_GT(MemLiveBytes(), before);
        a.Clear();
        EXPECT_EQ(MemLiveBytes(), before);
        EXPECT_EQ(a.Capacity(), 0);
        a.Grow(3);
    }
    EXPECT_EQ(MemLiveBytes(), before);
}

TEST(TTArray, CopiesAreDeepAndMovesTakeTheStorage) {
    TTArray<int> a;
    a.Append(1);
    a.Append(2);
    TTArray<int> b(a);
    b[0] = 99;
    EXPECT_EQ(a[0], 1);
    TTArray<int> c(static_cast<TTArray<int>&&>(b));
    EXPECT_EQ(b.Count(), 0);
    EXPECT_EQ(c[0], 99);
    a = c;
    EXPECT_EQ(a[0], 99);
    EXPECT_NE(a.data(), c.data());
}

TEST(TTArray, BorrowedStorageIsNeverFreedAndLeftWhenGrowing) {
    int storage[3] = {1, 2, 3};
    {
        TTArray<int> a(storage, 3, 3, 4);
        EXPECT_FALSE(a.OwnsStorage());
        a[0] = 10;
        EXPECT_EQ(storage[0], 10);
        EXPECT_TRUE(a.Append(4));
        EXPECT_TRUE(a.OwnsStorage());
        EXPECT_NE(a.data(), storage);
        EXPECT_EQ(a[0], 10);
        EXPECT_EQ(a[3], 4);
        EXPECT_EQ(a.Capacity(), 4);
    }
    EXPECT_EQ(storage[2], 3);
}

TEST(TTArray, IndexOfAndRemoveFindPointers) {
    int x = 0, y = 0, z = 0;
    TTArray<int*> a;
    a.Append(&x);
    a.Append(&y);
    a.Append(&z);
    EXPECT_EQ(a.IndexOf(&y), 1);
    EXPECT_TRUE(a.Remove(&y));
    EXPECT_EQ(a.IndexOf(&y), -1);
    EXPECT_FALSE(a.Remove(&y));
    EXPECT_EQ(a[1], &z);
}

}  // namespace
