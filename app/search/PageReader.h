#pragma once
// Reads the text of a list of pages ahead of the one thread that writes them
// into the index, on worker threads, and cuts it into rows (compressing the
// long ones), so that building pages and writing their words overlap. Pages are handed over in list order; a large page is
// left to the writer, which reads it in pieces rather than whole.

#include "app/search/PageFolder.h"
#include "app/search/TextRows.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// A page's title and text rows in UTF-8, or why it could not be read
// (French).
struct TReadPage {
    std::string Title;
    std::vector<TTextRow> Rows;
    std::string Failure;
};

class TPageReader {
public:
    // Pages larger than this are left to the writer.
    static constexpr std::int64_t kLargePageBytes = std::int64_t{16} << 20;
    // How far the workers read ahead of the writer at most: pages, and bytes
    // of their files (one page is always read, whatever its size).
    static constexpr std::size_t kPagesAhead = 16;
    static constexpr std::int64_t kBytesAhead = std::int64_t{32} << 20;

    // Starts reading the pages, which must outlive the reader.
    explicit TPageReader(const std::vector<const TFoundPage*>& pages);
    // Stops the workers after the page each is reading (a cancelled update
    // waits no longer than that).
    ~TPageReader();
    TPageReader(const TPageReader&) = delete;
    TPageReader& operator=(const TPageReader&) = delete;

    // The page at `index`, once read; nothing for a large page, which the
    // caller reads itself. Indexes are taken in increasing order.
    std::optional<TReadPage> Take(std::size_t index);

private:
    enum class TState : std::uint8_t { Waiting, Read, Large };
    struct TSlot {
        TState State = TState::Waiting;
        TReadPage Page;
    };

    void Work();
    // Whether a worker may take up the next page now (the lock held).
    bool MayReadNext() const;
    static TReadPage Read(const std::string& path);

    const std::vector<const TFoundPage*>& pages_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<TSlot> slots_;
    std::size_t next_ = 0;  // the next page a worker takes up
    std::size_t taken_ = 0; // the pages the writer has taken
    std::int64_t bytesAhead_ = 0; // of the pages read or being read, not taken
    bool stop_ = false;
    std::vector<std::thread> workers_;
};
