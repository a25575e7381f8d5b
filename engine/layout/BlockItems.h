#pragma once
// Block items that hold no text: the space between paragraphs, the space
// around a heading and the horizontal rule.

#include "engine/base/Colors.h"
#include "engine/layout/SectionBase.h"

#include <optional>

class TAttributeList;

// Space between paragraphs: 14 twelfths of the base font size.
class TParagraphSpace : public TSectionBase {
public:
    void CopySelection(TTextSink& sink) override;
    void AdjustToBaseSize() override;
};

// Space around a heading; its height depends on the heading level.
class THeadingSpace : public TSectionBase {
public:
    explicit THeadingSpace(int level) : Level(level) {}

    int Level;

    void CopySelection(TTextSink& sink) override;
    void AdjustToBaseSize() override;
};

enum class THorzLineAlign { Left, Centre, Right };

// A horizontal rule (HR): a filled bar of its colour, or a two-tone groove.
class THorzLine : public TSectionBase {
public:
    static constexpr int kDefaultThickness = 2;
    static constexpr int kMaxThickness = 20;
    // A rule of the full width stays this far in from each edge.
    static constexpr int kFullWidthInset = 10;

    explicit THorzLine(const TAttributeList& attributes);

    int Thickness = kDefaultThickness;
    // Pixels, or a percentage of the width between the edges; none: full width.
    std::optional<int> Width;
    bool WidthIsPercent = false;
    THorzLineAlign Align = THorzLineAlign::Centre;
    std::optional<TColor> Color;
    bool NoShade = false;

    void CopySelection(TTextSink& sink) override;
    int Paint(TCanvas& canvas, const TRect& clip, int y, int x, IndentManager& indent) override;
    void AdjustToBaseSize() override;

private:
    void PaintGroove(TCanvas& canvas, int left, int top, int right) const;
};
