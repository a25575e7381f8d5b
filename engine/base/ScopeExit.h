#pragma once
// Runs an action when the scope ends, by its end or by an exception: state
// that a reader changes for a while is put back on every path, written once.

#include <utility>

template <typename TAction>
class TScopeExit {
public:
    explicit TScopeExit(TAction action) : action_(std::move(action)) {}
    ~TScopeExit() { action_(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    TAction action_;
};
