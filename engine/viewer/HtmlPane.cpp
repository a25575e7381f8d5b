#include "engine/viewer/HtmlPane.h"

#include "engine/forms/FormControlObj.h"
#include "engine/lexer/LinkNames.h"
#include "engine/viewer/PaintPanel.h"

#include <QGuiApplication>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

namespace {

bool EqualIgnoringCase(std::string_view left, std::string_view right)
{
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
    });
}

// The remainder of value by divisor, always in 0 .. divisor - 1.
int PositiveModulo(int value, int divisor)
{
    const int remainder = value % divisor;
    return remainder < 0 ? remainder + divisor : remainder;
}

} // namespace

THtmlPane::TSuppressDrawing::TSuppressDrawing(THtmlPane& pane) : pane_(pane)
{
    pane_.panel_->DrawingSuppressed = true;
}

THtmlPane::TSuppressDrawing::~TSuppressDrawing()
{
    pane_.panel_->DrawingSuppressed = false;
}

THtmlPane::TWaitCursor::TWaitCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

THtmlPane::TWaitCursor::~TWaitCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

THtmlPane::THtmlPane(TImageCache& imageCache, TErrorBox& errorBox, QWidget* parent)
    : QWidget(parent),
      imageCache_(imageCache),
      panel_(new TPaintPanel(this)),
      verticalBar_(new QScrollBar(Qt::Vertical, this)),
      horizontalBar_(new QScrollBar(Qt::Horizontal, this)),
      host_(*panel_),
      document_(std::make_unique<TSectionList>(&host_, errorBox)),
      defFontName_("Times New Roman"),
      defPreFontName_("Courier New")
{
    resize(kInitialSize, kInitialSize);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(TImageCache::IBeamCursor);

    panel_->move(1, 1);
    panel_->setCursor(TImageCache::IBeamCursor);
    host_.Serve(*document_);
    panel_->OnDrawBackground = [this](TCanvas& canvas, const TRect& damaged) { DrawBackground(canvas, damaged); };
    panel_->OnPaint = [this](TCanvas& canvas, const TRect& damaged) { PaintDocument(canvas, damaged); };
    panel_->OnMouseDown = [this](QMouseEvent& event) { PanelMouseDown(event); };
    panel_->OnMouseMove = [this](QMouseEvent& event) { PanelMouseMove(event); };
    panel_->OnMouseUp = [this](QMouseEvent& event) { PanelMouseUp(event); };
    panel_->OnDoubleClick = [this](QMouseEvent& event) { PanelDoubleClick(event); };

    for (QScrollBar* bar : {verticalBar_, horizontalBar_}) {
        bar->hide();
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setRange(0, 0);
    }
    verticalBar_->setSingleStep(kVerticalLineStep);
    horizontalBar_->setSingleStep(kHorizontalLineStep);
    scrollBarWidth_ = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalBar_);
    // A bar the user works gives the control the focus; the control moving
    // its own bars does not.
    for (QScrollBar* bar : {verticalBar_, horizontalBar_})
        connect(bar, &QScrollBar::actionTriggered, this, [this] { setFocus(); });
    connect(verticalBar_, &QScrollBar::valueChanged, this, [this](int value) { VerticalBarMoved(value); });
    connect(horizontalBar_, &QScrollBar::valueChanged, panel_, [this] { panel_->update(); });

    document_->ImageCache = &imageCache_;
    document_->ShowImages = false;
    document_->OnBackgroundChange = [this](TSectionList& document) {
        panel_->Color = document.Background | kPaletteRelative;
    };
    document_->FormFocusHandler = [this](TFormControlObj& control) { ScrollFormControlIntoView(control); };
    panel_->OnFocusNextControl = [this](bool forward) { return FocusNextFormControl(*document_, forward); };
    document_->ExpandLinkName = [this](const std::string& reference) { return ExpandLinkName(reference); };
    document_->OnItemDropped = [this](const TSectionBase& item) { nameList_.Forget(item); };

    autoScrollTimer_.setInterval(kAutoScrollInterval);
    connect(&autoScrollTimer_, &QTimer::timeout, this, [this] { AutoScrollStep(); });

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
    document_.reset();
}

// ---- Handlers the document keeps --------------------------------------------

