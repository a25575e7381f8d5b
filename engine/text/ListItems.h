#pragma once
// List items: text sections with a marker before their first line. Unordered
// items show a bullet, ordered items a number, letter or roman numeral,
// definition list items nothing.

#include "engine/text/Section.h"

#include <string>

class TUListItem : public TSection {
public:
    // The bullet's distance left of the first line and its size.
    static constexpr int kBulletLeft = 10;
    static constexpr int kBulletRight = 5;

    // List items are always left aligned.
    TUListItem(int listLevel, const TUrlTarget* link, const TMyFont& font, TBuilderStyle& builderStyle);

    // Set by the builder for items that show no bullet.
    bool NoBullet = false;

protected:
    void PaintMarker(TCanvas& canvas, int x0, int textBottom, const LineRec& line) override;
};

class TDListItem : public TUListItem {
public:
    TDListItem(int listLevel, const TUrlTarget* link, const TMyFont& font, TBuilderStyle& builderStyle);

protected:
    void PaintMarker(TCanvas& canvas, int x0, int textBottom, const LineRec& line) override;
};

class TOListItem : public TUListItem {
public:
    // The number text ends this far left of the first line.
    static constexpr int kNumberGap = 5;

    // `numberType` is "A", "a", "I" or "i"; anything else numbers in decimal.
    TOListItem(int listLevel, int itemNumber, char numberType, const TUrlTarget* link, const TMyFont& font,
               TBuilderStyle& builderStyle);

    int ItemNumber;
    char NumberType;
    // The number is drawn in the font the item was made with.
    TMyFont MarkerFont;

    // The marker text: "C." for 3 with type "A", "iv." for 4 with type "i".
    // Letters stop at Z and numerals at XX; numbers of 0 or below have no
    // letter or numeral and show in decimal.
    static std::string MarkerText(int number, char numberType);

    void ApplyDefaultFonts() override;
    // A number wider than the item's indent would reach left of its cell
    // (at the page's edge, out of the window): the text moves right instead.
    int Layout(TCanvas& canvas, int y, int& position, int& maxWidth, IndentManager& indent) override;
    void WidthRange(TCanvas& canvas, int& minimum, int& maximum) override;

protected:
    void PaintMarker(TCanvas& canvas, int x0, int textBottom, const LineRec& line) override;

private:
    // How far the marker reaches left of the text, its gap included.
    int MarkerReach() const;
};
