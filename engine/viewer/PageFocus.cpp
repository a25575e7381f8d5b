#include "engine/viewer/PageFocus.h"

#include "engine/forms/FormControlObj.h"
#include "engine/layout/SectionList.h"
#include "engine/text/Section.h"

#include <algorithm>

namespace {

// The section's links, a run after run of one address making one stop (a
// bold word inside a link), and its controls that have a box.
void AddSectionStops(const TSection& section, std::vector<TFocusStop>& stops)
{
    const TFontList& runs = section.Fonts();
    const int textEnd = static_cast<int>(section.Text().size());
    bool extending = false;
    for (int index = 0; index < runs.Count(); ++index) {
        const TUrlTarget& link = runs[index].Link;
        const int begin = section.StartPosition + runs.Start(index);
        const int end = section.StartPosition + (index + 1 < runs.Count() ? runs.Start(index + 1) : textEnd);
        if (link.Url.empty() || begin >= end) {
            extending = false;
            continue;
        }
        if (extending && stops.back().Link == link && stops.back().End == begin)
            stops.back().End = end;
        else
            stops.push_back({begin, end, link, nullptr});
        extending = true;
    }
    for (TInlineControl* inline_control : section.FormControls()) {
        auto* control = dynamic_cast<TFormControlObj*>(inline_control);
        if (control && control->HasWidget()) {
            const int position = section.StartPosition + control->Position;
            stops.push_back({position, position + 1, {}, control});
        }
    }
}

} // namespace

TPageFocus::TPageFocus(TSectionList& document) : document_(document) {}

void TPageFocus::Reset()
{
    // Without their room: a large page's links would keep it.
    stops_.clear();
    stops_.shrink_to_fit();
    collected_ = false;
    current_ = -1;
}

void TPageFocus::Collect()
{
    if (collected_)
        return;
    collected_ = true;
    document_.VisitItems([this](const TSectionBase& item) {
        if (const auto* section = dynamic_cast<const TSection*>(&item))
            AddSectionStops(*section, stops_);
    });
    // A table's caption on top is visited after its cells.
    std::stable_sort(stops_.begin(), stops_.end(),
                     [](const TFocusStop& left, const TFocusStop& right) { return left.Begin < right.Begin; });
}

const TFocusStop* TPageFocus::Current() const
{
    return current_ >= 0 && current_ < static_cast<int>(stops_.size()) ? &stops_[static_cast<std::size_t>(current_)]
                                                                       : nullptr;
}

void TPageFocus::FocusControl(const TFormControlObj& control)
{
    Collect();
    const auto found = std::find_if(stops_.begin(), stops_.end(),
                                    [&control](const TFocusStop& stop) { return stop.Control == &control; });
    current_ = found == stops_.end() ? -1 : static_cast<int>(found - stops_.begin());
}

const TFocusStop* TPageFocus::Move(bool forward)
{
    Collect();
    const int count = static_cast<int>(stops_.size());
    if (current_ < 0)
        current_ = forward ? 0 : count - 1;
    else
        current_ += forward ? 1 : -1;
    if (current_ < 0 || current_ >= count)
        current_ = -1;
    return Current();
}
