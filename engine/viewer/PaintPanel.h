#pragma once
// The viewer control's drawing surface: a child window that paints the page
// without flicker (background, then the document, into an off-screen image of
// the damaged rectangle copied in one block) and reports its mouse input to
// the control. Form controls of the page are its children.

#include "engine/base/Colors.h"
#include "engine/base/Rect.h"

#include <QWidget>

#include <functional>

class QMouseEvent;
class TCanvas;

class TPaintPanel : public QWidget {
public:
    explicit TPaintPanel(QWidget* owner);

    // The colour the background is filled with (the page background).
    TColor Color = clBtnFace;
    // Set by the control while it lays the page out: nothing is painted then.
    bool DrawingSuppressed = false;

    // Draws the background of the damaged rectangle (panel coordinates).
    std::function<void(TCanvas& canvas, const TRect& damaged)> OnDrawBackground;
    // The paint notification, raised after the background is drawn.
    std::function<void(TCanvas& canvas, const TRect& damaged)> OnPaint;
    // Mouse notifications, in panel coordinates.
    std::function<void(QMouseEvent& event)> OnMouseDown;
    std::function<void(QMouseEvent& event)> OnMouseMove;
    std::function<void(QMouseEvent& event)> OnMouseUp;
    std::function<void(QMouseEvent& event)> OnDoubleClick;
    // Tab and Backtab from a form control of the page: true when the focus
    // moved to another control of the page.
    std::function<bool(bool forward)> OnFocusNextControl;

    // Paints the panel rectangle into the image (whose device size must match
    // it): the same drawing a paint event does, for batch rendering.
    void PaintInto(QImage& image, const QRect& rectangle);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The second press of a double click is reported as a double click only,
    // never as a press.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // The page's controls make their widgets only when shown, so Tab goes
    // from control to control in the page's order rather than the widgets'.
    bool focusNextPrevChild(bool next) override;
};

// Keeps the panel from painting a half-laid-out page.
class TSuppressDrawing {
public:
    explicit TSuppressDrawing(TPaintPanel& panel) : panel_(panel) { panel_.DrawingSuppressed = true; }
    ~TSuppressDrawing() { panel_.DrawingSuppressed = false; }
    TSuppressDrawing(const TSuppressDrawing&) = delete;
    TSuppressDrawing& operator=(const TSuppressDrawing&) = delete;

private:
    TPaintPanel& panel_;
};
