#pragma once
// TPageFind, the find of the viewer control: every occurrence of a text on
// the page (matching case or not, whole words only or not), the one to go to
// from a position forwards or backwards, going round at the end or the
// start, and the tint that marks them all while the user looks for them.
// The occurrences of one search are found once and kept until the page or
// the search changes.

#include "engine/base/Colors.h"

#include <string>
#include <string_view>
#include <vector>

class TCanvas;
class TSectionList;

struct TFindOptions {
    bool MatchCase = false;
    bool WholeWord = false;
    bool Backward = false;
};

enum class TFindOutcome { Found, Wrapped, NotFound };

class TPageFind {
public:
    // Found text is tinted with this colour (light yellow, $00BBGGRR).
    static constexpr TColor kMarkColor = 0x0080FFFF;

    explicit TPageFind(TSectionList& document);

    // A new page: nothing found yet; the marks, if any, are looked for again.
    void Reset();
    // The positions where the text occurs, in document order.
    const std::vector<int>& Occurrences(std::string_view text, const TFindOptions& options);
    // The occurrence after `from` (forwards: at or after it; backwards:
    // before it), going round when none is left; NotFound when the text is
    // nowhere on the page.
    TFindOutcome Next(std::string_view text, const TFindOptions& options, int from, int& found);

    // The position of the first occurrence whose line starts at or below the
    // document Y; INT_MAX when none does.
    int FirstAtOrBelowY(int left, int y);

    // Every occurrence of the text is tinted until Unmark.
    void Mark(std::string_view text, const TFindOptions& options);
    // True when marks were showing.
    bool Unmark();
    // Tints the marked occurrences that lie between the document Ys top and
    // bottom, except the one selected; left is the document's left edge in
    // window X, yOffset the document's vertical scrolling.
    void PaintMarks(TCanvas& canvas, int left, int top, int bottom, int yOffset, int selected);

private:
    // The document Y of the top of the position's line; INT_MIN when it is
    // not laid out.
    int LineTop(int position, int left);
    // The first occurrence at or below the document Y (by the top of its line).
    std::size_t FirstAtOrBelow(int left, int y);

    TSectionList& document_;
    std::string text_;
    TFindOptions options_;
    bool searched_ = false;
    std::vector<int> occurrences_;
    bool marking_ = false;
};
