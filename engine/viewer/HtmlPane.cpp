#include "engine/viewer/HtmlPane.h"

#include "engine/base/BlockPool.h"
#include "engine/base/RegularFile.h"
#include "engine/forms/FormControlObj.h"
#include "engine/lexer/LinkNames.h"
#include "engine/viewer/PaintPanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QWheelEvent>

#include <algorithm>
#include <cctype>

namespace {

bool EqualIgnoringCase(std::string_view left, std::string_view right)
{
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
    });
}

} // namespace

THtmlPane::THtmlPane(TImageCache& imageCache, TErrorBox& errorBox, QWidget* parent)
    : QWidget(parent),
      imageCache_(imageCache),
      panel_(new TPaintPanel(this)),
      host_(*panel_),
      page_(std::make_unique<TShownPage>(host_, errorBox)),
      view_(*this, *panel_, page_->Document(), measure_, busy_),
      loader_(*page_, imageCache_, view_, busy_, *this),
      selection_(page_->Document(), measure_),
      mouse_(*this, view_, selection_, page_->Document(), measure_, busy_, *this),
      focus_(page_->Document()),
      find_(page_->Document()),
      defFontName_("Times New Roman"),
      defPreFontName_("Courier New")
{
    resize(kInitialSize, kInitialSize);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(TImageCache::IBeamCursor);
    busy_.OnChange = [this](bool on) {
        if (OnProcessing)
            OnProcessing(*this, on);
    };

    host_.Serve(page_->Document(), view_.Animations());
    host_.ShowAt(view_.Zoom());
    page_->Document().ImageCache = &imageCache_;
    page_->Document().ShowImages = false;
    page_->Document().OnBackgroundChange = [this](TSectionList& document) {
        panel_->Color = document.Background | kPaletteRelative;
    };
    page_->Document().FormFocusHandler = [this](TFormControlObj& control) { view_.ScrollFormControlIntoView(control); };
    // Tab from a control of the page goes on through the page's stops.
    panel_->OnFocusNextControl = [this](bool forward) { return focusNextPrevChild(forward); };
    view_.OnPaintOver = [this](TCanvas& canvas) { PaintOver(canvas); };
    page_->Document().ExpandLinkName = [this](const std::string& reference) { return ExpandLinkName(reference); };
    page_->Document().OnItemDropped = [this](const TSectionBase& item) { page_->Anchors().Forget(item); };

    QApplication::instance()->installEventFilter(this);
    SetDefBackground(clBtnFace);
    SetDefFontColor(kSystemColorFlag | 0x12);
    SetDefHotSpotColor(clBlue);
    SetDefFontSize(12);
    SetImageCacheCount(5);
}

THtmlPane::~THtmlPane()
{
    // The document's form controls are children of the panel: the document
    // goes first, while the panel still exists. Hiding a focused control
    // moves the focus on, which must not reach a document being freed.
    panel_->OnFocusNextControl = nullptr;
    pageGoing_ = true;
    page_.reset();
}

// ---- Handlers the document keeps --------------------------------------------

void THtmlPane::SetOnFormSubmit(TFormSubmitEvent handler)
{
    onFormSubmit_ = std::move(handler);
    if (onFormSubmit_)
        page_->Document().SubmitHandler = [this](std::string action, std::string target, std::string encType,
                                          std::string method, std::vector<std::string> results) {
            // Delivered once the click that caused it has finished.
            QMetaObject::invokeMethod(
                this,
                [this, action = std::move(action), target = std::move(target), encType = std::move(encType),
                 method = std::move(method), results = std::move(results)]() mutable {
                    if (onFormSubmit_)
                        onFormSubmit_(*this, action, target, encType, method, std::move(results));
                },
                Qt::QueuedConnection);
        };
    else
        page_->Document().SubmitHandler = nullptr;
}

void THtmlPane::SetOnImageRequest(TImageRequest handler)
{
    page_->Document().OnImageRequest = std::move(handler);
}

void THtmlPane::SetOnScript(decltype(TSectionList::OnScript) handler)
{
    page_->Document().OnScript = std::move(handler);
}

