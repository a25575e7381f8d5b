#include "engine/layout/BlockItems.h"

#include "engine/canvas/Canvas.h"
#include "engine/base/MulDiv.h"
#include "engine/layout/SectionList.h"
#include "engine/lexer/Symbols.h"
#include "engine/canvas/TextSinks.h"

#include <algorithm>
#include <string>

namespace {

constexpr int kParagraphSpaceTwelfths = 14;
constexpr int kRuleSpaceTwelfths = 20;

// Twelfths of the base font size around headings of levels 1 to 6; level 4
// and any level out of range take 8.
constexpr int kHeadingSpaceTwelfths[] = {16, 12, 10, 8, 6, 4};
constexpr int kDefaultHeadingSpaceTwelfths = 8;

int Twelfths(const TSectionList& document, int twelfths)
{
    return MulDiv(twelfths, document.BaseFontSize, 12);
}

void EmitLineBreak(TTextSink& sink)
{
    sink.AddText("\r\n");
}

} // namespace

void TParagraphSpace::CopySelection(TTextSink& sink)
{
    EmitLineBreak(sink);
}

void TParagraphSpace::AdjustToBaseSize()
{
    SectionHeight = Twelfths(*Document, kParagraphSpaceTwelfths);
}

void THeadingSpace::CopySelection(TTextSink& sink)
{
    EmitLineBreak(sink);
}

void THeadingSpace::AdjustToBaseSize()
{
    const bool known = Level >= 1 && Level <= static_cast<int>(std::size(kHeadingSpaceTwelfths));
    SectionHeight = Twelfths(*Document, known ? kHeadingSpaceTwelfths[Level - 1] : kDefaultHeadingSpaceTwelfths);
}

THorzLine::THorzLine(const TAttributeList& attributes)
{
    for (const TAttribute& attribute : attributes) {
        switch (attribute.Symbol) {
        case TSymbol::Align: {
            const std::string align = LowerCasePrefix(attribute.Text, 10);
            if (align == "left")
                Align = THorzLineAlign::Left;
            else if (align == "right")
                Align = THorzLineAlign::Right;
            break;
        }
        case TSymbol::Width:
            if (attribute.Value > 0) {
                const bool percent = attribute.Text.find('%') != std::string::npos;
                if (!percent || attribute.Value <= 100) {
                    Width = attribute.SizeValue();
                    WidthIsPercent = percent;
                }
            }
            break;
        case TSymbol::Size:
            if (attribute.Value >= 1 && attribute.Value <= kMaxThickness)
                Thickness = attribute.Value;
            break;
        case TSymbol::Color:
            if (const auto color = ParseColor(attribute.Text))
                Color = *color;
            break;
        case TSymbol::NoShade:
            NoShade = true;
            break;
        default:
            break;
        }
    }
}

void THorzLine::CopySelection(TTextSink& sink)
{
    EmitLineBreak(sink);
}

void THorzLine::AdjustToBaseSize()
{
    SectionHeight = Twelfths(*Document, kRuleSpaceTwelfths) + Thickness - kDefaultThickness;
}

int THorzLine::Paint(TCanvas& canvas, const TRect& clip, int y, int x, IndentManager& indent)
{
    const int next = TSectionBase::Paint(canvas, clip, y, x, indent);
    const int windowY = y - Document->YOffset;
    if (windowY + SectionHeight < clip.Top || windowY >= clip.Bottom)
        return next;

    const int top = windowY + (SectionHeight - Thickness) / 2;
    const int left = indent.LeftEdge(y);
    const int right = indent.RightEdge(y);
    int x1 = left + kFullWidthInset;
    int x2 = right - kFullWidthInset;
    if (Width) {
        const int width = WidthIsPercent ? MulDiv(right - left, *Width, 100) : *Width;
        switch (Align) {
        case THorzLineAlign::Left:
            x1 = left;
            break;
        case THorzLineAlign::Centre:
            x1 = left + (right - left - width) / 2;
            break;
        case THorzLineAlign::Right:
            x1 = right - width;
            break;
        }
        x2 = x1 + width;
    }
    // The rule stays inside its own cell: a cell too narrow for the insets
    // gets a rule across it, and a WIDTH wider than the cell is cut.
    if (x2 < x1) {
        x1 = left;
        x2 = right;
    }
    x1 = std::max(x1, left);
    x2 = std::min(x2, right);
    if (x2 <= x1)
        return next;

    if (Color) {
        canvas.SetBrush(*Color | kPaletteRelative);
        canvas.FillRect({x1, top, x2, top + Thickness});
    } else {
        PaintGroove(canvas, x1, top, x2);
    }
    return next;
}

// A groove: shadow on the left and top edges, light on the right and bottom.
void THorzLine::PaintGroove(TCanvas& canvas, int left, int top, int right) const
{
    const int bottom = top + Thickness;
    canvas.SetPen(NoShade ? clBlack : clBtnShadow);
    canvas.MoveTo(left, bottom);
    canvas.LineTo(left, top);
    canvas.LineTo(right, top);
    // The usual light edge would vanish on a white page; silver stays visible.
    const TColor light = Document->BackgroundIsWhite() ? clSilver : clBtnHighlight;
    canvas.SetPen(NoShade ? clBlack : light);
    canvas.LineTo(right, bottom);
    canvas.LineTo(left, bottom);
}
