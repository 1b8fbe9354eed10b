// An array whose elements never move: its whole capacity is reserved as
// address space when it is made, and memory is only touched as elements are
// constructed. The VM's value stack and call stack live in these, so a
// recursion can grow them to millions of slots while every pointer into them
// (the interpreter's register window, a native's arguments) stays valid, and
// a VM or thread that never recurses costs a few pages.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <new>
#include <utility>

#include "aelementspan.h"

template <class T>
class ReservedArray : public ElementSpan<T> {
    using ElementSpan<T>::data_;
    using ElementSpan<T>::size_;

   public:
    // Reserves room for `limit` elements, or for as many as the system will
    // map when that is refused (halving down to `minimum`); throws
    // std::bad_alloc below that.
    ReservedArray(size_t limit, size_t minimum) {
        for (size_t want = limit; want >= minimum && want > 0; want /= 2) {
            void *p = mmap(nullptr, want * sizeof(T), PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            if (p != MAP_FAILED) {
                data_ = static_cast<T *>(p);
                limit_ = want;
                return;
            }
        }
        throw std::bad_alloc();
    }
    ReservedArray(const ReservedArray &) = delete;
    ReservedArray &operator=(const ReservedArray &) = delete;
    ~ReservedArray() {
        clear();
        munmap(data_, limit_ * sizeof(T));
    }

    size_t limit() const { return limit_; }

    // The caller checks size() < limit() first.
    template <class... Args>
    T &emplace_back(Args &&...args) {
        return *new (data_ + size_++) T(std::forward<Args>(args)...);
    }
    void push_back(T &&value) { emplace_back(std::move(value)); }
    void pop_back() { data_[--size_].~T(); }

    // Default-constructs elements up to `n` (at most limit()).
    void grow_to(size_t n) {
        if (n > limit_) n = limit_;
        while (size_ < n) new (data_ + size_++) T();
    }
    void clear() {
        while (size_ > 0) pop_back();
    }

   private:
    size_t limit_ = 0;
};
