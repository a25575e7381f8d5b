#include "engine/text/PreFormated.h"

#include "engine/base/ScopeExit.h"
#include "engine/layout/IndentManager.h"

#include <algorithm>
#include <cstring>

void TPreFormated::AddText(std::string_view text)
{
    AppendUnreserved(text);
}

bool TPreFormated::LastLineEmpty() const
{
    return Length == 0 || Text().back() == kLineEnd;
}

void TPreFormated::EndLine()
{
    if (LastLineEmpty())
        AppendRaw(" ");
    AppendRaw(std::string_view(&kLineEnd, 1));
}

int TPreFormated::Layout(TCanvas& canvas, int y, int& position, int& maxWidth, IndentManager& indent)
{
    int height = 0;
    {
        const int savedWidth = std::exchange(indent.Width, kPreformattedWidth);
        const TScopeExit restoreWidth([&] { indent.Width = savedWidth; });
        height = TSection::Layout(canvas, y, position, maxWidth, indent);
    }
    int minimum = 0;
    WidthRange(canvas, minimum, maxWidth);
    return height;
}

void TPreFormated::WidthRange(TCanvas&, int& minimum, int& maximum)
{
    int widest = 0;
    const char* text = Text().data();
    for (int start = 0; start < Length;) {
        const void* lineEnd = std::memchr(text + start, kLineEnd, static_cast<std::size_t>(Length - start));
        const int end = lineEnd ? static_cast<int>(static_cast<const char*>(lineEnd) - text) : Length;
        widest = std::max(widest, TextWidth(start, end - start));
        start = end + 1;
    }
    const int width = widest + Indent();
    maximum = width;
    minimum = std::min(kMaxMinimumWidth, width);
}

void TPreFormated::Added()
{
    if (LastLineEmpty())
        AppendRaw(" ");
    TSection::Added();
}