void THtmlPane::SetOnObjectClick(decltype(TSectionList::OnObjectClick) handler)
{
    page_->Document().OnObjectClick = std::move(handler);
}

// ---- Settings ---------------------------------------------------------------

void THtmlPane::ApplyDefaultFonts()
{
    page_->Document().FontName = defFontName_.substr(0, TSectionList::kMaxFontNameLength);
    page_->Document().FixedFontName = defPreFontName_.substr(0, TSectionList::kMaxFontNameLength);
    page_->Document().BaseFontSize = defFontSize_;
    page_->Document().Charset = charSet_;
    page_->Document().FontColor = defFontColor_;
    page_->Document().LinkColor = defHotSpotColor_;
    page_->Document().ApplyDefaultFonts();
}

void THtmlPane::DefaultFontsChanged()
{
    ApplyDefaultFonts();
    if (!page_->Document().Items.empty())
        view_.RelayoutKeepPosition();
    panel_->update();
}

void THtmlPane::SetDefBackground(TColor color)
{
    if (busy_.On())
        return;
    defBackground_ = color;
    page_->Document().SetBackground(color);
    Repaint();
}

void THtmlPane::SetHistoryMaxCount(int count)
{
    if (count == history_.MaxCount() || count < 0)
        return;
    if (count < history_.MaxCount())
        ClearHistory();
    history_.SetMaxCount(count);
}

void THtmlPane::SetDefFontName(const std::string& name)
{
    if (EqualIgnoringCase(name, page_->Document().FontName))
        return;
    defFontName_ = name;
    DefaultFontsChanged();
}

void THtmlPane::SetDefPreFontName(const std::string& name)
{
    if (EqualIgnoringCase(name, page_->Document().FixedFontName))
        return;
    defPreFontName_ = name;
    DefaultFontsChanged();
}

void THtmlPane::SetDefFontSize(int size)
{
    defFontSize_ = std::max(size, kMinFontSize);
    DefaultFontsChanged();
}

void THtmlPane::SetDefFontColor(TColor color)
{
    defFontColor_ = color;
    ApplyDefaultFonts();
    panel_->update();
}

void THtmlPane::SetDefHotSpotColor(TColor color)
{
    defHotSpotColor_ = color;
    ApplyDefaultFonts();
    panel_->update();
}

void THtmlPane::SetImageCacheCount(int count)
{
    count = std::clamp(count, 0, kMaxImageCacheCount);
    if (count == imageCacheCount_)
        return;
    imageCacheCount_ = count;
    imageCache_.Cache().SetAgeLimit(count);
}

void THtmlPane::SetNoSelect(bool value)
{
    if (selection_.SetNoSelect(value))
        panel_->update();
}

void THtmlPane::SetCharSet(int charSet)
{
    charSet_ = charSet;
    DefaultFontsChanged();
}

// ---- Loading ----------------------------------------------------------------

void THtmlPane::LoadHtmlFile(const std::string& fileName)
{
    LoadFileWithHistory(fileName, TViewedFileType::Html);
}

void THtmlPane::LoadTextFile(const std::string& fileName)
{
    LoadFileWithHistory(fileName, TViewedFileType::Text);
}

void THtmlPane::LoadImageFile(const std::string& fileName)
{
    LoadFileWithHistory(fileName, TViewedFileType::Image);
}

void THtmlPane::LoadFileWithHistory(const std::string& fileName, TViewedFileType type)
{
    if (LoadFileRecorded(fileName, type))
        RaiseRefresh();
}

bool THtmlPane::LoadFileRecorded(const std::string& fileName, TViewedFileType type)
{
    if (busy_.On() || fileName.empty())
        return false;
    const THistoryEntry left = CurrentEntry();
    loader_.LoadFile(fileName, type);
    if (CurrentFile() != left.File || FileType() != left.FileType)
        BumpHistory(left.File, left.Title, left.FileType, left.Position);
    return true;
}

void THtmlPane::LeavePage()
{
    ++pageSerial_;
    mouse_.ForgetPress();
    pageGoing_ = true;
    focus_.Reset();
}

