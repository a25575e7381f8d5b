#pragma once
// Preformatted text (PRE): a section whose spaces are kept as written and
// whose lines break only where the text breaks them. A PRE block of a page
// is a section per line; a plain-text file is sections of many lines, each
// line ended by a line end.

#include "engine/text/Section.h"

class TPreFormated : public TSection {
public:
    // A preformatted line cannot break, so its narrowest width is the whole
    // line, up to the 2000 pixels of content the viewer scrolls to.
    static constexpr int kMaxMinimumWidth = 2000;

    using TSection::TSection;

    // Appended as written: no space is collapsed or dropped.
    void AddText(std::string_view text) override;
    // Ends the line the text has reached; the text goes on on the next one.
    void EndLine();
    int Layout(TCanvas& canvas, int y, int& position, int& maxWidth, IndentManager& indent) override;
    void WidthRange(TCanvas& canvas, int& minimum, int& maximum) override;
    // An empty line (the last one too) keeps the height of a line: it holds
    // one space.
    void Added() override;

protected:
    bool IsPreformatted() const override { return true; }

private:
    bool LastLineEmpty() const;
};