void THtmlPane::SetOnFormSubmit(TFormSubmitEvent handler)
{
    onFormSubmit_ = std::move(handler);
    if (onFormSubmit_)
        document_->SubmitHandler = [this](const std::string& action, const std::string& target,
                                          const std::string& encType, const std::string& method,
                                          std::vector<std::string> results) {
            SubmissionReceiver(action, target, encType, method, std::move(results));
        };
    else
        document_->SubmitHandler = nullptr;
}

void THtmlPane::SetOnImageRequest(TImageRequest handler)
{
    document_->OnImageRequest = std::move(handler);
}

void THtmlPane::SetOnScript(decltype(TSectionList::OnScript) handler)
{
    document_->OnScript = std::move(handler);
}

void THtmlPane::SetOnObjectClick(decltype(TSectionList::OnObjectClick) handler)
{
    document_->OnObjectClick = std::move(handler);
}

// ---- Settings ---------------------------------------------------------------

void THtmlPane::SetProcessing(bool value)
{
    if (processing_ == value)
        return;
    processing_ = value;
    if (OnProcessing)
        OnProcessing(*this, value);
}

void THtmlPane::ApplyDefaultFonts()
{
    document_->FontName = defFontName_.substr(0, TSectionList::kMaxFontNameLength);
    document_->FixedFontName = defPreFontName_.substr(0, TSectionList::kMaxFontNameLength);
    document_->BaseFontSize = defFontSize_;
    document_->Charset = charSet_;
    document_->FontColor = defFontColor_;
    document_->LinkColor = defHotSpotColor_;
    document_->ApplyDefaultFonts();
}

void THtmlPane::RelayoutKeepPosition()
{
    if (processing_)
        return;
    const TProcessingScope busy(*this);
    const int position = Position();
    DoLayout();
    SetPosition(position);
}

void THtmlPane::RelayoutWithCursor(const std::function<void()>& change)
{
    const TWaitCursor wait;
    const TProcessingScope busy(*this);
    change();
    if (!document_->Items.empty()) {
        const int position = Position();
        DoLayout();
        SetPosition(position);
        update();
        panel_->update();
    }
}

void THtmlPane::SetViewImages(bool value)
{
    if (value == document_->ShowImages || processing_)
        return;
    RelayoutWithCursor([this, value] {
        document_->ShowImages = value;
        if (!document_->Items.empty())
            document_->BackgroundBitmap();
    });
}

void THtmlPane::SetDefBackground(TColor color)
{
    if (processing_)
        return;
    defBackground_ = color;
    document_->SetBackground(color);
    update();
    panel_->update();
}

void THtmlPane::SetBorderStyle(THTMLBorderStyle style)
{
    borderStyle_ = style;
    update();
}

void THtmlPane::SetHistoryMaxCount(int count)
{
    if (count == historyMaxCount_ || count < 0)
        return;
    if (count < historyMaxCount_)
        ClearHistory();
    historyMaxCount_ = count;
}

void THtmlPane::SetDefFontName(const std::string& name)
{
    if (EqualIgnoringCase(name, document_->FontName))
        return;
    defFontName_ = name;
    ApplyDefaultFonts();
    if (!document_->Items.empty())
        RelayoutKeepPosition();
    panel_->update();
}

void THtmlPane::SetDefPreFontName(const std::string& name)
{
    if (EqualIgnoringCase(name, document_->FixedFontName))
        return;
    defPreFontName_ = name;
    ApplyDefaultFonts();
    if (!document_->Items.empty())
        RelayoutKeepPosition();
    panel_->update();
}

void THtmlPane::SetDefFontSize(int size)
{
    defFontSize_ = std::max(size, kMinFontSize);
    ApplyDefaultFonts();
    if (!document_->Items.empty())
        RelayoutKeepPosition();
    panel_->update();
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
    if (value == noSelect_)
        return;
    noSelect_ = value;
    if (value) {
        document_->SelectionBegin = -1;
        document_->SelectionEnd = -1;
        panel_->update();
    }
}

void THtmlPane::SetScrollBars(TScrollStyle style)
{
    if (style == scrollBars_)
        return;
    scrollBars_ = style;
    {
        const TProcessingScope busy(*this);
        DoLayout();
    }
    update();
    panel_->update();
}

void THtmlPane::SetCharSet(int charSet)
{
    charSet_ = charSet;
    ApplyDefaultFonts();
    if (!document_->Items.empty())
        RelayoutKeepPosition();
    panel_->update();
}

