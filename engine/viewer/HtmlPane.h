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
// The control is the face its users see; its jobs are parts of their own,
// each knowing the document and little else: TPageLoader makes a page from
// its file, TPageView lays it out, scrolls and paints it on the panel and the
// bars, TPageMouse reads the mouse over it, TPageSelection selects and finds,
// TPageHistory remembers the pages shown. The control owns the document and
// the settings, orders the steps of a load, follows links and raises the
// events.

#include "engine/canvas/Canvas.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/images/ImageCache.h"
#include "engine/layout/SectionList.h"
#include "engine/viewer/PageHost.h"
#include "engine/viewer/ShownPage.h"
#include "engine/base/ViewedFileType.h"
#include "engine/viewer/BusyFlag.h"
#include "engine/viewer/PageFind.h"
#include "engine/viewer/PageFocus.h"
#include "engine/viewer/PageHistory.h"
#include "engine/viewer/PageLoader.h"
#include "engine/viewer/PageMouse.h"
#include "engine/viewer/PagePrinter.h"
#include "engine/viewer/PageSelection.h"
#include "engine/viewer/PageView.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPagedPaintDevice;
class QScrollBar;
class TErrorBox;
class TImageObj;
class TPaintPanel;

class THtmlPane : public QWidget, private TPageMouseListener, private TPageLoadSteps {
public:
    static constexpr int kInitialSize = 150;
    static constexpr int kVerticalLineStep = TPageView::kVerticalLineStep;
    static constexpr int kHorizontalLineStep = TPageView::kHorizontalLineStep;
    static constexpr int kMaxScrollWidth = TPageView::kMaxScrollWidth;
    static constexpr int kMinFontSize = 6;
    static constexpr int kMaxImageCacheCount = 20;

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
    // The zoom changed (the keys of the owner, Ctrl and the wheel).
    std::function<void(THtmlPane& sender, int percent)> OnZoomChange;

    using TFormSubmitEvent = std::function<void(THtmlPane& sender, const std::string& action,
                                                const std::string& target, const std::string& encType,
                                                const std::string& method, std::vector<std::string> results)>;
    // Without a submission handler forms are not submitted at all.
    void SetOnFormSubmit(TFormSubmitEvent handler);
    const TFormSubmitEvent& OnFormSubmit() const { return onFormSubmit_; }
    void SetOnImageRequest(TImageRequest handler);
    const TImageRequest& OnImageRequest() const { return page_->Document().OnImageRequest; }
    void SetOnScript(decltype(TSectionList::OnScript) handler);
    void SetOnObjectClick(decltype(TSectionList::OnObjectClick) handler);

    // ---- Loading ----------------------------------------------------------
    // The file loaders do nothing while busy or for an empty name; a missing
    // file, or one that is no regular file, throws EFileError ("Fichier
    // introuvable : "), a page above kMaxPageBytes EFileError ("Fichier trop gros : "),
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
    // Selects the next occurrence in the direction asked, from the selection
    // or the caret while they show, else from the first (backwards: the
    // last) line shown; goes round at the end or the start (Wrapped).
    TFindOutcome FindText(std::string_view text, const TFindOptions& options);
    // Tints every occurrence of the text until UnmarkFound, on this page and
    // the next ones.
    void MarkFound(std::string_view text, const TFindOptions& options);
    void UnmarkFound();
    void SelectAll();
    void CopyToClipboard();
    int SelLength();

    // ---- State -------------------------------------------------------------
    const std::string& DocumentTitle() const { return loader_.Title(); }
    const std::string& CurrentFile() const { return loader_.CurrentFile(); }
    TViewedFileType FileType() const { return loader_.FileType(); }
    const std::string& HotSpotURL() const { return mouse_.HotSpotUrl(); }
    const std::string& HotSpotTarget() const { return mouse_.HotSpotTarget(); }
    const std::string& Base() const { return loader_.Base(); }
    const std::string& BaseTarget() const { return loader_.BaseTarget(); }
    bool Processing() const { return busy_.On(); }
    TSectionList& Document() { return page_->Document(); }
    TShownPage& Page() { return *page_; }
    const TAnchorList& NameList() const { return page_->Anchors(); }
    TPaintPanel& PaintPanel() { return *panel_; }
    QScrollBar& VerticalBar() { return view_.VerticalBar(); }
    QScrollBar& HorizontalBar() { return view_.HorizontalBar(); }
    int DocHeight() const { return view_.DocHeight(); }
    int ScrollWidth() const { return view_.ScrollWidth(); }
    int CaretPos() const { return selection_.CaretPos(); }
    int SelectionAnchor() const { return selection_.Anchor(); }

