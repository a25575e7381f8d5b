#pragma once
// THtmlPane, the viewer control: shows one page (an HTML file, a plain-text
// file, a lone image file, or HTML text held in memory), keeps the history of
// the pages shown, follows links to local pages and pictures, and reports
// everything else to its owner through its events.
//
// Events are std::function members, as the document's handlers are; an empty
// one means the step it would serve is skipped. The four handlers the
// document also keeps (image requests, scripts, object clicks, form
// submissions) are set through setters so that the document follows.
//
// Split over three files by idea: HtmlPane.cpp (construction, settings,
// layout, scrolling, painting, keys), HtmlPaneLoading.cpp (loading, history,
// links, META, submissions) and HtmlPaneMouse.cpp (mouse, selection, find).

#include "engine/canvas/Canvas.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/images/ImageCache.h"
#include "engine/layout/SectionList.h"
#include "engine/lexer/LinkNames.h"
#include "engine/viewer/PageHost.h"
#include "engine/base/ViewedFileType.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QScrollBar;
class TErrorBox;
class TFormControlObj;
class TImageObj;
class TPaintPanel;

enum class THTMLBorderStyle : std::uint8_t { Focused, None, Single };
enum class TScrollStyle : std::uint8_t { None, Horizontal, Vertical, Both };

// One page of the history.
struct THistoryEntry {
    std::string File;  // full file name
    std::string Title;
    int Position = 0;  // packed view position (THtmlPane::Position)
    TViewedFileType FileType = TViewedFileType::Html;
};

// What a right click found under the pointer; lives for one OnRightClick call.
struct TRightClickParameters {
    std::string Url;
    std::string Target;
    TImageObj* Image = nullptr;
    int ImageX = 0;
    int ImageY = 0;
};

class THtmlPane : public QWidget {
public:
    static constexpr int kInitialSize = 150;
    static constexpr int kVerticalLineStep = 16;
    static constexpr int kHorizontalLineStep = 15;
    // Content wider than this scrolls no further: the document paints no
    // wider than this either.
    static constexpr int kMaxScrollWidth = 2000;
    static constexpr int kMaxMargin = 50;
    static constexpr int kMinFontSize = 6;
    static constexpr int kMaxImageCacheCount = 20;
    // Find copies the searched text into a buffer of this many characters.
    static constexpr std::size_t kSearchBufferLength = 255;
    // Drag auto-scroll: one step per interval, a line or eight lines at a time.
    static constexpr int kAutoScrollInterval = 100; // milliseconds
    static constexpr int kAutoScrollFarDistance = 15;
    static constexpr int kAutoScrollFarLines = 8;
    // Form controls and found text closer than this to the bottom edge are
    // scrolled into the middle of the view.
    static constexpr int kBottomSlack = 20;

    // The image cache is the application's and outlives the control; layout
    // errors of the page are reported through the error box.
    THtmlPane(TImageCache& imageCache, TErrorBox& errorBox, QWidget* parent = nullptr);
    ~THtmlPane() override;

    // ---- Events -----------------------------------------------------------
    std::function<void(THtmlPane& sender, const std::string& url)> OnHotSpotCovered;
    std::function<void(THtmlPane& sender, const std::string& url, bool& handled)> OnHotSpotClick;
    std::function<void(THtmlPane& sender)> OnHistoryChange;
    std::function<void(THtmlPane& sender, bool processingOn)> OnProcessing;
    TIncludeType OnInclude;
    TSoundType OnSoundRequest;
    TMetaType OnMeta;
    std::function<void(THtmlPane& sender, int delay, const std::string& url)> OnMetaRefresh;
    std::function<void(THtmlPane& sender, TImageObj& image, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                       int x, int y)>
        OnImageClick;
    std::function<void(THtmlPane& sender, TImageObj& image, Qt::KeyboardModifiers shift, int x, int y)> OnImageOver;
    std::function<void(THtmlPane& sender, const TRightClickParameters& parameters)> OnRightClick;
    // The republished mouse events (panel coordinates) and key event.
    std::function<void(THtmlPane& sender, const QMouseEvent& event)> OnMouseDown;
    std::function<void(THtmlPane& sender, const QMouseEvent& event)> OnMouseMove;
    std::function<void(THtmlPane& sender, const QMouseEvent& event)> OnMouseUp;
    std::function<void(THtmlPane& sender, const QKeyEvent& event)> OnKeyDown;