void THtmlPane::SetMarginHeight(int margin)
{
    if (margin == marginHeight_ || processing_ || margin < 0 || margin > kMaxMargin)
        return;
    RelayoutWithCursor([this, margin] { marginHeight_ = margin; });
}

void THtmlPane::SetMarginWidth(int margin)
{
    if (margin == marginWidth_ || processing_ || margin < 0 || margin > kMaxMargin)
        return;
    RelayoutWithCursor([this, margin] { marginWidth_ = margin; });
}

void THtmlPane::SetServerRoot(std::string_view root)
{
    serverRoot_ = TrimName(root);
    if (!serverRoot_.empty() && (serverRoot_.back() == '/' || serverRoot_.back() == '\\'))
        serverRoot_.pop_back();
}

// ---- Layout -----------------------------------------------------------------

bool THtmlPane::VerticalAllowed() const
{
    return scrollBars_ == TScrollStyle::Vertical || scrollBars_ == TScrollStyle::Both;
}

bool THtmlPane::HorizontalAllowed() const
{
    return scrollBars_ == TScrollStyle::Horizontal || scrollBars_ == TScrollStyle::Both;
}

int THtmlPane::PanelWidth() const
{
    return panel_->width();
}

int THtmlPane::PanelHeight() const
{
    return panel_->height();
}

void THtmlPane::DoLayout()
{
    scrollWidth_ = 0;
    const TSuppressDrawing suppressed(*this);
    const int border = borderStyle_ == THTMLBorderStyle::None ? 1 : 3;
    int position = 0;
    int maxWidth = 0;
    if (VerticalAllowed()) {
        const int layoutWidth = width() - scrollBarWidth_ - border - 2 * marginWidth_;
        docHeight_ = document_->Layout(measure_, marginHeight_, layoutWidth, position, maxWidth) + 2 * marginHeight_;
    } else {
        // Without a vertical bar the page ends at its last item: one margin.
        const int layoutWidth = width() - border - 2 * marginWidth_;
        docHeight_ = document_->Layout(measure_, marginHeight_, layoutWidth, position, maxWidth) + marginHeight_;
    }
    scrollWidth_ = maxWidth;
    ArrangeScrollBars();
}

void THtmlPane::ArrangeScrollBars()
{
    scrollWidth_ = std::min(scrollWidth_, kMaxScrollWidth);
    const int frame = borderStyle_ == THTMLBorderStyle::None ? 0 : 1;
    const int fullWidth = width();
    const int fullHeight = height();
    const int barWidth = scrollBarWidth_;
    const int contentWidth = 2 * marginWidth_ + scrollWidth_;

    bool vertical = false;
    bool horizontal = false;
    if (VerticalAllowed()) {
        vertical = docHeight_ >= fullHeight - 2 ||
                   (HorizontalAllowed() && docHeight_ >= fullHeight - 2 - barWidth &&
                    contentWidth > fullWidth - barWidth);
        horizontal = HorizontalAllowed() &&
                     (contentWidth > fullWidth || (vertical && contentWidth > fullWidth - barWidth));
    } else {
        horizontal = HorizontalAllowed() && contentWidth > fullWidth;
    }

    const int visibleWidth = vertical ? fullWidth - barWidth : fullWidth;
    const int panelWidth = std::max(0, visibleWidth - 2 * frame);
    const int panelHeight = std::max(0, horizontal ? fullHeight - 2 * frame - barWidth : fullHeight - 2 * frame);
    panel_->setGeometry(frame, frame, panelWidth, panelHeight);

    movingBar_ = true;
    horizontalBar_->setVisible(horizontal);
    horizontalBar_->setPageStep(std::max(1, visibleWidth - 20));
    horizontalBar_->setGeometry(frame, fullHeight - barWidth - frame, std::max(0, visibleWidth - frame), barWidth);
    const int horizontalMaximum = std::max(0, std::max(contentWidth, visibleWidth - 2 * frame));
    horizontalBar_->setRange(0, std::max(0, horizontalMaximum - panelWidth));

    verticalBar_->setGeometry(fullWidth - barWidth - frame, frame, barWidth, panelHeight);
    verticalBar_->setPageStep(std::max(1, panelHeight - kVerticalLineStep));
    verticalBar_->setVisible(vertical);
    verticalBar_->setRange(0, MaxVerticalPosition());
    movingBar_ = false;
    // A shorter range may have pulled the position back.
    document_->SetYOffset(verticalBar_->value());
}