void THtmlPane::SetDocumentDefaults()
{
    page_->Document().SetFonts(defFontName_, defPreFontName_, defBackground_, defHotSpotColor_, defFontColor_,
                        defFontSize_);
}

void THtmlPane::PageCleared()
{
    SetDocumentDefaults();
    page_->Document().Charset = charSet_;
    selection_.Reset();
    focus_.Reset();
    find_.Reset();
    pageGoing_ = false;
}

THtmlHandlers THtmlPane::PageHandlers()
{
    THtmlHandlers handlers;
    handlers.OnMeta = [this](THtmlPane*, const std::string& httpEq, const std::string& name,
                             const std::string& content) { MetaReceiver(httpEq, name, content); };
    handlers.OnSound = OnSoundRequest;
    handlers.OnInclude = OnInclude;
    handlers.Sender = this;
    return handlers;
}

void THtmlPane::StopBackgroundSound()
{
    if (OnSoundRequest)
        OnSoundRequest(this, {}, 0, true);
}

// Raised once the page is recorded in the history, so that a handler that
// loads the refresh target at once finds the history in order.
void THtmlPane::RaiseRefresh()
{
    if (loader_.RefreshDelay() > 0 && OnMetaRefresh)
        OnMetaRefresh(*this, loader_.RefreshDelay(), loader_.RefreshUrl());
}

void THtmlPane::LoadFromBuffer(std::string_view text)
{
    if (busy_.On())
        return;
    loader_.LoadFromText(text);
    RaiseRefresh();
}

void THtmlPane::Reload()
{
    if (CurrentFile().empty())
        return;
    const int position = Position();
    const std::string file = CurrentFile();
    if (!LoadFileRecorded(file, FileType()))
        return;
    SetPosition(position);
    RaiseRefresh();
}

void THtmlPane::Clear()
{
    if (busy_.On())
        return;
    LeavePage();
    page_->Clear();
    pageGoing_ = false;
    SetDocumentDefaults();
    loader_.ForgetPage();
    BlockPool::ReleaseFreedMemory();
    view_.ShowEmpty();
    selection_.Reset();
    focus_.Reset();
    find_.Reset();
    StopBackgroundSound();
    Repaint();
}

bool THtmlPane::ScrollToAnchor(std::string_view name)
{
    return loader_.ScrollToAnchor(name);
}

std::string THtmlPane::ExpandLinkName(const std::string& name) const
{
    return loader_.ExpandLinkName(name);
}

// ---- History ----------------------------------------------------------------

THistoryEntry THtmlPane::CurrentEntry() const
{
    return {CurrentFile(), DocumentTitle(), Position(), FileType()};
}

void THtmlPane::RaiseHistoryChange()
{
    if (OnHistoryChange)
        OnHistoryChange(*this);
}

void THtmlPane::BumpHistory(const std::string& oldFile, const std::string& oldTitle, TViewedFileType oldType,
                            int oldPosition)
{
    if (history_.Record({oldFile, oldTitle, oldPosition, oldType}, CurrentEntry()))
        RaiseHistoryChange();
}

void THtmlPane::SetHistoryIndex(int index)
{
    if (index == history_.Index() || !history_.HasIndex(index) || busy_.On())
        return;
    history_.StoreCurrent(CurrentEntry());
    const THistoryEntry entry = history_.At(index);
    const bool load = entry.File != CurrentFile() || entry.FileType != FileType();
    if (load)
        loader_.LoadFile(entry.File, entry.FileType);
    SetPosition(entry.Position);
    history_.MoveTo(index);
    const std::uint64_t page = pageSerial_;
    RaiseHistoryChange();
    if (load && pageSerial_ == page)
        RaiseRefresh();
}

void THtmlPane::ClearHistory()
{
    if (history_.Clear())
        RaiseHistoryChange();
}

// ---- Links ------------------------------------------------------------------

bool THtmlPane::HotSpotClickHandled()
{
    bool handled = false;
    if (OnHotSpotClick)
        OnHotSpotClick(*this, HotSpotURL(), handled);
    return handled;
}

