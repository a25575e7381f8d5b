#pragma once
// The base of every form control object: the data a control keeps for its
// form and the operations the form and the text section use. A control stands
// in a text section at one character position (its control mark) and owns the
// platform widget that the section places when it paints that line.

#include "engine/base/Colors.h"
#include "engine/text/InlineControl.h"

#include <QPointer>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QWidget;
class TCanvas;
class TSectionList;
class ThtmlForm;

class TFormControlObj : public TInlineControl {
public:
    // Widgets wait out of sight at this top until their line is painted.
    static constexpr int kUnplacedTop = -400;

    TFormControlObj(TSectionList* owner, ThtmlForm* form, int position);
    // Frees the widget (taking it off the drawing surface).
    ~TFormControlObj() override;

    TSectionList* Owner;
    ThtmlForm* Form;
    std::string Value;
    std::string Name;
    // The widget once made, else null. A page may hold thousands of controls
    // of which a window shows a few, so a control makes its widget only when
    // first placed, given the focus or asked for (EnsureWidget); until then
    // the control itself holds the state the document gave. The drawing
    // surface is the widget's parent; QPointer so that a surface destroyed
    // first leaves no dangling widget behind.
    QPointer<QWidget> Widget;
    // Set by painting when the widget was placed in the painted band.
    bool Shown = false;
    // Radio buttons stand in a panel that takes the page background.
    bool PanelTakesBackground = false;

    // The operations, in the design's slot order.

    // The widget that receives the focus and the events; null while the
    // widget is not made.
    virtual QWidget* FocusWidget() const;
    // Back to the initial state the document gave.
    virtual void ResetToValue();
    // The submission item `index` (0, 1, 2, ...): false when there is none;
    // otherwise `text` is "name=value", or empty when the item contributes
    // nothing.
    virtual bool SubmissionItem(int index, std::string& text);
    // Sets the widget's size from the font metrics of the canvas.
    virtual void SizeFromCanvas(TCanvas& canvas);

    // Whether the control stands in the page as a widget, made or not yet
    // (hidden fields and image controls have none).
    bool HasWidget() const override { return makesWidget_ || !Widget.isNull(); }
    // The widget, made now if it was not: out of sight above the surface,
    // sized, and placed in the surface's focus chain in document order.
    // Null for controls without one, and in a document without a surface.
    QWidget* EnsureWidget();
    // The widget's size in pixels, whether it is made or not; 0 without one.
    int Width() const override;
    int Height() const override;
    // Puts the widget at the window point, shows it and marks it shown. A
    // panel that takes the background is filled with `background`.
    void Place(int left, int top, TColor background) override;
    void Draw(TCanvas& canvas, int left, int top) override;
    // Sizes and letters the widget for the surface's scale, if it changed.
    void FollowScale(double scale);

protected:
    // For controls with a widget: the size it starts with.
    void WillMakeWidget(int width, int height);
    // Makes the widget, a child of the document's drawing surface, in the
    // control's current state. Called once, by EnsureWidget.
    virtual QWidget* MakeWidget();
    // Sets the size, on the widget too once it is made.
    void Resize(int width, int height);

private:
    // Tab goes from widget to widget in the order of the controls, whatever
    // order the widgets were made in.
    void KeepFocusChainInDocumentOrder();

    bool makesWidget_ = false;
    int width_ = 0;
    int height_ = 0;
    // The scale the widget was last sized and lettered at, and its font's
    // pixel size at 100 % (none for a font given in points).
    double widgetScale_ = 1.0;
    int fontPixels_ = -1;
};

// The document control that holds the keyboard focus; null when none does.
TFormControlObj* FocusedFormControl(const TSectionList& document);
// Gives the control the keyboard focus, making its widget when needed; false
// when it takes no focus (a hidden field, a disabled control).
bool FocusFormControl(TFormControlObj& control, bool forward);

// The control behind INPUT TYPE=image: no widget, an inline image stands for
// it; a click on the picture records where the picture was hit.
class TImageFormControlObj : public TFormControlObj {
public:
    TImageFormControlObj(TSectionList* owner, ThtmlForm* form, int position);

    // The point clicked in the picture; XClick is negative while not clicked.
    int XClick = -1;
    int YClick = -1;

    void SetClick(int x, int y)
    {
        XClick = x;
        YClick = y;
    }
    // After a click: item 0 is "name.x=X", item 1 "name.y=Y" (the name and
    // the dot left out for an unnamed control); the second item clears the
    // click.
    bool SubmissionItem(int index, std::string& text) override;
};

