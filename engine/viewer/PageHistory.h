#pragma once
// TPageHistory, the pages the viewer control has shown, newest first, up to
// a maximum count, with the index of the one on screen. Going back keeps the
// entries; a new page opened from an older entry drops those ahead of it, as
// a reader who branches off expects. It knows nothing of the screen: the
// control hands it the entries and raises OnHistoryChange.

#include "engine/base/ViewedFileType.h"

#include <string>
#include <vector>

// One page of the history.
struct THistoryEntry {
    std::string File;  // full file name
    std::string Title;
    int Position = 0;  // packed view position (THtmlPane::Position)
    TViewedFileType FileType = TViewedFileType::Html;
};

class TPageHistory {
public:
    const std::vector<THistoryEntry>& Entries() const { return entries_; }
    std::vector<std::string> Files() const;
    std::vector<std::string> Titles() const;
    int Index() const { return index_; }
    int MaxCount() const { return maxCount_; }
    // Only the count: lowering it below the entries held is the caller's to
    // clear first.
    void SetMaxCount(int count) { maxCount_ = count; }

    // Records `shown` as the newest page, `left` being the page it replaced
    // (empty File for none); false when nothing was recorded: no history
    // kept, no file shown, or the same view as before.
    bool Record(const THistoryEntry& left, const THistoryEntry& shown);
    // Rewrites the entry at the index, so that returning finds the view as left.
    void StoreCurrent(const THistoryEntry& current);
    bool HasIndex(int index) const { return index >= 0 && index < static_cast<int>(entries_.size()); }
    const THistoryEntry& At(int index) const { return entries_[static_cast<std::size_t>(index)]; }
    void MoveTo(int index) { index_ = index; }
    // False when it was already empty.
    bool Clear();

private:
    std::vector<THistoryEntry> entries_;
    int index_ = 0;
    int maxCount_ = 0;
};
