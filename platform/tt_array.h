// TTArray<T>: a growable array of plain records or pointers, kept in one
// memory block. Elements are copied as bytes, so T must be trivially
// copyable; the array never runs constructors or destructors of elements.
#pragma once

#include <cstring>
#include <type_traits>

#include "platform/memory_block.h"

template <typename T>
class TTArray {
    static_assert(std::is_trivially_copyable_v<T>, "TTArray keeps elements as plain bytes");

public:
    explicit TTArray(int growthStep = 16) : growthStep_(growthStep > 0 ? growthStep : 1) {}
    // Borrows storage for up to capacity elements; the array never frees it
    // and moves to storage of its own when it has to grow past it.
    TTArray(T* storage, int count, int capacity, int growthStep = 16)
        : storage_(storage), count_(count), capacity_(capacity),
          growthStep_(growthStep > 0 ? growthStep : 1), ownsStorage_(false) {}

    TTArray(const TTArray& other) : growthStep_(other.growthStep_) { CopyFrom(other); }
    TTArray& operator=(const TTArray& other) {
        if (this != &other) {
            Clear();
            growthStep_ = other.growthStep_;
            CopyFrom(other);
        }
        return *this;
    }
    TTArray(TTArray&& other) noexcept { TakeFrom(other); }
    TTArray& operator=(TTArray&& other) noexcept {
        if (this != &other) {
            Clear();
            TakeFrom(other);
        }
        return *this;
    }
    virtual ~TTArray() { Clear(); }

    // Frees the storage: count and capacity 0.
    void Clear() {
        if (ownsStorage_) MemFree(storage_);
        storage_ = nullptr;
        count_ = 0;
        capacity_ = 0;
        ownsStorage_ = true;
    }

    // Storage for exactly n elements; the count is cut to n. False (and no
    // change) when the storage cannot be had.
    bool SetCapacity(int n) {
        if (n < 0) return false;
        if (n == capacity_ && ownsStorage_) return true;
        if (n == 0) {
            Clear();
            return true;
        }
        const size_t bytes = static_cast<size_t>(n) * sizeof(T);
        T* fresh = nullptr;
        if (ownsStorage_) {
            fresh = static_cast<T*>(MemResize(storage_, bytes));
        } else {
            fresh = static_cast<T*>(MemAllocate(bytes, true));
            if (fresh && count_ > 0) std::memcpy(fresh, storage_, static_cast<size_t>(Min(count_, n)) * sizeof(T));
        }
        if (!fresh) return false;
        storage_ = fresh;
        capacity_ = n;
        ownsStorage_ = true;
        if (count_ > n) count_ = n;
        return true;
    }

    // Sets the count, growing the capacity to exactly n when needed. New
    // elements are zero bytes.
    bool SetCount(int n) {
        if (n < 0) return false;
        if (n > capacity_ && !SetCapacity(n)) return false;
        if (n > count_) std::memset(static_cast<void*>(storage_ + count_), 0, static_cast<size_t>(n - count_) * sizeof(T));
        count_ = n;
        return true;
    }

    // count += k, the capacity rounded up to a multiple of the growth step.
    bool Grow(int k) {
        if (k < 0 || count_ > kMaxCount - k) return false;
        const int wanted = count_ + k;
        if (wanted > capacity_) {
            const int rounded = RoundUp(wanted);
            if (rounded < wanted || !SetCapacity(rounded)) return false;
        }
        std::memset(static_cast<void*>(storage_ + count_), 0, static_cast<size_t>(k) * sizeof(T));
        count_ = wanted;
        return true;
    }

    // An index at or past the end extends the count to index + 1 (the gap
    // is zero bytes); otherwise the tail moves up one place.
    bool InsertAt(int index, const T& element) {
        if (index < 0) return false;
        const T copy = element;  // element may live inside the storage
        if (index >= count_) {
            if (!Grow(index + 1 - count_)) return false;
        } else {
            if (!Grow(1)) return false;
            std::memmove(static_cast<void*>(storage_ + index + 1), storage_ + index,
                         static_cast<size_t>(count_ - 1 - index) * sizeof(T));
        }
        storage_[index] = copy;
        return true;
    }

    bool Append(const T& element) { return InsertAt(count_, element); }

    // Removes count elements from index on; the tail moves down.
    bool RemoveAt(int index, int count = 1) {
        if (index < 0 || count < 0 || index >= count_ || count > count_ - index) return false;
        std::memmove(static_cast<void*>(storage_ + index), storage_ + index + count,
                     static_cast<size_t>(count_ - index - count) * sizeof(T));
        count_ -= count;
        return true;
    }

    // The first index whose element equals value byte for byte, or -1.
    int IndexOf(const T& value) const {
        for (int i = 0; i < count_; ++i)
            if (std::memcmp(&storage_[i], &value, sizeof(T)) == 0) return i;
        return -1;
    }
    bool Remove(const T& value) {
        const int i = IndexOf(value);
        return i >= 0 && RemoveAt(i);
    }

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    int ElementSize() const { return static_cast<int>(sizeof(T)); }
    int GrowthStep() const { return growthStep_; }
    void SetGrowthStep(int step) { growthStep_ = step > 0 ? step : 1; }
    bool OwnsStorage() const { return ownsStorage_; }
    bool IsEmpty() const { return count_ == 0; }

    T& operator[](int index) { return storage_[index]; }
    const T& operator[](int index) const { return storage_[index]; }
    T* data() { return storage_; }
    const T* data() const { return storage_; }
    T* begin() { return storage_; }
    T* end() { return storage_ + count_; }
    const T* begin() const { return storage_; }
    const T* end() const { return storage_ + count_; }

private:
    static constexpr int kMaxCount = 0x7FFFFFFF / static_cast<int>(sizeof(T) < 1 ? 1 : sizeof(T));
    static int Min(int a, int b) { return a < b ? a : b; }
    int RoundUp(int n) const {
        const long long r = (static_cast<long long>(n) + growthStep_ - 1) / growthStep_ * growthStep_;
        return r > kMaxCount ? n : static_cast<int>(r);
    }
    void CopyFrom(const TTArray& other) {
        if (other.count_ > 0 && SetCapacity(other.capacity_ > other.count_ ? other.capacity_ : other.count_)) {
            std::memcpy(static_cast<void*>(storage_), other.storage_, static_cast<size_t>(other.count_) * sizeof(T));
            count_ = other.count_;
        }
    }
    void TakeFrom(TTArray& other) {
        storage_ = other.storage_;
        count_ = other.count_;
        capacity_ = other.capacity_;
        growthStep_ = other.growthStep_;
        ownsStorage_ = other.ownsStorage_;
        other.storage_ = nullptr;
        other.count_ = 0;
        other.capacity_ = 0;
        other.ownsStorage_ = true;
    }

    T* storage_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    int growthStep_ = 16;
    bool ownsStorage_ = true;
};
