#pragma once
// The full-text index of local pages: one SQLite database (FTS5) holding, for
// each page, its path, size, modification time, title and the text a reader
// sees. Letter case and accents are ignored; bm25 ranks the results, the
// title weighing more than the text. Each object is one connection: a
// background thread brings the index up to date through its own while the
// window searches through another, and a second running program may search
// the same file at the same time (write-ahead log, busy timeout).

#include "app/search/PageFolder.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;
class TSqlStatement;

// The index file cannot be opened or created; the message is French.
class ESearchIndexError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TIndexReport {
    int Indexed = 0;   // new or changed pages read
    int Unchanged = 0; // pages whose size and time had not changed
    int Removed = 0;   // pages gone from the folder
    std::vector<TSkippedPage> Skipped;
    bool Cancelled = false;
    // Why the update stopped short (a full disk, a write error); empty when
    // it went to its end. What was written before stays searchable.
    std::string Failure;
    double Seconds = 0;
};

struct TSearchHit {
    std::string Path;   // relative to the folder searched
    std::string Title;  // UTF-8, may be empty
    // A piece of the text around the words found, each found word between
    // kMarkStart and kMarkEnd.
    std::string Snippet;
    double Score = 0; // bm25: lower is better
    // The row of the text where the page matched best, for Snippet().
    std::int64_t Row = 0;
};

class TSearchIndex {
public:
    static constexpr char kMarkStart = '\x01';
    static constexpr char kMarkEnd = '\x02';
    // The layout of the database; a file of another one is set aside.
    static constexpr int kVersion = 1;
    // A page's text is stored in rows of at most this many bytes, so that a
    // very large page is written in bounded pieces, and a snippet, which
    // looks at every match in its row, stays quick.
    static constexpr std::size_t kChunkBytes = std::size_t{8} << 10;

    // Done and total pages of an update.
    using TProgress = std::function<void(int done, int total)>;

    // How much of the file is checked when it is opened: its header and
    // layout only, or every page of it as well (which reads the whole file:
    // for the background thread, not for a window).
    enum class TOpenCheck : std::uint8_t { Layout, Pages };

    // Opens (or creates) the index file. A file that is damaged, of another
    // version or no database is renamed beside itself and a new one made;
    // Notice() then says so. Throws ESearchIndexError when no index can be
    // opened at all.
    explicit TSearchIndex(std::string databaseFile, TOpenCheck check = TOpenCheck::Pages);
    ~TSearchIndex();
    TSearchIndex(const TSearchIndex&) = delete;
    TSearchIndex& operator=(const TSearchIndex&) = delete;

    // The index file in the user's cache folder.
    static std::string DefaultFile();

    const std::string& Notice() const { return notice_; }
    const std::string& File() const { return file_; }

    // Reads the new and changed pages of the folder (by size and time) and
    // forgets those that are gone. `cancel`, when set, stops it between two
    // pages, keeping what was done.
    TIndexReport Update(const std::string& folder, const TProgress& progress = {},
                        const std::atomic<bool>* cancel = nullptr);

    // The pages of the folder (and below) that match, best first, at most
    // `limit`. The query is FTS5's: words, "a phrase", a prefix*, AND, OR,
    // NOT; a query that is not valid is taken as plain words. Only the first
    // `snippets` hits get their snippet (all when negative): a window makes
    // those of the other rows with Snippet() as they come into view.
    std::vector<TSearchHit> Search(const std::string& folder, const std::string& query, int limit = 50,
                                   int snippets = -1);

    // The snippet of a hit that Search() gave without one, for the same query.
    std::string Snippet(const std::string& query, std::int64_t row);

    // Whether the word index agrees with the stored text, row by row (the
    // full-text engine's own check; it reads the whole index).
    bool CheckIntegrity();

    // Keeps the database to this many pages of storage, as a full disk would.
    void LimitPages(int pages);

private:
    void Open();
    bool IsUsable(TOpenCheck check);
    void SetAside();
    void CreateTables();
    void Execute(const char* sql);
    std::vector<TSearchHit> Run(const std::string& folder, const std::string& match, int limit, int snippets,
                                bool& syntaxError);
    std::string RowSnippet(const std::string& match, std::int64_t row);

    std::string file_;
    std::string notice_;
    sqlite3* db_ = nullptr;
    // Prepared once: a window asks for snippets row by row.
    std::unique_ptr<TSqlStatement> snippet_;
};

// The query as plain words: each word quoted, a trailing "*" kept as a
// prefix; empty when it holds no word.
std::string PlainWordsQuery(const std::string& query);
