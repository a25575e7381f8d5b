#pragma once
// TPageMouse, the mouse over the viewer control's page: the pointer's shape
// over links, pictures and text, the link under the pointer (the hot spot),
// clicks on links, pictures and image buttons, drag selection with its
// automatic scrolling, and the double click that selects a word. It takes
// the paint panel's mouse input and tells the control what happened through
// TPageMouseListener, whose user handlers are the control's.

#include <QPoint>
#include <QTimer>

#include <string>

class QMouseEvent;
class QWidget;
class TBusyFlag;
class TCanvas;
class TImageObj;
class TPageSelection;
class TPageView;
class TSectionList;

// What a right click found under the pointer; lives for one OnRightClick call.
struct TRightClickParameters {
    std::string Url;
    std::string Target;
    TImageObj* Image = nullptr;
    int ImageX = 0;
    int ImageY = 0;
    // Where the menu goes, on the screen.
    QPoint ScreenPoint;
};

// What the mouse over the page tells the control. A report that runs a user
// handler returns whether the same page is still shown: a handler may load
// another, which frees everything found on this one.
class TPageMouseListener {
public:
    // The panel's mouse events as they come, before the page handles them.
    virtual bool MouseDown(const QMouseEvent& event) = 0;
    virtual bool MouseMove(const QMouseEvent& event) = 0;
    virtual bool MouseUp(const QMouseEvent& event) = 0;
    // Whether a handler wants pictures under the pointer, when moving and when released.
    virtual bool WatchesImagesOnMove() const = 0;
    virtual bool WatchesImagesOnRelease() const = 0;
    virtual bool WatchesRightClick() const = 0;
    virtual bool ImageOver(TImageObj& image, Qt::KeyboardModifiers shift, int x, int y) = 0;
    virtual bool ImageClicked(TImageObj& image, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                              int y) = 0;
    virtual bool RightClicked(const TRightClickParameters& parameters) = 0;
    // The pointer came over another link (empty: none).
    virtual bool HotSpotCovered(const std::string& url) = 0;
    // A left click on the link now in HotSpotUrl.
    virtual void LinkClicked() = 0;

protected:
    ~TPageMouseListener() = default;
};

class TPageMouse {
public:
    // Drag auto-scroll: one step per interval, a line or eight lines at a time.
    static constexpr int kAutoScrollInterval = 100; // milliseconds
    static constexpr int kAutoScrollFarDistance = 15;
    static constexpr int kAutoScrollFarLines = 8;

    TPageMouse(QWidget& control, TPageView& view, TPageSelection& selection, TSectionList& document,
               TCanvas& measure, TBusyFlag& busy, TPageMouseListener& listener);

    const std::string& HotSpotUrl() const { return hotSpotUrl_; }
    const std::string& HotSpotTarget() const { return hotSpotTarget_; }
    // A new page: a press on the page being left is no click on this one.
    void ForgetPress();
    // The keyboard chose a link (empty: none): reported as the pointer
    // coming over it would be; false when a handler showed another page.
    bool CoverLink(const std::string& url, const std::string& target) { return UpdateHotSpot(url, target); }

    // The paint panel's mouse input, in panel coordinates.
    void Down(QMouseEvent& event);
    void Move(QMouseEvent& event);
    void Up(QMouseEvent& event);
    void DoubleClick(QMouseEvent& event);

private:
    // The event's point in page pixels; notes where the pointer is on the control.
    QPoint PagePoint(const QMouseEvent& event);
    int DocumentY(int panelY) const;
    int PositionAtPanel(int x, int y, bool& insideText, int& lineTop);
    // The pointer's shape over what lies at the point; false when a handler
    // showed another page.
    bool ShowPointerShape(const QMouseEvent& event, const QPoint& point);
    void ExtendSelection(int x, int y);
    // The picture and the point in it under the panel point, when a handler
    // wants it; null otherwise.
    TImageObj* ReleasedImage(const QPoint& point, int& x, int& y);
    bool ReportRightClick(const QMouseEvent& event, TImageObj* image, int x, int y);
    void LeftRelease(const QPoint& point);
    void AutoScrollStep();
    void StopAutoScroll();
    bool UpdateHotSpot(const std::string& url, const std::string& target);

    QWidget& control_;
    TPageView& view_;
    TPageSelection& selection_;
    TSectionList& document_;
    TCanvas& measure_;
    TBusyFlag& busy_;
    TPageMouseListener& listener_;
    QTimer autoScrollTimer_;
    std::string hotSpotUrl_;
    std::string hotSpotTarget_;
    bool autoScrollActive_ = false;
    // A left press that may become a link click.
    bool clickCandidate_ = false;
    // The left button held after a press on this page.
    bool selecting_ = false;
    // The last left click followed a link: its double click selects nothing.
    bool linkFollowed_ = false;
    // Where the pointer was last reported, in control coordinates.
    QPoint lastPointer_;
};
