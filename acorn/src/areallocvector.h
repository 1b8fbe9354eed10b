// A growable array for elements that stay valid when their bytes are moved
// (no element points into itself or is pointed to from elsewhere), such as
// values. Its buffer grows through realloc: a large buffer is then remapped
// rather than copied, so growing an array never holds the old and the new
// buffer at the same time, and capacity that is never written to costs no
// memory. Script arrays keep their elements in one of these.
//
// Element order during changes: an element leaving the array is destroyed
// only after the array is consistent again, because destroying a value can
// run a release hook that looks at (or changes) this very array.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "aelementspan.h"

// Every ReallocVector buffer is resized here (std::realloc semantics: null
// when memory runs out, the old buffer then untouched; freed with
// std::free). A program may define its own to make memory run out on
// purpose; it must hand back memory from std::realloc.
void *acorn_buffer_realloc(void *buffer, size_t bytes);

template <class T>
class ReallocVector : public ElementSpan<T> {
    using ElementSpan<T>::data_;
    using ElementSpan<T>::size_;

   public:
    ReallocVector() = default;
    ReallocVector(const ReallocVector &other) { append(other.begin(), other.end()); }
    ReallocVector(ReallocVector &&other) noexcept { swap(other); }
    ReallocVector(const T *first, const T *last) { append(first, last); }
    ~ReallocVector() {
        clear();
        std::free(data_);
    }
    ReallocVector &operator=(const ReallocVector &other) {
        if (this != &other) {
            ReallocVector copy(other);
            swap(copy);
        }
        return *this;
    }
    ReallocVector &operator=(ReallocVector &&other) noexcept {
        ReallocVector taken(std::move(other));
        swap(taken);
        return *this;
    }

    size_t capacity() const { return capacity_; }

    // Throws std::bad_alloc when memory runs out; the array is then unchanged.
    void reserve(size_t n) {
        if (n > capacity_) reallocate(n);
    }
    void shrink_to_fit() {
        if (capacity_ > size_) reallocate(size_);
    }

    void push_back(const T &value) {
        if (size_ == capacity_) {
            T copy(value);  // `value` may live in the buffer about to move
            grow();
            new (data_ + size_) T(std::move(copy));
        } else {
            new (data_ + size_) T(value);
        }
        ++size_;
    }
    void push_back(T &&value) {
        if (size_ == capacity_) {
            T taken(std::move(value));
            grow();
            new (data_ + size_) T(std::move(taken));
        } else {
            new (data_ + size_) T(std::move(value));
        }
        ++size_;
    }
    void pop_back() { data_[--size_].~T(); }

    void append(const T *first, const T *last) {
        const size_t count = static_cast<size_t>(last - first);
        if (count == 0) return;
        if (size_ + count > capacity_) {
            ReallocVector copies;  // the range may be this array's own elements
            copies.reallocate(count);
            for (const T *p = first; p != last; ++p) new (copies.data_ + copies.size_++) T(*p);
            reserve(grown_capacity(size_ + count));
            relocate(data_ + size_, copies.data_, count);
            copies.size_ = 0;
        } else {
            for (const T *p = first; p != last; ++p) new (data_ + size_ + (p - first)) T(*p);
        }
        size_ += count;
    }
    void assign(const T *first, const T *last) {
        ReallocVector fresh(first, last);
        swap(fresh);
    }

    // Shrinking destroys the last elements one at a time, from the end.
    void resize(size_t n, const T &fill = T()) {
        while (size_ > n) pop_back();
        if (n <= size_) return;
        T copy(fill);
        reserve(n);
        while (size_ < n) new (data_ + size_++) T(copy);
    }
    void clear() {
        while (size_ > 0) pop_back();
    }

    T *insert(T *pos, const T &value) {
        const size_t at = static_cast<size_t>(pos - data_);
        T copy(value);
        if (size_ == capacity_) grow();
        relocate(data_ + at + 1, data_ + at, size_ - at);
        new (data_ + at) T(std::move(copy));
        ++size_;
        return data_ + at;
    }
    T *erase(T *pos) {
        const size_t at = static_cast<size_t>(pos - data_);
        T removed(std::move(data_[at]));
        data_[at].~T();
        relocate(data_ + at, data_ + at + 1, size_ - at - 1);
        --size_;
        return data_ + at;
    }

    void swap(ReallocVector &other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

   private:
    static constexpr size_t kFirstCapacity = 4;
    static constexpr size_t kMaxCapacity = (~size_t(0) / 2) / sizeof(T);

    static size_t grown_capacity(size_t needed) {
        size_t cap = kFirstCapacity;
        while (cap < needed) {
            if (cap > kMaxCapacity / 2) throw std::bad_alloc();
            cap *= 2;
        }
        return cap;
    }
    void grow() { reallocate(grown_capacity(size_ + 1)); }
    void reallocate(size_t n) {
        if (n > kMaxCapacity) throw std::bad_alloc();
        if (n == 0) {
            std::free(data_);
            data_ = nullptr;
            capacity_ = 0;
            return;
        }
        void *moved = acorn_buffer_realloc(static_cast<void *>(data_), n * sizeof(T));
        if (!moved) throw std::bad_alloc();
        data_ = static_cast<T *>(moved);
        capacity_ = n;
    }
    static void relocate(T *to, T *from, size_t count) {
        if (count > 0) std::memmove(static_cast<void *>(to), static_cast<const void *>(from), count * sizeof(T));
    }

    size_t capacity_ = 0;
};
