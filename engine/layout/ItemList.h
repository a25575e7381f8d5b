#pragma once
// The items a cell owns, in order: a vector of owned items that keeps a lone
// item in place of a buffer. Nearly every table cell holds one paragraph, and
// a table of a million cells would otherwise carry a million one-slot buffers.

#include "engine/layout/SectionBase.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class TItemList {
public:
    using value_type = std::unique_ptr<TSectionBase>;
    using iterator = value_type*;
    using const_iterator = const value_type*;

    TItemList() {}
    ~TItemList();
    TItemList(const TItemList&) = delete;
    TItemList& operator=(const TItemList&) = delete;

    iterator begin() { return data(); }
    iterator end() { return data() + size_; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + size_; }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    value_type& operator[](std::size_t index) { return data()[index]; }
    const value_type& operator[](std::size_t index) const { return data()[index]; }
    value_type& front() { return data()[0]; }
    const value_type& front() const { return data()[0]; }
    value_type& back() { return data()[size_ - 1]; }
    const value_type& back() const { return data()[size_ - 1]; }

    value_type& emplace_back(value_type item);
    void push_back(value_type item) { emplace_back(std::move(item)); }
    // Frees the item at `at`; the items after it move up. Returns the
    // position of the item that followed it.
    iterator erase(iterator at);
    // Frees every item, first to last, and the buffer.
    void clear();

private:
    // A capacity of 1 is the slot in place; buffers hold 2 or more.
    bool InPlace() const { return capacity_ == 1; }
    value_type* data() { return InPlace() ? &one_ : many_; }
    const value_type* data() const { return InPlace() ? &one_ : many_; }
    void Grow();

    union {
        value_type one_{};
        value_type* many_;
    };
    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = 1;
};
