#pragma once
// Preformatted text (PRE): a section whose spaces are kept as written and
// whose lines break only where the text breaks them.

#include "engine/text/Section.h"

class TPreFormated : public TSection {
public:
    // A preformatted line never shows more than this much of itself as its
    // narrowest width.
    static constexpr int kMaxMinimumWidth = 500;

    using TSection::TSection;

    // Appended as written: no space is collapsed or dropped.
    void AddText(std::string_view text) override;
    int Layout(TCanvas& canvas, int y, int& position, int& maxWidth, IndentManager& indent) override;
    void WidthRange(TCanvas& canvas, int& minimum, int& maximum) override;
    // An empty one keeps the height of a line.
    void Added() override;

protected:
    bool IsPreformatted() const override { return true; }
};
