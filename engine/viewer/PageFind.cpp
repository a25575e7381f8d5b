#include "engine/viewer/PageFind.h"

#include "engine/base/Cp1252.h"
#include "engine/canvas/Canvas.h"
#include "engine/layout/SectionList.h"
#include "engine/text/Section.h"
#include "engine/viewer/PageSelection.h"

#include <algorithm>
#include <climits>

TPageFind::TPageFind(TSectionList& document) : document_(document) {}

void TPageFind::Reset()
{
    searched_ = false;
    occurrences_.clear();
}

namespace {

// Whether no letter or digit of the section touches the occurrence at the
// text index (a character of another item counts as a space).
bool StandsAlone(const TSection& section, std::size_t index, std::size_t length)
{
    return (index == 0 || !IsWordCharacterAt(section, index - 1)) &&
           (index + length >= section.Text().size() || !IsWordCharacterAt(section, index + length));
}

} // namespace

int TPageFind::LineTop(int position, int left)
{
    std::vector<TRect> boxes;
    document_.RangeBoxes(left, position, position + 1, boxes);
    return boxes.empty() ? INT_MIN : boxes.front().Top;
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
        const auto* section = dynamic_cast<const TSection*>(&item);
        if (!section)
            return;
        const auto first = static_cast<std::ptrdiff_t>(occurrences_.size());
        section->FindAll(text, options.MatchCase, occurrences_);
        if (options.WholeWord)
            occurrences_.erase(std::remove_if(occurrences_.begin() + first, occurrences_.end(),
                                              [&](int position) {
                                                  return !StandsAlone(
                                                      *section, static_cast<std::size_t>(position - section->StartPosition),
                                                      EngineTextLength(text));
                                              }),
                               occurrences_.end());
    });
    std::sort(occurrences_.begin(), occurrences_.end());
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

// Lines go down the page as positions grow (table cells side by side
// aside, which the callers allow for).
std::size_t TPageFind::FirstAtOrBelow(int left, int y)
{
    const auto found = std::partition_point(occurrences_.begin(), occurrences_.end(),
                                            [&](int position) { return LineTop(position, left) < y; });
    return static_cast<std::size_t>(found - occurrences_.begin());
}

int TPageFind::FirstAtOrBelowY(int left, int y)
{
    const std::size_t index = FirstAtOrBelow(left, y);
    return index < occurrences_.size() ? occurrences_[index] : INT_MAX;
}

void TPageFind::PaintMarks(TCanvas& canvas, int left, int top, int bottom, int yOffset, int selected)
{
    if (!marking_)
        return;
    if (!searched_) {
        const std::string text = text_;
        Occurrences(text, options_);
    }
    constexpr int kSlack = 200;
    const int length = static_cast<int>(EngineTextLength(text_));
    std::vector<TRect> boxes;
    for (std::size_t index = FirstAtOrBelow(left, top - kSlack); index < occurrences_.size(); ++index) {
        const int position = occurrences_[index];
        boxes.clear();
        document_.RangeBoxes(left, position, position + length, boxes);
        if (!boxes.empty() && boxes.front().Top > bottom + kSlack)
            break;
        if (position == selected)
            continue;
        for (const TRect& box : boxes)
            if (box.Bottom > top && box.Top < bottom)
                canvas.Tint(box.Translated(0, -yOffset), kMarkColor);
    }
}
