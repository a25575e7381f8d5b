#include "engine/base/CompactText.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

TCompactText::TCompactText(std::string_view text) : local_{}
{
    append(text);
}

TCompactText::TCompactText(TCompactText&& other) noexcept : local_{}
{
    TakeFrom(other);
}

TCompactText& TCompactText::operator=(const TCompactText& other)
{
    if (this != &other) {
        clear();
        append(other.View());
    }
    return *this;
}

TCompactText& TCompactText::operator=(TCompactText&& other) noexcept
{
    if (this != &other) {
        Free();
        TakeFrom(other);
    }
    return *this;
}

void TCompactText::Free()
{
    if (!IsLocal())
        delete[] heap_;
    capacity_ = kLocalCapacity;
    size_ = 0;
}

void TCompactText::TakeFrom(TCompactText& other) noexcept
{
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, kLocalCapacity);
    if (IsLocal())
        std::memcpy(local_, other.local_, size_);
    else
        heap_ = other.heap_;
}

void TCompactText::Reallocate(std::size_t capacity, std::string_view appended)
{
    char* room = new char[capacity];
    std::memcpy(room, data(), size_);
    // The appended text may lie in the room given back below.
    if (!appended.empty())
        std::memcpy(room + size_, appended.data(), appended.size());
    if (!IsLocal())
        delete[] heap_;
    heap_ = room;
    capacity_ = static_cast<std::uint32_t>(capacity);
}

void TCompactText::append(std::string_view text)
{
    constexpr std::size_t kMaxSize = std::numeric_limits<std::uint32_t>::max();
    if (text.empty())
        return;
    if (text.size() > kMaxSize - size_)
        throw std::length_error("text too long");
    const std::size_t needed = size_ + text.size();
    if (needed > capacity_)
        Reallocate(std::clamp<std::size_t>(2 * std::size_t{capacity_}, needed, kMaxSize), text);
    else
        std::memmove(data() + size_, text.data(), text.size());
    size_ = static_cast<std::uint32_t>(needed);
}

void TCompactText::erase(std::size_t position, std::size_t count)
{
    position = std::min<std::size_t>(position, size_);
    count = std::min<std::size_t>(count, size_ - position);
    char* text = data();
    std::memmove(text + position, text + position + count, size_ - position - count);
    size_ -= static_cast<std::uint32_t>(count);
}

void TCompactText::shrink_to_fit()
{
    if (IsLocal() || size_ == capacity_)
        return;
    if (size_ <= kLocalCapacity) {
        char* room = heap_;
        std::memcpy(local_, room, size_);
        delete[] room;
        capacity_ = kLocalCapacity;
    } else {
        Reallocate(size_, {});
    }
}
