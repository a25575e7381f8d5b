#pragma once
// TBusyFlag, the viewer control's "processing" state: set from the start of
// a load or a settings re-layout to its end. While it is set the loaders,
// the settings that re-lay the page out and the double click hold back, so
// that a handler called in the middle of a load cannot start another.
// TBusyScope sets it and clears it on every exit path; TWaitCursor shows the
// hourglass meanwhile.

#include <QCursor>
#include <QGuiApplication>

#include <functional>

class TBusyFlag {
public:
    bool On() const { return on_; }
    // Raised at each change (the control raises its OnProcessing event).
    std::function<void(bool on)> OnChange;

    void Set(bool on)
    {
        if (on_ == on)
            return;
        on_ = on;
        if (OnChange)
            OnChange(on);
    }

private:
    bool on_ = false;
};

class TBusyScope {
public:
    explicit TBusyScope(TBusyFlag& flag) : flag_(flag) { flag_.Set(true); }
    ~TBusyScope() { flag_.Set(false); }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

private:
    TBusyFlag& flag_;
};

// The hourglass while the control is busy, always restored.
class TWaitCursor {
public:
    TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};
