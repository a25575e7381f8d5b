#pragma once
// Cuts a page's text, as it comes, into the rows the index stores: at most
// TSearchIndex::kChunkBytes each, ended after a space or a line end so that
// no word is cut in two, a long row compressed beside its text. Rows are
// made where the text is read (on a worker thread) and written elsewhere.

#include <QByteArray>

#include <functional>
#include <string>
#include <string_view>

struct TTextRow {
    std::string Text;  // UTF-8
    QByteArray Packed; // the text compressed (qCompress), or empty for a short row kept plain
};

class TTextRows {
public:
    using TAddRow = std::function<void(TTextRow row)>;

    explicit TTextRows(TAddRow addRow) : addRow_(std::move(addRow)) {}

    void Add(std::string_view text);
    // Hands over the last row, which may be empty.
    void Finish();

private:
    std::size_t CutBefore(std::size_t limit) const;
    void Emit(std::string_view text);

    TAddRow addRow_;
    std::string pending_;
};