int THtmlPane::MaxVerticalPosition() const
{
    return std::max(0, docHeight_ - PanelHeight());
}

void THtmlPane::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (width() == lastLayoutWidth_ || processing_) {
        ArrangeScrollBars();
    } else {
        RelayoutKeepPosition();
        lastLayoutWidth_ = width();
    }
    if (docHeight_ < PanelHeight())
        SetPosition(0);
    else
        ScrollTo(VScrollPos());
    horizontalBar_->setValue(std::min(horizontalBar_->value(), horizontalBar_->maximum()));
}

// ---- Scrolling --------------------------------------------------------------

int THtmlPane::VScrollPos() const
{
    return verticalBar_->value();
}

int THtmlPane::HScrollPos() const
{
    return horizontalBar_->value();
}

void THtmlPane::SetVerticalPosition(int y)
{
    movingBar_ = true;
    verticalBar_->setValue(y);
    movingBar_ = false;
    document_->SetYOffset(y);
}

void THtmlPane::ScrollTo(int y)
{
    y = std::max(std::min(y, docHeight_ - PanelHeight()), 0);
    SetVerticalPosition(y);
    update();
    panel_->update();
}

void THtmlPane::SetVScrollPos(int y)
{
    y = std::min(std::max(y, 0), docHeight_ - PanelHeight());
    if (y != VScrollPos())
        ScrollTo(y);
}

void THtmlPane::VerticalBarMoved(int value)
{
    if (movingBar_)
        return;
    // The user moved the bar: the existing pixels move, the uncovered strip is painted.
    const int old = document_->YOffset;
    document_->SetYOffset(value);
    panel_->scroll(0, old - value);
}

void THtmlPane::MoveVertically(int y)
{
    y = std::max(std::min(std::max(y, 0), docHeight_ - PanelHeight()), 0);
    const int old = VScrollPos();
    SetVerticalPosition(y);
    if (std::abs(y - old) == kVerticalLineStep)
        panel_->scroll(0, old - y);
    else
        panel_->update();
}

void THtmlPane::MoveHorizontally(int x)
{
    // The bar's range ends at its maximum less the panel width.
    horizontalBar_->setValue(std::clamp(x, 0, horizontalBar_->maximum()));
    panel_->update();
}

