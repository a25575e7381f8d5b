#pragma once
// A value that copies share until one of them changes it, or that they
// change together when they mean to. Sections keep their content, their font
// runs and their lines in it: a page can hold a million sections, most of
// them alike, so the handle is one pointer and its count is a plain integer
// (the engine works on one thread).

#include "engine/base/BlockPool.h"

#include <utility>

template <typename T>
class TSharedValue {
public:
    TSharedValue() = default;
    TSharedValue(const TSharedValue& other) : block_(other.block_)
    {
        if (block_)
            ++block_->Count;
    }
    TSharedValue(TSharedValue&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    TSharedValue& operator=(TSharedValue other) noexcept
    {
        std::swap(block_, other.block_);
        return *this;
    }
    ~TSharedValue() { Reset(); }

    bool HasValue() const { return block_ != nullptr; }
    // Only when HasValue().
    const T& operator*() const { return block_->Value; }
    const T* operator->() const { return &block_->Value; }
    bool IsShared() const { return block_ && block_->Count > 1; }
    bool SharesWith(const TSharedValue& other) const { return block_ == other.block_; }
    // Takes the other's value when it is the same as this one.
    void ShareIfEqual(const TSharedValue& other)
    {
        if (block_ && other.block_ && block_ != other.block_ && block_->Value == other.block_->Value)
            *this = other;
    }

    // The value, made this handle's own first (a copy when shared, a
    // default value when there is none).
    T& Own()
    {
        if (!block_)
            block_ = new TBlock{{}, T{}, 1};
        else if (block_->Count > 1)
            *this = TSharedValue(new TBlock{{}, block_->Value, 1});
        return block_->Value;
    }
    // The value itself, when there is one: a change reaches every handle
    // that shares it.
    T& Shared() { return block_->Value; }
    void Reset()
    {
        if (block_ && --block_->Count == 0)
            delete block_;
        block_ = nullptr;
    }

private:
    // Blocks come from the block pool: most are small and a page may hold
    // a million. The count takes the room a value leaves at its end.
    struct TBlock : BlockPool::TPooled {
        [[no_unique_address]] T Value;
        int Count;
    };
    explicit TSharedValue(TBlock* block) : block_(block) {}

    TBlock* block_ = nullptr;
};
