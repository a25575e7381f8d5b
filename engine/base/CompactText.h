#pragma once
// A byte string in 16 bytes, for the text of a section: a page can hold a
// million sections, most of them a line break's one space or a table cell's
// number, so up to 8 bytes are kept in the object itself and only longer
// text takes room on the heap. It offers the part of std::string's interface
// that sections use; anything else goes through its string_view.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class TCompactText {
public:
    TCompactText() noexcept : local_{} {}
    explicit TCompactText(std::string_view text);
    TCompactText(const TCompactText& other) : TCompactText(other.View()) {}
    TCompactText(TCompactText&& other) noexcept;
    TCompactText& operator=(const TCompactText& other);
    TCompactText& operator=(TCompactText&& other) noexcept;
    TCompactText& operator=(std::string_view text)
    {
        clear();
        append(text);
        return *this;
    }
    ~TCompactText() { Free(); }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const char* data() const { return IsLocal() ? local_ : heap_; }
    char* data() { return IsLocal() ? local_ : heap_; }
    char operator[](std::size_t index) const { return data()[index]; }
    char& operator[](std::size_t index) { return data()[index]; }
    const char* begin() const { return data(); }
    const char* end() const { return data() + size_; }
    char front() const { return data()[0]; }
    char back() const { return data()[size_ - 1]; }

    std::string_view View() const { return {data(), size_}; }
    operator std::string_view() const { return View(); }
    std::string substr(std::size_t position, std::size_t count = std::string::npos) const
    {
        return std::string(View().substr(position, count));
    }
    std::size_t find(std::string_view text, std::size_t from = 0) const { return View().find(text, from); }

    void append(std::string_view text);
    // Removes `count` bytes from `position` (no more than there are).
    void erase(std::size_t position, std::size_t count);
    void clear() { size_ = 0; }
    // Gives back the heap room the text does not use.
    void shrink_to_fit();

    friend bool operator==(const TCompactText& left, std::string_view right) { return left.View() == right; }
    friend std::string operator+(std::string left, const TCompactText& right) { return left.append(right.View()); }

private:
    static constexpr std::uint32_t kLocalCapacity = 8;

    bool IsLocal() const { return capacity_ <= kLocalCapacity; }
    // Moves the text, and the text appended to it, into a heap room of the
    // given capacity (at least their size).
    void Reallocate(std::size_t capacity, std::string_view appended);
    void TakeFrom(TCompactText& other) noexcept;
    void Free();

    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = kLocalCapacity;
    union {
        char* heap_;
        char local_[kLocalCapacity];
    };
};
