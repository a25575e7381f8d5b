#pragma once
// Colour values as the engine keeps them: 0x00BBGGRR, red in the low byte.
// A high byte of 0x80 names a system colour (resolved through the application
// palette when drawing); colours read from documents carry the
// palette-relative flag, which drawing ignores.

#include <cstdint>

using TColor = std::uint32_t;

constexpr TColor kPaletteRelative = 0x02000000;
constexpr TColor kSystemColorFlag = 0x80000000;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor RGB(int red, int green, int blue)
{
    return static_cast<TColor>(red & 0xFF) | static_cast<TColor>(green & 0xFF) << 8
        | static_cast<TColor>(blue & 0xFF) << 16;
}

constexpr int RedOf(TColor color) { return color & 0xFF; }
constexpr int GreenOf(TColor color) { return (color >> 8) & 0xFF; }
constexpr int BlueOf(TColor color) { return (color >> 16) & 0xFF; }

constexpr bool IsSystemColor(TColor color) { return (color & 0xFF000000) == kSystemColorFlag; }

// The standard colours, in the order colour grids and name lists show them.
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

// System colours by index.
constexpr TColor clScrollBar = kSystemColorFlag | 0;
constexpr TColor clBackground = kSystemColorFlag | 1;
constexpr TColor clActiveCaption = kSystemColorFlag | 2;
constexpr TColor clInactiveCaption = kSystemColorFlag | 3;
constexpr TColor clMenu = kSystemColorFlag | 4;
constexpr TColor clWindow = kSystemColorFlag | 5;
constexpr TColor clWindowFrame = kSystemColorFlag | 6;
constexpr TColor clMenuText = kSystemColorFlag | 7;
constexpr TColor clWindowText = kSystemColorFlag | 8;
constexpr TColor clCaptionText = kSystemColorFlag | 9;
constexpr TColor clActiveBorder = kSystemColorFlag | 10;
constexpr TColor clInactiveBorder = kSystemColorFlag | 11;
constexpr TColor clAppWorkSpace = kSystemColorFlag | 12;
constexpr TColor clHighlight = kSystemColorFlag | 13;
constexpr TColor clHighlightText = kSystemColorFlag | 14;
constexpr TColor clBtnFace = kSystemColorFlag | 15;
constexpr TColor clBtnShadow = kSystemColorFlag | 16;
constexpr TColor clGrayText = kSystemColorFlag | 17;
constexpr TColor clBtnText = kSystemColorFlag | 18;
constexpr TColor clInactiveCaptionText = kSystemColorFlag | 19;
constexpr TColor clBtnHighlight = kSystemColorFlag | 20;
constexpr TColor cl3DDkShadow = kSystemColorFlag | 21;
constexpr TColor cl3DLight = kSystemColorFlag | 22;
constexpr TColor clInfoText = kSystemColorFlag | 23;
constexpr TColor clInfoBk = kSystemColorFlag | 24;
