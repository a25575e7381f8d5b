#include "engine/viewer/PageFind.h"

#include "engine/canvas/Canvas.h"
#include "engine/layout/SectionList.h"
#include "engine/text/Section.h"

#include <algorithm>
#include <climits>

namespace {

// Digits, ASCII letters and the accented letters of Windows-1252: what a
// whole word may not touch on either side.
bool IsWordCharacter(char ch)
{
    const auto code = static_cast<unsigned char>(ch);
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z'))
        return true;
    return code >= 192 && code != 215 && code != 247;
}

} // namespace

TPageFind::TPageFind(TSectionList& document) : document_(document) {}

void TPageFind::Reset()
{
    searched_ = false;
    occurrences_.clear();
}

bool TPageFind::IsWholeWord(int position, int length)
{
    // A character of another item counts as a space.
    TSectionBase* owner = nullptr;
    char first = 0;
    if (!document_.CharAt(position, first, owner))
        return false;
    const auto wordAt = [this, owner](int at) {
        char character = 0;
        TSectionBase* item = nullptr;
        return at >= 0 && document_.CharAt(at, character, item) && item == owner && IsWordCharacter(character);
    };
    return !wordAt(position - 1) && !wordAt(position + length);
}

const std::vector<int>& TPageFind::Occurrences(std::string_view text, const TFindOptions& options)
{
    if (searched_ && text == text_ && options.MatchCase == options_.MatchCase &&
        options.WholeWord == options_.WholeWord)
        return occurrences_;
    text_ = text;
    options_ = options;
    searched_ = true;
    occurrences_.clear();
    if (text.empty())
        return occurrences_;
    document_.VisitItems([&](const TSectionBase& item) {
        if (const auto* section = dynamic_cast<const TSection*>(&item))
            section->FindAll(text, options.MatchCase, occurrences_);
    });
    std::sort(occurrences_.begin(), occurrences_.end());
    if (options.WholeWord) {
        const int length = static_cast<int>(text.size());
        std::erase_if(occurrences_, [this, length](int position) { return !IsWholeWord(position, length); });
    }
    return occurrences_;
}

TFindOutcome TPageFind::Next(std::string_view text, const TFindOptions& options, int from, int& found)
{
    const std::vector<int>& all = Occurrences(text, options);
    if (all.empty())
        return TFindOutcome::NotFound;
    if (options.Backward) {
        const auto before = std::lower_bound(all.begin(), all.end(), from);
        if (before == all.begin()) {
            found = all.back();
            return TFindOutcome::Wrapped;
        }
        found = *std::prev(before);
        return TFindOutcome::Found;
    }
    const auto after = std::lower_bound(all.begin(), all.end(), from);
    if (after == all.end()) {
        found = all.front();
        return TFindOutcome::Wrapped;
    }
    found = *after;
    return TFindOutcome::Found;
}

void TPageFind::Mark(std::string_view text, const TFindOptions& options)
{
    Occurrences(text, options);
    marking_ = true;
}

bool TPageFind::Unmark()
{
    const bool was = marking_ && !occurrences_.empty();
    marking_ = false;
    return was;
}

std::size_t TPageFind::FirstAtOrBelow(TCanvas& measure, int left, int y)
{
    // Lines go down the page as positions grow, but for floats and table
    // cells side by side: a little above is searched too.
    const auto found = std::partition_point(occurrences_.begin(), occurrences_.end(), [&](int position) {
        int lineY = 0;
        int x = 0;
        return document_.PositionToPoint(measure, left, position, lineY, x) && lineY < y;
    });
    return static_cast<std::size_t>(found - occurrences_.begin());
}

int TPageFind::FirstAtOrBelowY(TCanvas& measure, int left, int y)
{
    const std::size_t index = FirstAtOrBelow(measure, left, y);
    return index < occurrences_.size() ? occurrences_[index] : INT_MAX;
}

void TPageFind::PaintMarks(TCanvas& canvas, TCanvas& measure, int left, int top, int bottom, int yOffset,
                           int selected)
{
    if (!marking_)
        return;
    if (!searched_) {
        const std::string text = text_;
        Occurrences(text, options_);
    }
    constexpr int kSlack = 200;
    const int length = static_cast<int>(text_.size());
    std::vector<TRect> boxes;
    for (std::size_t index = FirstAtOrBelow(measure, left, top - kSlack); index < occurrences_.size(); ++index) {
        const int position = occurrences_[index];
        int lineY = 0;
        int x = 0;
        if (document_.PositionToPoint(measure, left, position, lineY, x) && lineY > bottom + kSlack)
            break;
        if (position == selected)
            continue;
        boxes.clear();
        document_.RangeBoxes(left, position, position + length, boxes);
        for (const TRect& box : boxes)
            if (box.Bottom > top && box.Top < bottom)
                canvas.Tint(box.Translated(0, -yOffset), kMarkColor);
    }
}
