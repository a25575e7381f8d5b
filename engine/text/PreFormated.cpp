#include "engine/text/PreFormated.h"

#include "engine/layout/IndentManager.h"

#include <algorithm>

void TPreFormated::AddText(std::string_view text)
{
    std::string added;
    added.reserve(text.size());
    // Marks in the page's own text would pose as images and controls.
    for (const char character : text)
        if (character != kImageMark && character != kControlMark)
            added.push_back(character);
    AppendRaw(added);
}

int TPreFormated::Layout(TCanvas& canvas, int y, int& position, int& maxWidth, IndentManager& indent)
{
    const int savedWidth = indent.Width;
    indent.Width = kPreformattedWidth;
    int height = 0;
    try {
        height = TSection::Layout(canvas, y, position, maxWidth, indent);
    } catch (...) {
        indent.Width = savedWidth;
        throw;
    }
    indent.Width = savedWidth;
    int minimum = 0;
    WidthRange(canvas, minimum, maxWidth);
    return height;
}

void TPreFormated::WidthRange(TCanvas&, int& minimum, int& maximum)
{
    const int width = TextWidth(0, Length) + Indent();
    maximum = width;
    minimum = std::min(kMaxMinimumWidth, width);
}

void TPreFormated::Added()
{
    if (Length == 0)
        AddText(" ");
    TSection::Added();
}
