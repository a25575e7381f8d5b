#include "engine/layout/SectionBase.h"

#include "engine/layout/IndentManager.h"

#include "engine/base/Rect.h"

void TSectionBase::CopySelection(TTextSink&) {}

int TSectionBase::Layout(TCanvas&, int y, int& position, int& maxWidth, IndentManager& indent)
{
    Y = y;
    StartPosition = position;
    DrawHeight = SectionHeight;
    maxWidth = indent.Width;
    return SectionHeight;
}

int TSectionBase::Paint(TCanvas&, const TRect&, int y, int, IndentManager&)
{
    return y + SectionHeight;
}

bool TSectionBase::LinkAt(TCanvas&, int, int, int, TImageFormControlObj*&, TUrlTarget&)
{
    return false;
}

bool TSectionBase::ImageAt(int, int, int, int&, int&, TImageObj*&)
{
    return false;
}

int TSectionBase::PositionAt(TCanvas&, int, int, int, bool&, int&, int&, int&, TCell*&)
{
    return -1;
}

int TSectionBase::Search(int, std::string_view, bool)
{
    return -1;
}

bool TSectionBase::PositionToPoint(TCanvas&, int, int, int&, int&)
{
    return false;
}

bool TSectionBase::CharAt(int, char&, TSectionBase*&)
{
    return false;
}

void TSectionBase::ApplyDefaultFonts()
{
    AdjustToBaseSize();
}

void TSectionBase::AdjustToBaseSize() {}

void TSectionBase::WidthRange(TCanvas&, int& minimum, int& maximum)
{
    minimum = 0;
    maximum = 0;
}
