#include "engine/FormControlObj.h"

#include "engine/Canvas.h"

#include <QPalette>
#include <QWidget>

TFormControlObj::TFormControlObj(TSectionList* owner, ThtmlForm* form, int position)
    : Position(position), Owner(owner), Form(form)
{
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

int TFormControlObj::Width() const
{
    return Widget ? Widget->width() : 0;
}

int TFormControlObj::Height() const
{
    return Widget ? Widget->height() : 0;
}

void TFormControlObj::Place(int left, int top, TColor background)
{
    if (!Widget)
        return;
    if (PanelTakesBackground) {
        QPalette palette = Widget->palette();
        palette.setColor(QPalette::Window, ToQColor(background));
        Widget->setPalette(palette);
        Widget->setAutoFillBackground(true);
    }
    Widget->move(left, top);
    Widget->show();
    Shown = true;
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
