#include "engine/layout/ItemList.h"

#include <algorithm>
#include <limits>
#include <new>

TItemList::~TItemList()
{
    clear();
    one_.~value_type();
}

TItemList::value_type& TItemList::emplace_back(value_type item)
{
    if (size_ == capacity_)
        Grow();
    value_type& slot = data()[size_];
    slot = std::move(item);
    ++size_;
    return slot;
}

void TItemList::Grow()
{
    if (capacity_ > std::numeric_limits<std::uint32_t>::max() / 2)
        throw std::bad_alloc();
    const std::uint32_t capacity = capacity_ * 2;
    auto* buffer = new value_type[capacity];
    std::move(begin(), end(), buffer);
    if (InPlace())
        one_.~value_type();
    else
        delete[] many_;
    many_ = buffer;
    capacity_ = capacity;
}

TItemList::iterator TItemList::erase(iterator at)
{
    std::move(at + 1, end(), at);
    --size_;
    data()[size_].reset();
    return at;
}

void TItemList::clear()
{
    for (value_type& item : *this)
        item.reset();
    size_ = 0;
    if (InPlace())
        return;
    delete[] many_;
    new (&one_) value_type();
    capacity_ = 1;
}
