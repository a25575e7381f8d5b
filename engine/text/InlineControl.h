#pragma once
// What a text section knows of a form control that stands in its text: the
// character it stands at, its size, and how it is put on the page when its
// line is painted. The forms layer makes the controls and their widgets.

#include "engine/base/Colors.h"

#include <vector>

class TCanvas;

class TInlineControl {
public:
    TInlineControl() = default;
    TInlineControl(const TInlineControl&) = delete;
    TInlineControl& operator=(const TInlineControl&) = delete;
    virtual ~TInlineControl() = default;

    // Document Y of the line that holds the control, written by the section's
    // layout; the viewer scrolls a focused control into view with it.
    int LineY = 0;
    // Index of the control mark in the section text.
    int Position = 0;
    // Check boxes and radio buttons sit on the text baseline instead of on
    // the bottom of the line.
    bool SitsOnBaseline = false;

    // Whether the control stands in the page as a box of its own (hidden
    // fields and image controls have none).
    virtual bool HasWidget() const = 0;
    // Its size in pixels; 0 without a box.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Puts the control at the window point and shows it; a control whose
    // panel takes the page background is filled with `background`.
    virtual void Place(int left, int top, TColor background) = 0;
    // Draws the control as it looks at the point of the canvas (a printout),
    // leaving its widget where it is.
    virtual void Draw(TCanvas& canvas, int left, int top) = 0;
};

// The controls that stand in one section's text, in the order of their
// positions. The forms own them.
class TFormControlList {
public:
    void Add(TInlineControl* control) { controls_.push_back(control); }
    int Count() const { return static_cast<int>(controls_.size()); }
    bool IsEmpty() const { return controls_.empty(); }
    TInlineControl& operator[](int index) const { return *controls_[static_cast<std::size_t>(index)]; }
    auto begin() const { return controls_.begin(); }
    auto end() const { return controls_.end(); }

private:
    std::vector<TInlineControl*> controls_;
};
