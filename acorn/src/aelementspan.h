// Element access shared by Acorn's own containers, which all keep `size_`
// constructed elements in one block at `data_`.
#pragma once

#include <cstddef>

template <class T>
class ElementSpan {
   public:
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T *data() { return data_; }
    const T *data() const { return data_; }
    T &operator[](size_t i) { return data_[i]; }
    const T &operator[](size_t i) const { return data_[i]; }
    T &back() { return data_[size_ - 1]; }
    const T &back() const { return data_[size_ - 1]; }
    T *begin() { return data_; }
    T *end() { return data_ + size_; }
    const T *begin() const { return data_; }
    const T *end() const { return data_ + size_; }

   protected:
    T *data_ = nullptr;
    size_t size_ = 0;
};