void THtmlPane::keyPressEvent(QKeyEvent* event)
{
    if (OnKeyDown)
        OnKeyDown(*this, *event);
    const int position = VScrollPos();
    switch (event->key()) {
    case Qt::Key_PageUp:
        MoveVertically(position - verticalBar_->pageStep());
        break;
    case Qt::Key_PageDown:
        MoveVertically(position + verticalBar_->pageStep());
        break;
    case Qt::Key_End:
        MoveVertically(docHeight_);
        break;
    case Qt::Key_Home:
        MoveVertically(0);
        break;
    case Qt::Key_Up:
        MoveVertically(position - kVerticalLineStep);
        break;
    case Qt::Key_Down:
        MoveVertically(position + kVerticalLineStep);
        break;
    case Qt::Key_Left:
        MoveHorizontally(HScrollPos() - kHorizontalLineStep);
        break;
    case Qt::Key_Right:
        MoveHorizontally(HScrollPos() + kHorizontalLineStep);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void THtmlPane::ScrollVerticallyBy(int pixels)
{
    const int old = VScrollPos();
    const int y = std::clamp(old + pixels, 0, MaxVerticalPosition());
    if (y == old)
        return;
    SetVerticalPosition(y);
    panel_->scroll(0, old - y);
}

QPoint THtmlPane::WheelPixels(const QWheelEvent& event)
{
    QPoint angle = event.angleDelta();
    QPoint pixels = event.pixelDelta();
    if (event.modifiers().testFlag(Qt::ShiftModifier) && angle.x() == 0 && pixels.x() == 0) {
        angle = QPoint(angle.y(), 0);
        pixels = QPoint(pixels.y(), 0);
    }
    if (pixels.isNull()) {
        // One notch is 120 eighths of a degree; finer wheels send less, and
        // what does not make a whole pixel yet waits for the next turn.
        const int lines = QApplication::wheelScrollLines();
        const QPoint turned =
            wheelRemainder_ + QPoint(angle.x() * lines * kHorizontalLineStep, angle.y() * lines * kVerticalLineStep);
        constexpr int kNotch = QWheelEvent::DefaultDeltasPerStep;
        pixels = QPoint(turned.x() / kNotch, turned.y() / kNotch);
        wheelRemainder_ = turned - pixels * kNotch;
    }
    // A turn away from the user (positive) shows what lies above.
    return -pixels;
}

void THtmlPane::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (processing_)
        return;
    const QPoint pixels = WheelPixels(*event);

    if (pixels.y() != 0)
        ScrollVerticallyBy(pixels.y());
    if (pixels.x() != 0)
        MoveHorizontally(HScrollPos() + pixels.x());
}

int THtmlPane::Position() const
{
    int top = 0;
    int index = 0;
    if (!document_->ItemAtY(VScrollPos(), top, index))
        return 0;
    const auto packed = (static_cast<std::uint32_t>(index) << 16) |
                        (static_cast<std::uint32_t>(VScrollPos() - top) & 0xFFFFu);
    return static_cast<int>(packed);
}

void THtmlPane::SetPosition(int position)
{
    if (position < 0)
        return;
    const auto packed = static_cast<std::uint32_t>(position);
    const int index = static_cast<int>(packed >> 16);
    const int offset = static_cast<int>(packed & 0xFFFFu);
    if (index < static_cast<int>(document_->Items.size()))
        ScrollTo(document_->ItemTop(index) + offset);
}

void THtmlPane::ScrollDocumentYIntoView(int y)
{
    const int clientHeight = height();
    if (y < VScrollPos() || y > VScrollPos() + clientHeight - kBottomSlack)
        SetVScrollPos(y - clientHeight / 2);
}

void THtmlPane::ScrollFormControlIntoView(const TFormControlObj& control)
{
    ScrollDocumentYIntoView(control.LineY);
    update();
    panel_->update();
}

// ---- Painting ---------------------------------------------------------------

void THtmlPane::paintEvent(QPaintEvent*)
{
    if (borderStyle_ == THTMLBorderStyle::None)
        return;
    const bool visible =
        borderStyle_ == THTMLBorderStyle::Single || (borderStyle_ == THTMLBorderStyle::Focused && hasFocus());
    QPainter painter(this);
    painter.setPen(ToQColor(visible ? clWindowText : panel_->Color));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, width() - 1, height() - 1);
}

void THtmlPane::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void THtmlPane::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void THtmlPane::DrawBackground(TCanvas& canvas, const TRect& damaged)
{
    if (!canvas.HasDevice())
        return;
    const int vertical = VScrollPos();
    const int horizontal = HScrollPos();
    canvas.SetBrush(panel_->Color | kPaletteRelative);
    const QImage& tile = document_->ShowImages ? document_->BackgroundBitmap() : QImage();
    if (tile.isNull() || tile.width() <= 0 || tile.height() <= 0) {
        canvas.FillRect(damaged);
        return;
    }
    // A picture with alpha (a PNG) is blended onto the page's colour.
    if (tile.hasAlphaChannel())
        canvas.FillRect(damaged);
    // The tile grid is anchored to the document, so that it scrolls with the page.
    const int tileWidth = tile.width();
    const int tileHeight = tile.height();
    const int firstX = damaged.Left - PositiveModulo(damaged.Left + horizontal, tileWidth);
    const int firstY = damaged.Top - PositiveModulo(damaged.Top + vertical, tileHeight);
    for (int y = firstY; y < damaged.Bottom; y += tileHeight)
        for (int x = firstX; x < damaged.Right; x += tileWidth)
            canvas.Draw(x, y, tile);
}

void THtmlPane::PaintDocument(TCanvas& canvas, const TRect& damaged)
{
    if (panel_->DrawingSuppressed)
        return;
    TRect clip{marginWidth_, 1, PanelWidth(), PanelHeight()};
    // Painting the whole view places every visible form control and marks
    // every visible animation as painted; without either, the items outside
    // the damaged rectangle can be skipped with the same pixels.
    if (document_->FormControlList.empty() && document_->AnimatedImages.empty())
        clip = clip.Intersected(damaged);
    document_->Paint(canvas, clip, marginHeight_, DocumentLeft(), kMaxScrollWidth);
}

void THtmlPane::PaintPanelInto(QImage& image, const QRect& rectangle)
{
    if (!panel_->DrawingSuppressed)
        panel_->PaintInto(image, rectangle);
}