    // ---- Keyboard -----------------------------------------------------------
    // The link or form control that Tab last reached; null when none.
    const TFocusStop* FocusedStop() const { return focus_.Current(); }
    // Follows the link as a click on it would.
    void FollowLink(const TUrlTarget& link);
    // The page's menu for what has the keyboard focus (the Menu key).
    void ShowMenuByKey();

    // ---- History -----------------------------------------------------------
    // Newest first; index 0 is the newest page.
    const std::vector<THistoryEntry>& HistoryEntries() const { return history_.Entries(); }
    std::vector<std::string> History() const { return history_.Files(); }
    std::vector<std::string> TitleHistory() const { return history_.Titles(); }
    int HistoryIndex() const { return history_.Index(); }
    // Goes to that history entry.
    void SetHistoryIndex(int index);
    void ClearHistory();

    // ---- Position ----------------------------------------------------------
    // The item at the top of the view in the high half, the offset into it in
    // the low half, so that the view survives a re-layout.
    int Position() const { return view_.Position(); }
    void SetPosition(int position) { view_.SetPosition(position); }
    int VScrollPos() const { return view_.VScrollPos(); }
    void SetVScrollPos(int y) { view_.SetVScrollPos(y); }
    int HScrollPos() const { return view_.HScrollPos(); }

    // ---- Settings ----------------------------------------------------------
    bool ViewImages() const { return page_->Document().ShowImages; }
    void SetViewImages(bool value) { view_.SetShowImages(value); }
    TColor DefBackground() const { return defBackground_; }
    void SetDefBackground(TColor color);
    THTMLBorderStyle BorderStyle() const { return view_.BorderStyle(); }
    void SetBorderStyle(THTMLBorderStyle style) { view_.SetBorderStyle(style); }
    int HistoryMaxCount() const { return history_.MaxCount(); }
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
    bool NoSelect() const { return selection_.NoSelect(); }
    void SetNoSelect(bool value);
    TScrollStyle ScrollBars() const { return view_.ScrollBars(); }
    void SetScrollBars(TScrollStyle style) { view_.SetScrollBars(style); }
    int CharSet() const { return charSet_; }
    void SetCharSet(int charSet);
    int MarginHeight() const { return view_.MarginHeight(); }
    void SetMarginHeight(int margin) { view_.SetMarginHeight(margin); }
    int MarginWidth() const { return view_.MarginWidth(); }
    // The page drawn that many percent of its size (TZoom's limits), laid out
    // for the width it then has; the paragraph at the top stays there.
    const TZoom& Zoom() const { return view_.Zoom(); }
    int ZoomPercent() const { return view_.Zoom().Percent(); }
    void SetZoomPercent(int percent);
    void ZoomIn() { SetZoomPercent(TZoom::StepUp(ZoomPercent())); }
    void ZoomOut() { SetZoomPercent(TZoom::StepDown(ZoomPercent())); }
    void SetMarginWidth(int margin) { view_.SetMarginWidth(margin); }
    const std::string& ServerRoot() const { return loader_.ServerRoot(); }
    void SetServerRoot(std::string_view root) { loader_.SetServerRoot(root); }

    // ---- Layout and scrolling ----------------------------------------------
    // Lays the document out for the current width and arranges the bars.
    void DoLayout() { view_.DoLayout(); }
    // Sizes the panel and both bars from DocHeight and ScrollWidth.
    void ArrangeScrollBars() { view_.ArrangeScrollBars(); }
    // The vertical position, limited to the document.
    void ScrollTo(int y) { view_.ScrollTo(y); }
    // DoLayout keeping the view on the same paragraph (nothing while busy).
    void RelayoutKeepPosition() { view_.RelayoutKeepPosition(); }
    // Records a page change in the history: the page being left was `oldFile`.
    void BumpHistory(const std::string& oldFile, const std::string& oldTitle, TViewedFileType oldType,
                     int oldPosition);

    // Prints the page on the device (a printer, a PDF writer), laid out for
    // its paper, then lays it out for the view again at the same paragraph;
    // why it failed, in French.
    std::optional<QString> Print(QPagedPaintDevice& device, const TPrintOptions& options);