    using TFormSubmitEvent = std::function<void(THtmlPane& sender, const std::string& action,
                                                const std::string& target, const std::string& encType,
                                                const std::string& method, std::vector<std::string> results)>;
    // Without a submission handler forms are not submitted at all.
    void SetOnFormSubmit(TFormSubmitEvent handler);
    const TFormSubmitEvent& OnFormSubmit() const { return onFormSubmit_; }
    void SetOnImageRequest(TImageRequest handler);
    const TImageRequest& OnImageRequest() const { return document_->OnImageRequest; }
    void SetOnScript(decltype(TSectionList::OnScript) handler);
    void SetOnObjectClick(decltype(TSectionList::OnObjectClick) handler);

    // ---- Loading ----------------------------------------------------------
    // The file loaders do nothing while busy or for an empty name; a missing
    // file, or one that is no regular file, throws EFileError ("Can't locate
    // file: "), a page above kMaxPageBytes EFileError ("File too large: "),
    // and nothing changes.
    // A name may end in '#' and an anchor name (HTML files).
    void LoadHtmlFile(const std::string& fileName);
    void LoadTextFile(const std::string& fileName);
    void LoadImageFile(const std::string& fileName);
    // HTML text from memory: no history; CurrentFile becomes empty.
    void LoadFromBuffer(std::string_view text);
    // The current file again, as its type, at the same position.
    void Reload();
    // An empty page; the current file name and the history stay.
    virtual void Clear();
    bool ScrollToAnchor(std::string_view name);
    // The full file name a link or image reference of the page names; a name
    // that differs from the file on disk only in letter case finds the file.
    virtual std::string ExpandLinkName(const std::string& name) const;

    // ---- Selection and find ------------------------------------------------
    bool Find(std::string_view text, bool matchCase);
    void SelectAll();
    void CopyToClipboard();
    int SelLength();

    // ---- State -------------------------------------------------------------
    const std::string& DocumentTitle() const { return documentTitle_; }
    const std::string& CurrentFile() const { return currentFile_; }
    TViewedFileType FileType() const { return fileType_; }
    const std::string& HotSpotURL() const { return hotSpotUrl_; }
    const std::string& HotSpotTarget() const { return hotSpotTarget_; }
    const std::string& Base() const { return base_; }
    const std::string& BaseTarget() const { return baseTarget_; }
    bool Processing() const { return processing_; }
    TSectionList& Document() { return *document_; }
    const TAnchorList& NameList() const { return nameList_; }
    TPaintPanel& PaintPanel() { return *panel_; }
    QScrollBar& VerticalBar() { return *verticalBar_; }
    QScrollBar& HorizontalBar() { return *horizontalBar_; }
    int DocHeight() const { return docHeight_; }
    int ScrollWidth() const { return scrollWidth_; }
    int CaretPos() const { return caretPos_; }
    int SelectionAnchor() const { return selectionAnchor_; }

    // ---- History -----------------------------------------------------------
    // Newest first; index 0 is the newest page.
    const std::vector<THistoryEntry>& HistoryEntries() const { return history_; }
    std::vector<std::string> History() const;
    std::vector<std::string> TitleHistory() const;
    int HistoryIndex() const { return historyIndex_; }
    // Goes to that history entry.
    void SetHistoryIndex(int index);
    void ClearHistory();

    // ---- Position ----------------------------------------------------------
    // The item at the top of the view in the high half, the offset into it in
    // the low half, so that the view survives a re-layout.
    int Position() const;
    void SetPosition(int position);
    int VScrollPos() const;
    void SetVScrollPos(int y);
    int HScrollPos() const;

