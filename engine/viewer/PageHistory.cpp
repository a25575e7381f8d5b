#include "engine/viewer/PageHistory.h"

std::vector<std::string> TPageHistory::Files() const
{
    std::vector<std::string> files;
    for (const THistoryEntry& entry : entries_)
        files.push_back(entry.File);
    return files;
}

std::vector<std::string> TPageHistory::Titles() const
{
    std::vector<std::string> titles;
    for (const THistoryEntry& entry : entries_)
        titles.push_back(entry.Title);
    return titles;
}

bool TPageHistory::Record(const THistoryEntry& left, const THistoryEntry& shown)
{
    if (maxCount_ < 1 || shown.File.empty() ||
        (left.File == shown.File && left.FileType == shown.FileType && left.Position == shown.Position))
        return false;
    if (!entries_.empty() && !left.File.empty()) {
        // The page being left is remembered where it was; the pages ahead of it go.
        entries_[static_cast<std::size_t>(index_)] = left;
        entries_.erase(entries_.begin(), entries_.begin() + index_);
    }
    index_ = 0;
    entries_.insert(entries_.begin(), shown);
    if (static_cast<int>(entries_.size()) > maxCount_)
        entries_.erase(entries_.begin() + maxCount_);
    return true;
}

void TPageHistory::StoreCurrent(const THistoryEntry& current)
{
    if (!current.File.empty())
        entries_[static_cast<std::size_t>(index_)] = current;
}

bool TPageHistory::Clear()
{
    const bool hadEntries = !entries_.empty();
    entries_.clear();
    index_ = 0;
    return hadEntries;
}