void THtmlPane::HotSpotClickAction()
{
    // A handler that showed another page has followed the link its own way:
    // the link's name means nothing relative to that page.
    const std::uint64_t shown = pageSerial_;
    if (HotSpotClickHandled() || pageSerial_ != shown)
        return;
    const int position = Position();
    std::string url = HotSpotURL();
    const std::size_t hash = url.find('#');
    if (hash == 0) {
        if (ScrollToAnchor(url))
            BumpHistory(CurrentFile(), DocumentTitle(), FileType(), position);
        return;
    }
    std::string anchor;
    if (hash != std::string::npos) {
        anchor = url.substr(hash);
        url.resize(hash);
    }
    url = ExpandLinkName(url);
    const TLinkedFile kind = TPageLoader::LinkedFileKind(url);
    // A NUL would open a shorter name than the one whose extension was
    // tested: such links name no file.
    if (kind != TLinkedFile::Other && HasControlCharacter(url))
        throw EFileError(url);
    if (kind == TLinkedFile::Page) {
        if (url != CurrentFile())
            LoadHtmlFile(url + anchor);
        else if (ScrollToAnchor(anchor))
            BumpHistory(CurrentFile(), DocumentTitle(), TViewedFileType::Html, position);
    } else if (kind == TLinkedFile::Image) {
        LoadImageFile(url);
    }
    // Every other link is the OnHotSpotClick handler's.
}

// ---- META and forms ---------------------------------------------------------

void THtmlPane::MetaReceiver(const std::string& httpEq, const std::string& name, const std::string& content)
{
    if (OnMeta)
        OnMeta(this, httpEq, name, content);
    if (OnMetaRefresh)
        loader_.NoteMeta(httpEq, content);
}

// ---- Selection and find -----------------------------------------------------

bool THtmlPane::Find(std::string_view text, bool matchCase)
{
    const std::optional<int> found = selection_.Find(text, matchCase);
    if (!found)
        return false;
    view_.ScrollPositionIntoView(*found);
    Repaint();
    return true;
}

bool THtmlPane::PositionShown(int position)
{
    int y = 0;
    int x = 0;
    return position >= 0 && page_->Document().PositionToPoint(measure_, view_.DocumentLeft(), position, y, x) &&
           y >= view_.ShownTop() && y < view_.ShownBottom();
}

// From the selection while it shows (the last occurrence found), else from
// the lines shown: the user scrolled away and searches from what he sees.
int THtmlPane::FindStart(std::string_view text, const TFindOptions& options)
{
    const int begin = selection_.SelectionBegin();
    const int end = selection_.SelectionEnd();
    const bool selected = begin < end;
    const int from = selected ? (options.Backward ? begin : end) : selection_.CaretPos();
    if (PositionShown(selected ? begin : from) || PositionShown(from - 1))
        return from;
    find_.Occurrences(text, options);
    const int y = options.Backward ? view_.ShownBottom() : view_.ShownTop();
    return find_.FirstAtOrBelowY(view_.DocumentLeft(), y);
}

TFindOutcome THtmlPane::FindText(std::string_view text, const TFindOptions& options)
{
    const std::string_view searched = text.substr(0, TPageSelection::kSearchBufferLength);
    int found = 0;
    const TFindOutcome outcome = find_.Next(searched, options, FindStart(searched, options), found);
    if (outcome == TFindOutcome::NotFound)
        return outcome;
    selection_.SelectFound(found, found + static_cast<int>(searched.size()));
    view_.ScrollPositionIntoView(found);
    Repaint();
    return outcome;
}

void THtmlPane::MarkFound(std::string_view text, const TFindOptions& options)
{
    find_.Mark(text.substr(0, TPageSelection::kSearchBufferLength), options);
    panel_->update();
}

void THtmlPane::UnmarkFound()
{
    if (find_.Unmark())
        panel_->update();
}

void THtmlPane::SelectAll()
{
    if (selection_.SelectAll())
        Repaint();
}

void THtmlPane::CopyToClipboard()
{
    selection_.CopyToClipboard();
}

int THtmlPane::SelLength()
{
    return selection_.Length();
}

// ---- The widget's events ----------------------------------------------------

void THtmlPane::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    view_.Resized();
}