    // ---- Settings ----------------------------------------------------------
    bool ViewImages() const { return document_->ShowImages; }
    void SetViewImages(bool value);
    TColor DefBackground() const { return defBackground_; }
    void SetDefBackground(TColor color);
    THTMLBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(THTMLBorderStyle style);
    int HistoryMaxCount() const { return historyMaxCount_; }
    void SetHistoryMaxCount(int count);
    const std::string& DefFontName() const { return defFontName_; }
    void SetDefFontName(const std::string& name);
    const std::string& DefPreFontName() const { return defPreFontName_; }
    void SetDefPreFontName(const std::string& name);
    int DefFontSize() const { return defFontSize_; }
    void SetDefFontSize(int size);
    TColor DefFontColor() const { return defFontColor_; }
    void SetDefFontColor(TColor color);
    TColor DefHotSpotColor() const { return defHotSpotColor_; }
    void SetDefHotSpotColor(TColor color);
    int ImageCacheCount() const { return imageCacheCount_; }
    void SetImageCacheCount(int count);
    bool NoSelect() const { return noSelect_; }
    void SetNoSelect(bool value);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    int CharSet() const { return charSet_; }
    void SetCharSet(int charSet);
    int MarginHeight() const { return marginHeight_; }
    void SetMarginHeight(int margin);
    int MarginWidth() const { return marginWidth_; }
    void SetMarginWidth(int margin);
    const std::string& ServerRoot() const { return serverRoot_; }
    void SetServerRoot(std::string_view root);

    // ---- Layout and scrolling ----------------------------------------------
    // Lays the document out for the current width and arranges the bars.
    void DoLayout();
    // Sizes the panel and both bars from DocHeight and ScrollWidth.
    void ArrangeScrollBars();
    // The vertical position, limited to the document.
    void ScrollTo(int y);
    // DoLayout keeping the view on the same paragraph (nothing while busy).
    void RelayoutKeepPosition();
    // Records a page change in the history: the page being left was `oldFile`.
    void BumpHistory(const std::string& oldFile, const std::string& oldTitle, TViewedFileType oldType,
                     int oldPosition);

    // Paints the part of the panel as the panel's paint would, into an image
    // of that size (batch rendering; the rectangle is in panel coordinates).
    void PaintPanelInto(QImage& image, const QRect& rectangle);

protected:
    // The control's own operations, overridable.
    virtual void PaintDocument(TCanvas& canvas, const TRect& damaged);
    virtual void PanelMouseDown(QMouseEvent& event);
    virtual void PanelMouseMove(QMouseEvent& event);
    virtual void PanelMouseUp(QMouseEvent& event);
    virtual void PanelDoubleClick(QMouseEvent& event);
    // Follows the link in HotSpotURL after a click.
    virtual void HotSpotClickAction();
    // Raises OnHotSpotClick; whether the handler took the click.
    bool HotSpotClickHandled();

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Over the page, and over a form control that has no use for it.
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Sets the busy flag and clears it on every exit path.
    class TProcessingScope {
    public:
        explicit TProcessingScope(THtmlPane& pane) : pane_(pane) { pane_.SetProcessing(true); }
        ~TProcessingScope() { pane_.SetProcessing(false); }
        TProcessingScope(const TProcessingScope&) = delete;
        TProcessingScope& operator=(const TProcessingScope&) = delete;

    private:
        THtmlPane& pane_;
    };
    // Keeps the panel from painting a half-laid-out page.
    class TSuppressDrawing {
    public:
        explicit TSuppressDrawing(THtmlPane& pane);
        ~TSuppressDrawing();
        TSuppressDrawing(const TSuppressDrawing&) = delete;
        TSuppressDrawing& operator=(const TSuppressDrawing&) = delete;

    private:
        THtmlPane& pane_;
    };
    // The hourglass while the control is busy, always restored.
    class TWaitCursor {
    public:
        TWaitCursor();
        ~TWaitCursor();
        TWaitCursor(const TWaitCursor&) = delete;
        TWaitCursor& operator=(const TWaitCursor&) = delete;
    };

    // Loading.
    void LoadFileWithHistory(const std::string& fileName, TViewedFileType type);
    // Loads and records the page in the history, without raising its refresh;
    // false when busy or without a name.
    bool LoadFileRecorded(const std::string& fileName, TViewedFileType type);
    void LoadFile(const std::string& name, TViewedFileType type);
    // The document is about to be cleared: what points into it is stale.
    void NewPage();
    void PrepareDocument();
    void Build(TViewedFileType type, const std::string& fileName);
    THtmlHandlers PageHandlers();
    void FinishLoad();
    void RaiseRefresh();
    void MetaReceiver(const std::string& httpEq, const std::string& name, const std::string& content);
    void SubmissionReceiver(const std::string& action, const std::string& target, const std::string& encType,
                            const std::string& method, std::vector<std::string> results);
    void SetProcessing(bool value);
    void ApplyDefaultFonts();
    void RelayoutWithCursor(const std::function<void()>& change);
    void StoreCurrentEntry();

