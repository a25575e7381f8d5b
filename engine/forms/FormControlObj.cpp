#include "engine/forms/FormControlObj.h"

#include "engine/canvas/Canvas.h"
#include "engine/forms/ControlSurface.h"
#include "engine/layout/SectionList.h"

#include <QApplication>
#include <QEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// Tells the viewer when a control's widget gains the focus, and lets the
// document settle its unplaced widgets when the focus goes.
class TFocusWatcher : public QObject {
public:
    TFocusWatcher(TFormControlObj& control, QWidget* widget) : QObject(widget), control_(control)
    {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool focusIn = event->type() == QEvent::FocusIn;
        if ((focusIn || event->type() == QEvent::FocusOut) && IsInPage()) {
            TSectionList& document = *control_.Owner;
            if (!focusIn) {
                document.HideUnplacedControls();
            } else {
                if (document.FormFocusHandler)
                    document.FormFocusHandler(control_);
                document.ParkUnplacedControls();
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Freeing a page moves the focus between its widgets after the page has
    // let go of its controls; those moves concern nobody.
    bool IsInPage() const
    {
        const auto& controls = control_.Owner->FormControlList;
        return std::find(controls.begin(), controls.end(), &control_) != controls.end();
    }

    TFormControlObj& control_;
};

// The document's form controls as layout, painting and scrolling handle them.
class TFormControlPlacement final : public TControlPlacement {
public:
    void SizeFromCanvas(TSectionList& document, TCanvas& canvas) const override
    {
        for (TFormControlObj* control : document.FormControlList)
            control->SizeFromCanvas(canvas);
    }

    void MarkUnplaced(TSectionList& document) const override
    {
        for (TFormControlObj* control : document.FormControlList)
            control->Shown = false;
    }

    void HideUnplaced(TSectionList& document) const override
    {
        // Hiding the control that has the focus would take the focus away
        // from it; it is put out of sight instead, and so are the others.
        const QWidget* focus = QApplication::focusWidget();
        const auto& controls = document.FormControlList;
        const bool focusInPage = focus && std::any_of(controls.begin(), controls.end(),
                                                      [focus](const TFormControlObj* control) {
                                                          return control->FocusWidget() == focus;
                                                      });
        if (focusInPage) {
            ParkUnplaced(document);
            return;
        }
        for (TFormControlObj* control : controls)
            if (!control->Shown && control->Widget)
                control->Widget->hide();
    }

    void ParkUnplaced(TSectionList& document) const override
    {
        for (TFormControlObj* control : document.FormControlList) {
            if (!control->Shown && control->Widget) {
                control->Widget->move(TSectionList::kOutOfSightLeft, control->Widget->y());
                control->Widget->show();
            }
        }
    }
};

const TFormControlPlacement kFormControlPlacement;

int ScaledLength(int length, double scale)
{
    return scale == 1.0 ? length : static_cast<int>(std::lround(length * scale));
}

bool HoldsFocus(const TFormControlObj& control, const QWidget* focus)
{
    return control.Widget && (control.Widget == focus || control.Widget->isAncestorOf(focus));
}

bool TakesTabFocus(const QWidget* widget)
{
    return widget && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus);
}

}  // namespace

TFormControlObj::TFormControlObj(TSectionList* owner, ThtmlForm* form, int position)
    : Owner(owner), Form(form)
{
    Position = position;
    if (owner)
        owner->ControlPlacement = &kFormControlPlacement;
}

TFormControlObj::~TFormControlObj()
{
    // Deleted in place: taking the widget off its parent first would walk
    // the focus chain of every control of the page, once per control.
    if (Widget) {
        Widget->hide();
        delete Widget.data();
    }
}

QWidget* TFormControlObj::FocusWidget() const
{
    return Widget.data();
}

void TFormControlObj::ResetToValue() {}

bool TFormControlObj::SubmissionItem(int, std::string&)
{
    return false;
}

void TFormControlObj::SizeFromCanvas(TCanvas&) {}

void TFormControlObj::WillMakeWidget(int width, int height)
{
    makesWidget_ = true;
    width_ = width;
    height_ = height;
}

QWidget* TFormControlObj::MakeWidget()
{
    return nullptr;
}

QWidget* TFormControlObj::EnsureWidget()
{
    // A document without a drawing surface (the layout dump) makes none: a
    // widget without a parent would be a window of its own.
    if (Widget || !makesWidget_ || !Owner || !ControlParentOf(*Owner))
        return Widget.data();
    QWidget* widget = MakeWidget();
    if (!widget)
        return nullptr;
    Widget = widget;
    widget->setGeometry(0, kUnplacedTop, width_, height_);
    fontPixels_ = widget->font().pixelSize();
    KeepFocusChainInDocumentOrder();
    new TFocusWatcher(*this, FocusWidget());
    return widget;
}

void TFormControlObj::KeepFocusChainInDocumentOrder()
{
    if (!Owner || !FocusWidget())
        return;
    const auto& controls = Owner->FormControlList;
    const auto self = std::find(controls.begin(), controls.end(), this);
    if (self == controls.end())
        return;
    const auto made = [](const TFormControlObj* control) { return control->FocusWidget() != nullptr; };
    const auto earlier = std::find_if(std::make_reverse_iterator(self), controls.rend(), made);
    if (earlier != controls.rend()) {
        QWidget::setTabOrder((*earlier)->FocusWidget(), FocusWidget());
        return;
    }
    // The first made widget of the page: the made widgets of later controls
    // follow it again, in their order.
    QWidget* previous = FocusWidget();
    for (auto later = std::next(self); later != controls.end(); ++later) {
        if (QWidget* next = (*later)->FocusWidget()) {
            QWidget::setTabOrder(previous, next);
            previous = next;
        }
    }
}

// The page's own size: a zoomed widget is larger on its surface.
int TFormControlObj::Width() const
{
    return width_;
}

int TFormControlObj::Height() const
{
    return height_;
}

void TFormControlObj::Resize(int width, int height)
{
    width_ = width;
    height_ = height;
    if (Widget)
        Widget->resize(ScaledLength(width, widgetScale_), ScaledLength(height, widgetScale_));
}

void TFormControlObj::FollowScale(double scale)
{
    if (scale == widgetScale_)
        return;
    widgetScale_ = scale;
    Widget->resize(ScaledLength(width_, scale), ScaledLength(height_, scale));
    if (fontPixels_ > 0) {
        QFont font = Widget->font();
        font.setPixelSize(std::max(1, ScaledLength(fontPixels_, scale)));
        Widget->setFont(font);
    }
}

void TFormControlObj::Place(int left, int top, TColor background)
{
    if (!EnsureWidget())
        return;
    if (PanelTakesBackground) {
        QPalette palette = Widget->palette();
        palette.setColor(QPalette::Window, ToQColor(background));
        Widget->setPalette(palette);
        Widget->setAutoFillBackground(true);
    }
    FollowScale(ControlScaleOf(*Owner));
    Widget->move(ScaledLength(left, widgetScale_), ScaledLength(top, widgetScale_));
    Widget->show();
    Shown = true;
}

void TFormControlObj::Draw(TCanvas& canvas, int left, int top)
{
    QPainter* painter = canvas.Painter();
    if (painter == nullptr || !EnsureWidget())
        return;
    // At the page's own size: the canvas scales it as it scales the text.
    FollowScale(1.0);
    // A PDF takes the widget's own drawing, its text staying text; a device
    // that records the drawing (a print preview) takes its picture.
    if (painter->paintEngine() != nullptr && painter->paintEngine()->type() == QPaintEngine::Pdf)
        Widget->render(painter, QPoint(left, top));
    else
        painter->drawPixmap(left, top, Widget->grab());
}

TFormControlObj* FocusedFormControl(const TSectionList& document)
{
    const QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return nullptr;
    const auto& controls = document.FormControlList;
    const auto found = std::find_if(controls.begin(), controls.end(),
                                    [focus](const TFormControlObj* control) { return HoldsFocus(*control, focus); });
    return found == controls.end() ? nullptr : *found;
}

bool FocusFormControl(TFormControlObj& control, bool forward)
{
    if (!control.HasWidget())
        return false;
    control.EnsureWidget();
    QWidget* target = control.FocusWidget();
    if (!TakesTabFocus(target))
        return false;
    // Only a visible widget takes the focus: one the window does not
    // show waits out of sight until the viewer scrolls to it.
    if (!control.Shown) {
        control.Widget->move(TSectionList::kOutOfSightLeft, control.Widget->y());
        control.Widget->show();
    }
    target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

TImageFormControlObj::TImageFormControlObj(TSectionList* owner, ThtmlForm* form, int position)
    : TFormControlObj(owner, form, position)
{
}

bool TImageFormControlObj::SubmissionItem(int index, std::string& text)
{
    if (XClick < 0 || index > 1)
        return false;
    const std::string prefix = Name.empty() ? std::string() : Name + ".";
    if (index == 0) {
        text = prefix + "x=" + std::to_string(XClick);
    } else {
        text = prefix + "y=" + std::to_string(YClick);
        XClick = -1;
    }
    return true;
}
