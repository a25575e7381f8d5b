#include "engine/viewer/PageSelection.h"

#include "engine/base/Cp1252.h"
#include "engine/layout/SectionList.h"
#include "engine/text/Section.h"

#include <QChar>

#include <algorithm>

// Digits, ASCII letters and the accented letters of Windows-1252 (192 to 255
// without the multiplication and division signs). Everything else, the
// underscore included, ends a word.
bool IsWordCharacter(char ch)
{
    const auto code = static_cast<unsigned char>(ch);
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z'))
        return true;
    return code >= 192 && code != 215 && code != 247;
}

bool IsWordCharacterAt(const TSection& section, std::size_t index)
{
    if (const char32_t wide = section.WideAt(static_cast<int>(index)))
        return QChar::isLetterOrNumber(wide) || QChar::isMark(wide);
    return IsWordCharacter(section.Text()[index]);
}

TPageSelection::TPageSelection(TSectionList& document, TCanvas& measure) : document_(document), measure_(measure)
{
}

void TPageSelection::Select(int begin, int end)
{
    document_.SelectionBegin = begin;
    document_.SelectionEnd = end;
}

bool TPageSelection::SetNoSelect(bool value)
{
    if (value == noSelect_)
        return false;
    noSelect_ = value;
    if (value)
        Select(-1, -1);
    return value;
}

void TPageSelection::Reset()
{
    caretPos_ = 0;
    anchor_ = -1;
}

bool TPageSelection::Press(int position)
{
    anchor_ = position;
    if (anchor_ < 0)
        return false;
    const bool wasShowing = document_.SelectionBegin != document_.SelectionEnd;
    Select(anchor_, anchor_);
    caretPos_ = anchor_;
    return wasShowing;
}

bool TPageSelection::ExtendTo(int position)
{
    const bool changed = position != caretPos_ && !noSelect_;
    if (changed)
        Select(std::min(anchor_, position), std::max(anchor_, position));
    caretPos_ = position;
    return changed;
}

bool TPageSelection::SelectWordAt(int position, int lineY)
{
    caretPos_ = position;
    // The position must lie on the line that was clicked (whatever the
    // document's left edge, which the line does not depend on).
    int pointY = 0;
    int pointX = 0;
    if (!document_.PositionToPoint(measure_, 0, caretPos_, pointY, pointX) || pointY != lineY)
        return false;
    // A character of another item counts as a space: a word never crosses items.
    const auto isWordAt = [this](int at, TSectionBase*& owner) {
        char character = 0;
        if (at < 0 || !document_.CharAt(at, character, owner))
            return false;
        if (const auto* section = dynamic_cast<const TSection*>(owner))
            return IsWordCharacterAt(*section, static_cast<std::size_t>(at - section->StartPosition));
        return IsWordCharacter(character);
    };
    TSectionBase* clickedItem = nullptr;
    if (!isWordAt(caretPos_, clickedItem))
        return false;
    const auto isWordOfClickedItemAt = [&](int at) {
        TSectionBase* owner = nullptr;
        return isWordAt(at, owner) && owner == clickedItem;
    };
    int begin = caretPos_;
    int end = caretPos_ + 1;
    while (isWordOfClickedItemAt(end))
        ++end;
    while (isWordOfClickedItemAt(begin - 1))
        --begin;
    Select(begin, end);
    return true;
}

std::optional<int> TPageSelection::Find(std::string_view text, bool matchCase)
{
    if (text.empty())
        return std::nullopt;
    const std::string_view searched = text.substr(0, kSearchBufferLength);
    const int found = document_.Search(caretPos_, searched, matchCase);
    if (found < 0)
        return std::nullopt;
    const int length = static_cast<int>(EngineTextLength(searched));
    Select(found, found + length);
    caretPos_ = found + length;
    return found;
}

void TPageSelection::SelectFound(int begin, int end)
{
    Select(begin, end);
    caretPos_ = end;
}

int TPageSelection::SelectionBegin() const
{
    return document_.SelectionBegin;
}

int TPageSelection::SelectionEnd() const
{
    return document_.SelectionEnd;
}

bool TPageSelection::SelectAll()
{
    if (document_.Items.empty() || noSelect_)
        return false;
    const TSectionBase& last = *document_.Items.back();
    Select(0, last.StartPosition + last.Length);
    return true;
}

void TPageSelection::CopyToClipboard()
{
    document_.CopyToClipboard();
}

int TPageSelection::Length()
{
    return document_.SelectionLength();
}