    // Paints the part of the panel as the panel's paint would, into an image
    // of that size (batch rendering; the rectangle is in panel coordinates).
    void PaintPanelInto(QImage& image, const QRect& rectangle) { view_.PaintPanelInto(image, rectangle); }

protected:
    // Follows the link in HotSpotURL after a click.
    virtual void HotSpotClickAction();
    // Raises OnHotSpotClick; whether the handler took the click.
    bool HotSpotClickHandled();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Over the page, and over a form control that has no use for it; with
    // Ctrl it zooms, a step a notch.
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // Tab and Shift+Tab go through the page's links and controls first.
    bool focusNextPrevChild(bool next) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Ctrl and the wheel over a form control of the page zoom the page rather
    // than change the control.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Loading.
    void LoadFileWithHistory(const std::string& fileName, TViewedFileType type);
    // Loads and records the page in the history, without raising its refresh;
    // false when busy or without a name.
    bool LoadFileRecorded(const std::string& fileName, TViewedFileType type);
    void SetDocumentDefaults();
    void RaiseRefresh();
    void MetaReceiver(const std::string& httpEq, const std::string& name, const std::string& content);
    // The steps of a load that are the control's (TPageLoadSteps).
    void LeavePage() override;
    void PageCleared() override;
    THtmlHandlers PageHandlers() override;
    void StopBackgroundSound() override;
    THistoryEntry CurrentEntry() const;
    void RaiseHistoryChange();
    void ApplyDefaultFonts();
    // The default fonts changed: re-applied, and the page laid out again.
    void DefaultFontsChanged();
    void Repaint() { view_.Repaint(); }

    // The keyboard's way through the page.
    bool MoveFocus(bool forward);
    // Gives the focus to the next widget of the window outside the page.
    bool FocusOutsidePage(bool forward);
    bool FollowFocusedLink();
    // The keys of the page beside the scroll keys; false for any other.
    bool PageKey(const QKeyEvent& event);
    // Where the position to search from lies: whether its line shows.
    bool PositionShown(int position);
    int FindStart(std::string_view text, const TFindOptions& options);
    // The focus frame and the found text over the painted document.
    void PaintOver(TCanvas& canvas);
    // The boxes of the characters, in panel coordinates.
    std::vector<TRect> PanelBoxes(int begin, int end);

    // What the mouse reports (TPageMouseListener).
    bool MouseDown(const QMouseEvent& event) override;
    bool MouseMove(const QMouseEvent& event) override;
    bool MouseUp(const QMouseEvent& event) override;
    bool WatchesImagesOnMove() const override;
    bool WatchesImagesOnRelease() const override;
    bool WatchesRightClick() const override;
    bool ImageOver(TImageObj& image, Qt::KeyboardModifiers shift, int x, int y) override;
    bool ImageClicked(TImageObj& image, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    bool RightClicked(const TRightClickParameters& parameters) override;
    bool HotSpotCovered(const std::string& url) override;
    void LinkClicked() override;
    // Runs a user handler; whether the same page is still shown after it.
    bool SamePageAfter(const std::function<void()>& handler);

    TImageCache& imageCache_;
    TPaintPanel* panel_;
    TPageHost host_;
    std::unique_ptr<TShownPage> page_;
    // A canvas that only measures, for the document's point queries.
    TCanvas measure_;
    TBusyFlag busy_;
    TPageView view_;
    TPageLoader loader_;
    TPageSelection selection_;
    TPageMouse mouse_;
    TPageHistory history_;
    TPageFocus focus_;
    TPageFind find_;

    std::string defFontName_;
    std::string defPreFontName_;
    TColor defFontColor_ = 0;
    TColor defHotSpotColor_ = 0;
    TColor defBackground_ = 0;
    int defFontSize_ = 0;
    int charSet_ = 1;
    // What a fine-stepping wheel turned with Ctrl short of a whole notch.
    int zoomWheelRemainder_ = 0;
    int imageCacheCount_ = 0;
    TFormSubmitEvent onFormSubmit_;
    // Counts the pages shown. User handlers may load another page; whoever
    // calls one and then goes on with what it found checks that this has
    // not moved.
    std::uint64_t pageSerial_ = 0;
    // From leaving a page until the next is cleared for building, or while
    // the control goes: the page's stops must not be looked for.
    bool pageGoing_ = false;
};
