#include "engine/text/ListItems.h"

#include "engine/base/ScopeExit.h"
#include "engine/canvas/Canvas.h"
#include "engine/layout/IndentManager.h"
#include "engine/layout/SectionList.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr int kLastLetter = 25;  // Z
constexpr std::array<std::string_view, 20> kRomanNumerals = {
    "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X",
    "XI", "XII", "XIII", "XIV", "XV", "XVI", "XVII", "XVIII", "XIX", "XX",
};

// Bullets by list level on a plain background: red, navy, maroon, again.
constexpr std::array<TColor, 3> kBulletColors = {RGB(255, 0, 0), RGB(0, 0, 128), RGB(128, 0, 0)};

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

// Backgrounds on which bullets are drawn filled in the colours of their level.
bool IsPlainBackground(const TSectionList& document)
{
    const TColor background = document.Background;
    return background == clBtnFace || document.BackgroundIsWhite()
        || (!IsSystemColor(background) && (background & 0xFFFFFF) == clSilver);
}

} // namespace

TUListItem::TUListItem(int listLevel, const TUrlTarget* link, const TMyFont& font, TBuilderStyle& builderStyle)
    : TSection(listLevel, TParaAlign::Left, link, font, builderStyle)
{
    ListKind = TListKind::Unordered;
}

void TUListItem::PaintMarker(TCanvas& canvas, int x0, int textBottom, const LineRec& line)
{
    if (NoBullet)
        return;
    const int yc = textBottom - Document->YOffset - line.TextHeight / 2;
    if (IsPlainBackground(*Document)) {
        const TColor color = kBulletColors[static_cast<std::size_t>(ListLevel) % kBulletColors.size()];
        canvas.SetPen(color);
        canvas.SetBrush(color);
    } else {
        canvas.SetPen(Document->FontColor);
        canvas.SetBrushStyle(TBrushStyle::Clear);
    }
    canvas.Ellipse({x0 - kBulletLeft, yc - 2, x0 - kBulletRight, yc + 3});
    canvas.SetBrush(Document->Background, TBrushStyle::Solid);
    canvas.SetPen(Document->FontColor);
}

TDListItem::TDListItem(int listLevel, const TUrlTarget* link, const TMyFont& font, TBuilderStyle& builderStyle)
    : TUListItem(listLevel, link, font, builderStyle)
{
    ListKind = TListKind::Definition;
}

void TDListItem::PaintMarker(TCanvas&, int, int, const LineRec&) {}

TOListItem::TOListItem(int listLevel, int itemNumber, char numberType, const TUrlTarget* link, const TMyFont& font,
                       TBuilderStyle& builderStyle)
    : TUListItem(listLevel, link, font, builderStyle), ItemNumber(itemNumber), NumberType(numberType),
      MarkerFont(Fonts()[0].Font())
{
    ListKind = TListKind::Ordered;
}

void TOListItem::ApplyDefaultFonts()
{
    TUListItem::ApplyDefaultFonts();
    MarkerFont.ApplyDefaults(Document->FontDefaults(), Document->FontColor);
}

std::string TOListItem::MarkerText(int number, char numberType)
{
    std::string text;
    const bool hasSymbol = number > 0;
    const char letter = static_cast<char>(std::min(number - 1, kLastLetter));
    if (hasSymbol && numberType == 'A')
        text = std::string(1, static_cast<char>('A' + letter));
    else if (hasSymbol && numberType == 'a')
        text = std::string(1, static_cast<char>('a' + letter));
    else if (hasSymbol && numberType == 'I')
        text = kRomanNumerals[static_cast<std::size_t>(std::min<int>(number, kRomanNumerals.size()) - 1)];
    else if (hasSymbol && numberType == 'i')
        text = LowerAscii(kRomanNumerals[static_cast<std::size_t>(std::min<int>(number, kRomanNumerals.size()) - 1)]);
    else
        text = std::to_string(number);
    return text + ".";
}

int TOListItem::MarkerReach() const
{
    return MarkerFont.TextWidth(MarkerText(ItemNumber, NumberType)) + kNumberGap;
}

int TOListItem::Layout(TCanvas& canvas, int y, int& position, int& maxWidth, IndentManager& indent)
{
    indent.SetListLevel(y, ListLevel);
    const int room = indent.LeftEdge(y) - indent.LeftEdgeX;
    const int push = std::max(0, MarkerReach() - room);
    if (push == 0)
        return TSection::Layout(canvas, y, position, maxWidth, indent);
    // Every line of the item starts that much further right.
    indent.LeftEdgeX += push;
    const TScopeExit unpush([&] { indent.LeftEdgeX -= push; });
    return TSection::Layout(canvas, y, position, maxWidth, indent);
}

void TOListItem::WidthRange(TCanvas& canvas, int& minimum, int& maximum)
{
    TSection::WidthRange(canvas, minimum, maximum);
    const int push = std::max(0, MarkerReach() - Indent());
    minimum += push;
    maximum += push;
}

void TOListItem::PaintMarker(TCanvas& canvas, int x0, int textBottom, const LineRec& line)
{
    const std::string text = MarkerText(ItemNumber, NumberType);
    canvas.SetFont(MarkerFont);
    canvas.SetBackgroundMode(TBackgroundMode::Transparent);
    canvas.SetTextAlign(TTextAlign::Baseline);
    canvas.TextOut(x0 - canvas.TextWidth(text) - kNumberGap, textBottom - line.Descent - Document->YOffset, text);
}