    // Scrolling and painting.
    bool VerticalAllowed() const;
    bool HorizontalAllowed() const;
    int PanelWidth() const;
    int PanelHeight() const;
    int MaxVerticalPosition() const;
    void SetVerticalPosition(int y);
    void MoveVertically(int y);
    void MoveHorizontally(int x);
    // Moves the existing pixels and paints only the strip uncovered.
    void ScrollVerticallyBy(int pixels);
    // The wheel's turn in pixels to scroll by: Qt's wheel-scroll lines per
    // notch, Shift turning it sideways, a touchpad's own pixels as they come.
    QPoint WheelPixels(const QWheelEvent& event);
    void VerticalBarMoved(int value);
    void DrawBackground(TCanvas& canvas, const TRect& damaged);
    void ScrollFormControlIntoView(const TFormControlObj& control);
    void ScrollDocumentYIntoView(int y);

    // Mouse.
    // Window X of the document's left edge: the margin, less the scrolling.
    int DocumentLeft() const { return marginWidth_ - HScrollPos(); }
    int DocumentY(int panelY) const;
    int PositionAtPanel(int x, int y, bool& insideText, int& lineTop);
    void ExtendSelection(int x, int y);
    void AutoScrollStep();
    void StopAutoScroll();
    void UpdateHotSpot(const std::string& url, const std::string& target);

    TImageCache& imageCache_;
    TPaintPanel* panel_;
    QScrollBar* verticalBar_;
    QScrollBar* horizontalBar_;
    TPageHost host_;
    std::unique_ptr<TSectionList> document_;
    TAnchorList nameList_;
    THtmlBuilder builder_;
    // A canvas that only measures, for the document's point queries.
    TCanvas measure_;
    QTimer autoScrollTimer_;

    std::string documentTitle_;
    std::string hotSpotUrl_;
    std::string hotSpotTarget_;
    std::string base_;
    std::string baseTarget_;
    std::string currentFile_;
    TViewedFileType fileType_ = TViewedFileType::Html;
    std::string refreshUrl_;
    int refreshDelay_ = 0;
    std::vector<THistoryEntry> history_;
    int historyIndex_ = 0;
    int historyMaxCount_ = 0;
    std::string defFontName_;
    std::string defPreFontName_;
    TColor defFontColor_ = 0;
    TColor defHotSpotColor_ = 0;
    TColor defBackground_ = 0;
    int defFontSize_ = 0;
    bool processing_ = false;
    TFormSubmitEvent onFormSubmit_;
    int lastLayoutWidth_ = 0;
    int imageCacheCount_ = 0;
    bool noSelect_ = false;
    TScrollStyle scrollBars_ = TScrollStyle::Both;
    THTMLBorderStyle borderStyle_ = THTMLBorderStyle::Focused;
    int caretPos_ = 0;
    int scrollBarWidth_ = 0;
    int scrollWidth_ = 0;
    int docHeight_ = 0;
    // Mouse state.
    bool autoScrollActive_ = false;
    bool clickCandidate_ = false;
    bool selecting_ = false;
    bool linkFollowed_ = false;
    // Where the pointer was last reported, in control coordinates.
    QPoint lastPointer_;
    int charSet_ = 1;
    int marginHeight_ = 5;
    int marginWidth_ = 10;
    std::string serverRoot_;
    // Folder listings for the names of the page shown that differ in letter
    // case from their files; dropped at each load.
    mutable TFileNameCase fileNameCase_;
    int selectionAnchor_ = -1;
    // Set while the control moves its own vertical bar.
    bool movingBar_ = false;
    // What fine-stepping wheels turned short of a whole pixel, in eighths of
    // a degree times pixels per notch (see WheelPixels).
    QPoint wheelRemainder_;
    // Counts the pages shown. User handlers may load another page; whoever
    // calls one and then goes on with what it found checks that this has
    // not moved.
    std::uint64_t pageSerial_ = 0;
};