void THtmlPane::keyPressEvent(QKeyEvent* event)
{
    if (OnKeyDown)
        OnKeyDown(*this, *event);
    if (PageKey(*event)) {
        event->accept();
        return;
    }
    if (!view_.ScrollByKey(event->key())) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void THtmlPane::wheelEvent(QWheelEvent* event)
{
    if (!event->modifiers().testFlag(Qt::ControlModifier)) {
        view_.Wheel(*event);
        return;
    }
    event->accept();
    zoomWheelRemainder_ += event->angleDelta().y();
    constexpr int kNotch = QWheelEvent::DefaultDeltasPerStep;
    for (; zoomWheelRemainder_ >= kNotch; zoomWheelRemainder_ -= kNotch)
        ZoomIn();
    for (; zoomWheelRemainder_ <= -kNotch; zoomWheelRemainder_ += kNotch)
        ZoomOut();
}

std::optional<QString> THtmlPane::Print(QPagedPaintDevice& device, const TPrintOptions& options)
{
    if (busy_.On())
        return QStringLiteral("une page est en cours de chargement");
    std::optional<QString> failure;
    {
        const TWaitCursor wait;
        const TBusyScope busy(busy_);
        const int position = view_.Position();
        {
            const TSuppressDrawing suppressed(*panel_);
            failure = TPagePrinter(page_->Document(), measure_, options).Print(device);
        }
        view_.DoLayout();
        view_.SetPosition(position);
    }
    view_.Repaint();
    return failure;
}

bool THtmlPane::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel || !static_cast<QWheelEvent*>(event)->modifiers().testFlag(Qt::ControlModifier))
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget == panel_ || !panel_->isAncestorOf(widget))
        return false;
    wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
}

void THtmlPane::SetZoomPercent(int percent)
{
    const int before = ZoomPercent();
    view_.SetZoomPercent(percent);
    if (ZoomPercent() != before && OnZoomChange)
        OnZoomChange(*this, ZoomPercent());
}

void THtmlPane::paintEvent(QPaintEvent*)
{
    view_.PaintBorder();
}

void THtmlPane::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

bool THtmlPane::PageKey(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return FollowFocusedLink();
    case Qt::Key_Space:
        return view_.ScrollByKey(event.modifiers().testFlag(Qt::ShiftModifier) ? Qt::Key_PageUp : Qt::Key_PageDown);
    case Qt::Key_Menu:
        ShowMenuByKey();
        return true;
    default:
        return false;
    }
}

// ---- The keyboard's way through the page ------------------------------------

std::vector<TRect> THtmlPane::PanelBoxes(int begin, int end)
{
    std::vector<TRect> boxes;
    page_->Document().RangeBoxes(view_.DocumentLeft(), begin, end, boxes);
    for (TRect& box : boxes)
        box = box.Translated(0, -page_->Document().YOffset);
    return boxes;
}

bool THtmlPane::MoveFocus(bool forward)
{
    if (const TFormControlObj* control = FocusedFormControl(page_->Document()))
        focus_.FocusControl(*control);
    for (const TFocusStop* stop = focus_.Move(forward); stop; stop = focus_.Move(forward)) {
        if (stop->Control) {
            if (!FocusFormControl(*stop->Control, forward))
                continue;
            mouse_.CoverLink({}, {});
            panel_->update();
            return true;
        }
        if (!hasFocus())
            setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        view_.ScrollPositionIntoView(stop->Begin);
        Repaint();
        const TUrlTarget link = stop->Link;
        mouse_.CoverLink(link.Url, link.Target);
        return true;
    }
    mouse_.CoverLink({}, {});
    panel_->update();
    return false;
}

bool THtmlPane::FocusOutsidePage(bool forward)
{
    QWidget* next = this;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    } while (next != this && (isAncestorOf(next) || next->window() != window() || !next->isVisible() ||
                              !next->isEnabled() || !(next->focusPolicy() & Qt::TabFocus)));
    if (next == this)
        return false;
    next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

bool THtmlPane::focusNextPrevChild(bool next)
{
    // Hiding the controls of a page being freed moves the focus on: the
    // usual way, never into that page.
    if (pageGoing_)
        return QWidget::focusNextPrevChild(next);
    if (!MoveFocus(next))
        FocusOutsidePage(next);
    return true;
}

