#include "app/search/TextRows.h"

#include "app/search/SearchIndex.h"

#include <algorithm>

namespace {

// Rows of text shorter than this are kept plain: compressing them would cost
// more time than it saves room.
constexpr std::size_t kPackedRowBytes = 2048;
// The quickest level does nearly as well as the best on text.
constexpr int kPackLevel = 1;

} // namespace

void TTextRows::Add(std::string_view text)
{
    // A row is cut once the byte after its longest end is known.
    while (!text.empty()) {
        const std::size_t room = TSearchIndex::kChunkBytes + 1 - pending_.size();
        pending_.append(text.substr(0, room));
        text.remove_prefix(std::min(room, text.size()));
        if (pending_.size() > TSearchIndex::kChunkBytes) {
            const std::size_t cut = CutBefore(TSearchIndex::kChunkBytes);
            Emit(std::string_view(pending_).substr(0, cut));
            pending_.erase(0, cut);
        }
    }
}

void TTextRows::Finish()
{
    Emit(pending_);
    pending_.clear();
}

// Where a row ends at the latest: after a space or line end; between two
// UTF-8 characters in a text without one.
std::size_t TTextRows::CutBefore(std::size_t limit) const
{
    const std::size_t space = pending_.find_last_of(" \n\t", limit - 1);
    if (space != std::string::npos && space > 0)
        return space + 1;
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(pending_[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

void TTextRows::Emit(std::string_view text)
{
    TTextRow row{std::string(text), {}};
    if (text.size() >= kPackedRowBytes)
        row.Packed =
            qCompress(reinterpret_cast<const uchar*>(text.data()), static_cast<qsizetype>(text.size()), kPackLevel);
    addRow_(std::move(row));
}
