#pragma once
// TPageFocus, the keyboard's way through the page shown: its links and form
// controls in document order, as Tab and Shift+Tab visit them. It knows
// which stop has the focus; the control frames a focused link, scrolls it
// into view and follows it, and the forms give their widgets the focus.

#include "engine/base/UrlTarget.h"

#include <vector>

class TFormControlObj;
class TSectionList;

// A link (its characters, pictures included) or a form control that takes
// the focus.
struct TFocusStop {
    int Begin = 0;
    int End = 0;
    TUrlTarget Link;
    TFormControlObj* Control = nullptr;
};

class TPageFocus {
public:
    explicit TPageFocus(TSectionList& document);

    // A new page: the stops are found again when first asked for.
    void Reset();
    // No stop focused: the next Tab starts from the top.
    void Clear() { current_ = -1; }
    // The stop that has the focus; null when none has.
    const TFocusStop* Current() const;
    // The stop of the control; the focus follows a control the mouse chose.
    void FocusControl(const TFormControlObj& control);
    // The next (or previous) stop becomes current; null past the last (or
    // before the first), and then none is current.
    const TFocusStop* Move(bool forward);

private:
    void Collect();

    TSectionList& document_;
    std::vector<TFocusStop> stops_;
    bool collected_ = false;
    int current_ = -1;
};