bool THtmlPane::FollowFocusedLink()
{
    const TFocusStop* stop = focus_.Current();
    if (!stop || stop->Control)
        return false;
    FollowLink(TUrlTarget(stop->Link));
    return true;
}

void THtmlPane::FollowLink(const TUrlTarget& link)
{
    // A handler told of the link may have shown another page already.
    if (mouse_.CoverLink(link.Url, link.Target))
        HotSpotClickAction();
}

void THtmlPane::ShowMenuByKey()
{
    if (!OnRightClick)
        return;
    TRightClickParameters parameters;
    QPoint point(panel_->width() / 2, panel_->height() / 2);
    if (const TFocusStop* stop = focus_.Current(); stop && !stop->Control) {
        parameters.Url = stop->Link.Url;
        parameters.Target = stop->Link.Target;
        const std::vector<TRect> boxes = PanelBoxes(stop->Begin, stop->End);
        if (!boxes.empty())
            point = QPoint(boxes.front().Left, boxes.front().Bottom);
    }
    parameters.ScreenPoint = panel_->mapToGlobal(point);
    RightClicked(parameters);
}

void THtmlPane::PaintOver(TCanvas& canvas)
{
    const int selected = selection_.SelectionBegin() < selection_.SelectionEnd() ? selection_.SelectionBegin() : -1;
    find_.PaintMarks(canvas, view_.DocumentLeft(), view_.ShownTop(), view_.ShownBottom(),
                     page_->Document().YOffset, selected);
    const TFocusStop* stop = focus_.Current();
    if (!stop || stop->Control || !hasFocus())
        return;
    canvas.SetPen(defFontColor_, 1, TPenStyle::Dot);
    canvas.SetBrush(clNone, TBrushStyle::Clear);
    for (const TRect& box : PanelBoxes(stop->Begin, stop->End))
        canvas.Rectangle({box.Left - 1, box.Top, box.Right + 1, box.Bottom});
}

void THtmlPane::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

// ---- What the mouse reports -------------------------------------------------

bool THtmlPane::SamePageAfter(const std::function<void()>& handler)
{
    const std::uint64_t page = pageSerial_;
    handler();
    return pageSerial_ == page;
}

bool THtmlPane::MouseDown(const QMouseEvent& event)
{
    // The mouse takes over from the keyboard.
    if (focus_.Current()) {
        focus_.Clear();
        panel_->update();
    }
    return !OnMouseDown || SamePageAfter([&] { OnMouseDown(*this, event); });
}

bool THtmlPane::MouseMove(const QMouseEvent& event)
{
    return !OnMouseMove || SamePageAfter([&] { OnMouseMove(*this, event); });
}

bool THtmlPane::MouseUp(const QMouseEvent& event)
{
    return !OnMouseUp || SamePageAfter([&] { OnMouseUp(*this, event); });
}

bool THtmlPane::WatchesImagesOnMove() const
{
    return OnImageClick || OnImageOver;
}

bool THtmlPane::WatchesImagesOnRelease() const
{
    return OnImageClick || OnRightClick;
}

bool THtmlPane::WatchesRightClick() const
{
    return static_cast<bool>(OnRightClick);
}

bool THtmlPane::ImageOver(TImageObj& image, Qt::KeyboardModifiers shift, int x, int y)
{
    return !OnImageOver || SamePageAfter([&] { OnImageOver(*this, image, shift, x, y); });
}

bool THtmlPane::ImageClicked(TImageObj& image, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    return !OnImageClick || SamePageAfter([&] { OnImageClick(*this, image, button, shift, x, y); });
}

bool THtmlPane::RightClicked(const TRightClickParameters& parameters)
{
    return SamePageAfter([&] { OnRightClick(*this, parameters); });
}

bool THtmlPane::HotSpotCovered(const std::string& url)
{
    return !OnHotSpotCovered || SamePageAfter([&] { OnHotSpotCovered(*this, url); });
}

void THtmlPane::LinkClicked()
{
    HotSpotClickAction();
}
