#include "app/search/SearchIndex.h"

#include "app/search/PageReader.h"
#include "app/search/PageText.h"
#include "app/search/TextRows.h"
#include "engine/base/Cp1252.h"
#include "engine/lexer/Lexer.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QStandardPaths>
#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <utility>

// A prepared statement, finalised when it goes.
class TSqlStatement {
public:
    TSqlStatement(sqlite3* db, const char* sql) : db_(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK)
            throw ESearchIndexError(sqlite3_errmsg(db));
    }
    ~TSqlStatement() { sqlite3_finalize(statement_); }
    TSqlStatement(const TSqlStatement&) = delete;
    TSqlStatement& operator=(const TSqlStatement&) = delete;

    TSqlStatement& Bind(int index, std::string_view text)
    {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    TSqlStatement& BindBlob(int index, const QByteArray& bytes)
    {
        sqlite3_bind_blob(statement_, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    TSqlStatement& Bind(int index, std::int64_t number)
    {
        sqlite3_bind_int64(statement_, index, number);
        return *this;
    }
    // SQLITE_ROW or SQLITE_DONE; any other code throws unless asked for.
    int Step()
    {
        const int code = sqlite3_step(statement_);
        if (code != SQLITE_ROW && code != SQLITE_DONE)
            throw TStepError(code, sqlite3_errmsg(db_));
        return code;
    }
    void Reset()
    {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    std::int64_t Integer(int column) const { return sqlite3_column_int64(statement_, column); }
    double Real(int column) const { return sqlite3_column_double(statement_, column); }
    std::string Text(int column) const
    {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
    }

    struct TStepError : ESearchIndexError {
        TStepError(int code, const char* message) : ESearchIndexError(message), Code(code) {}
        int Code;
    };

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

namespace {

constexpr int kBusyTimeoutMs = 5000;
// A batch of pages is committed at once: fewer commits, and a cancelled or
// failed update keeps every batch before it.
constexpr int kPagesPerCommit = 200;
// The title weighs this many times the text in the ranking.
constexpr const char* kRankWeights = "10.0, 1.0";
constexpr int kSnippetWords = 16;

// The paths below a folder are those in [folder + "/", folder + "0"): "0"
// follows "/" in byte order.
std::pair<std::string, std::string> PathRange(const std::string& folder)
{
    const std::string start = folder == "/" ? folder : folder + "/";
    std::string end = start;
    end.back() = '0';
    return {start, end};
}

std::string FailureText(int code)
{
    if (code == SQLITE_FULL)
        return "le disque est plein : l'index n'a été mis à jour qu'en partie";
    return std::string("l'index n'a pu être écrit : ") + sqlite3_errstr(code);
}

// Writes a page's rows: each into `chunks`, and its words into the
// full-text index. The title goes with the last row, written when it is known.
class TChunkWriter {
public:
    TChunkWriter(sqlite3* db, TSqlStatement& addChunk, TSqlStatement& addText, std::int64_t page)
        : db_(db), addChunk_(addChunk), addText_(addText), page_(page)
    {
    }
    void SetTitle(const std::string& title) { title_ = title; }
    void Write(const TTextRow& row)
    {
        addChunk_.Reset();
        addChunk_.Bind(1, page_).Bind(2, title_);
        if (row.Packed.isEmpty())
            addChunk_.Bind(3, row.Text);
        else
            addChunk_.BindBlob(3, row.Packed);
        addChunk_.Step();
        addText_.Reset();
        addText_.Bind(1, static_cast<std::int64_t>(sqlite3_last_insert_rowid(db_))).Bind(2, title_).Bind(3, row.Text);
        addText_.Step();
    }

private:
    sqlite3* db_;
    TSqlStatement& addChunk_;
    TSqlStatement& addText_;
    std::int64_t page_;
    std::string title_;
};

// zef_unzip(BLOB): the text a chunk was compressed from; a chunk kept as
// text is given as it is.
void UnzipFunction(sqlite3_context* context, int, sqlite3_value** values)
{
    if (sqlite3_value_type(values[0]) == SQLITE_TEXT) {
        sqlite3_result_value(context, values[0]);
        return;
    }
    const auto* bytes = static_cast<const uchar*>(sqlite3_value_blob(values[0]));
    const int size = sqlite3_value_bytes(values[0]);
    const QByteArray text = bytes ? qUncompress(bytes, size) : QByteArray();
    sqlite3_result_text(context, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

} // namespace

std::string PlainWordsQuery(const std::string& query)
{
    const QString text = QString::fromUtf8(query);
    QString plain;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!text[i].isLetterOrNumber()) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && (text[end].isLetterOrNumber() || text[end].isMark()))
            ++end;
        if (!plain.isEmpty())
            plain += QLatin1Char(' ');
        plain += QLatin1Char('"') + text.mid(i, end - i) + QLatin1Char('"');
        if (end < text.size() && text[end] == QLatin1Char('*'))
            plain += QLatin1Char('*');
        i = end;
    }
    return plain.toStdString();
}

TSearchIndex::TSearchIndex(std::string databaseFile, TOpenCheck check) : file_(std::move(databaseFile))
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(file_).parent_path(), error);
    Open();
    if (!IsUsable(check)) {
        SetAside();
        Open();
        if (!IsUsable(check))
            throw ESearchIndexError("impossible de créer l'index " + file_);
    }
    CreateTables();
}

TSearchIndex::~TSearchIndex()
{
    snippet_.reset();
    sqlite3_close_v2(db_);
}

std::string TSearchIndex::DefaultFile()
{
    // The window and the command line share it whatever the program is called.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return (cache + QStringLiteral("/zefweb/pages.sqlite")).toStdString();
}

void TSearchIndex::Open()
{
    if (sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : "mémoire épuisée";
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw ESearchIndexError("impossible d'ouvrir l'index " + file_ + " : " + message);
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_create_function(db_, "zef_unzip", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, UnzipFunction, nullptr,
                            nullptr);
}

// A database of our version with sound pages, or an empty file to fill.
bool TSearchIndex::IsUsable(TOpenCheck check)
{
    try {
        TSqlStatement version(db_, "PRAGMA user_version");
        version.Step();
        const std::int64_t found = version.Integer(0);
        TSqlStatement tables(db_, "SELECT count(*) FROM sqlite_schema");
        tables.Step();
        if (found != kVersion && !(found == 0 && tables.Integer(0) == 0))
            return false;
        if (check == TOpenCheck::Layout)
            return true;
        TSqlStatement pages(db_, "PRAGMA quick_check");
        return pages.Step() == SQLITE_ROW && pages.Text(0) == "ok";
    } catch (const ESearchIndexError&) {
        return false;
    }
}

void TSearchIndex::SetAside()
{
    sqlite3_close_v2(db_);
    db_ = nullptr;
    const std::string stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")).toStdString();
    std::string aside = file_ + ".abime-" + stamp;
    // Nothing set aside before is replaced.
    for (int other = 2; std::filesystem::exists(aside); ++other)
        aside = file_ + ".abime-" + stamp + "-" + std::to_string(other);
    std::error_code error;
    std::filesystem::rename(file_, aside, error);
    if (error)
        throw ESearchIndexError("l'index " + file_ + " est abîmé et n'a pu être mis de côté : " + error.message());
    // The log belongs to the file set aside; the shared-memory file is
    // rebuilt from it.
    std::filesystem::rename(file_ + "-wal", aside + "-wal", error);
    std::filesystem::remove(file_ + "-shm", error);
    notice_ = "L'index était abîmé ou d'une autre version : il a été mis de côté (" + aside + ") et refait.";
}

void TSearchIndex::Execute(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "erreur inconnue";
        sqlite3_free(message);
        throw ESearchIndexError("index " + file_ + " : " + text);
    }
}

void TSearchIndex::CreateTables()
{
    Execute("PRAGMA journal_mode=WAL");
    // With the log, a commit needs no wait for the disk: a crash may lose the
    // last batches, never the index.
    Execute("PRAGMA synchronous=NORMAL");
    // An index of this version needs nothing written: opening it never waits
    // for another program that is updating it.
    TSqlStatement version(db_, "PRAGMA user_version");
    if (version.Step() == SQLITE_ROW && version.Integer(0) == kVersion)
        return;
    Execute("BEGIN IMMEDIATE");
    try {
        Execute("CREATE TABLE IF NOT EXISTS pages(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE,"
                " size INTEGER NOT NULL, modified INTEGER NOT NULL, title TEXT NOT NULL)");
        // The words are indexed, the text kept beside them (compressed when
        // long): the index reads it back through the view for snippets and
        // deletions.
        Execute("CREATE TABLE IF NOT EXISTS chunks(id INTEGER PRIMARY KEY, page INTEGER NOT NULL,"
                " title TEXT NOT NULL, body BLOB NOT NULL)");
        Execute("CREATE INDEX IF NOT EXISTS chunks_page ON chunks(page)");
        Execute("CREATE VIEW IF NOT EXISTS chunk_texts AS SELECT id, title, zef_unzip(body) AS body FROM chunks");
        Execute("CREATE VIRTUAL TABLE IF NOT EXISTS texts USING fts5(title, body, content = 'chunk_texts',"
                " content_rowid = 'id', tokenize = 'unicode61 remove_diacritics 2')");
        Execute(("PRAGMA user_version = " + std::to_string(kVersion)).c_str());
        Execute("COMMIT");
    } catch (...) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

bool TSearchIndex::CheckIntegrity()
{
    return sqlite3_exec(db_, "INSERT INTO texts(texts, rank) VALUES ('integrity-check', 1)", nullptr, nullptr,
                        nullptr) == SQLITE_OK;
}

void TSearchIndex::LimitPages(int pages)
{
    Execute(("PRAGMA max_page_count = " + std::to_string(pages)).c_str());
}

TIndexReport TSearchIndex::Update(const std::string& folder, const TProgress& progress,
                                  const std::atomic<bool>* cancel)
{
    const auto started = std::chrono::steady_clock::now();
    const std::string root = NormalFolder(folder);
    TPageFolderListing listing = ListPageFolder(root);
    TIndexReport report;
    report.Skipped = std::move(listing.Skipped);

    struct TKnown {
        std::int64_t Id, Size, Modified;
    };
    std::map<std::string, TKnown> known;
    const auto [from, to] = PathRange(root);
    TSqlStatement select(db_, "SELECT id, path, size, modified FROM pages WHERE path >= ?1 AND path < ?2");
    select.Bind(1, from).Bind(2, to);
    while (select.Step() == SQLITE_ROW)
        known[select.Text(1)] = {select.Integer(0), select.Integer(2), select.Integer(3)};

    TSqlStatement removePage(db_, "DELETE FROM pages WHERE id = ?1");
    // The index forgets a row given its words as they were indexed.
    TSqlStatement removeText(db_, "INSERT INTO texts(texts, rowid, title, body) SELECT 'delete', id, title, body"
                                  " FROM chunk_texts WHERE id IN (SELECT id FROM chunks WHERE page = ?1)");
    TSqlStatement removeChunks(db_, "DELETE FROM chunks WHERE page = ?1");
    TSqlStatement addPage(db_, "INSERT INTO pages(path, size, modified, title) VALUES (?1, ?2, ?3, '')");
    TSqlStatement setTitle(db_, "UPDATE pages SET title = ?2 WHERE id = ?1");
    TSqlStatement addChunk(db_, "INSERT INTO chunks(page, title, body) VALUES (?1, ?2, ?3)");
    TSqlStatement addText(db_, "INSERT INTO texts(rowid, title, body) VALUES (?1, ?2, ?3)");
    const auto forget = [&](std::int64_t id) {
        for (TSqlStatement* statement : {&removeText, &removeChunks, &removePage}) {
            statement->Reset();
            statement->Bind(1, id).Step();
        }
    };

    // Writes a page read ahead, or reads a large one in pieces; false when it
    // cannot be read. No savepoint per page: the full-text index would write
    // its words out at each one. A page that fails is forgotten instead.
    const auto write = [&](const TFoundPage& page, const TReadPage* read) {
        addPage.Reset();
        addPage.Bind(1, page.Path).Bind(2, page.Size).Bind(3, page.ModifiedNs).Step();
        const std::int64_t id = sqlite3_last_insert_rowid(db_);
        try {
            TChunkWriter writer(db_, addChunk, addText, id);
            std::string title;
            if (read) {
                title = read->Title;
                for (std::size_t row = 0; row < read->Rows.size(); ++row) {
                    if (row + 1 == read->Rows.size())
                        writer.SetTitle(title);
                    writer.Write(read->Rows[row]);
                }
            } else {
                TTextRows rows([&writer](const TTextRow& row) { writer.Write(row); });
                title = ReadPageText(page.Path, [&rows](std::string_view text) { rows.Add(text); });
                writer.SetTitle(title);
                rows.Finish();
            }
            setTitle.Reset();
            setTitle.Bind(1, id).Bind(2, title).Step();
            return true;
        } catch (const EFileError& error) {
            forget(id);
            report.Skipped.push_back({page.Path, Cp1252ToQString(error.what()).toStdString()});
        } catch (const std::bad_alloc&) {
            forget(id);
            report.Skipped.push_back({page.Path, "mémoire insuffisante"});
        }
        return false;
    };

    // Pages gone first, then each new or changed page, batch by batch.
    std::set<std::string> present;
    for (const TFoundPage& page : listing.Pages)
        present.insert(page.Path);
    std::vector<const TFoundPage*> toRead;
    for (const TFoundPage& page : listing.Pages) {
        const auto old = known.find(page.Path);
        if (old != known.end() && old->second.Size == page.Size && old->second.Modified == page.ModifiedNs)
            ++report.Unchanged;
        else
            toRead.push_back(&page);
    }
    const int total = static_cast<int>(toRead.size());
    bool inTransaction = false;
    try {
        Execute("BEGIN IMMEDIATE");
        inTransaction = true;
        for (const auto& [path, page] : known)
            if (!present.contains(path)) {
                forget(page.Id);
                ++report.Removed;
            }
        int done = 0;
        // Pages are built on worker threads while this one writes.
        TPageReader reader(toRead);
        for (const TFoundPage* page : toRead) {
            if (cancel && cancel->load()) {
                report.Cancelled = true;
                break;
            }
            if (const auto old = known.find(page->Path); old != known.end())
                forget(old->second.Id);
            std::optional<TReadPage> read = reader.Take(static_cast<std::size_t>(done));
            if (read && !read->Failure.empty())
                report.Skipped.push_back({page->Path, read->Failure});
            else if (write(*page, read ? &*read : nullptr))
                ++report.Indexed;
            ++done;
            if (done % kPagesPerCommit == 0) {
                Execute("COMMIT");
                Execute("BEGIN IMMEDIATE");
            }
            if (progress)
                progress(done, total);
        }
        Execute("COMMIT");
        inTransaction = false;
    } catch (const TSqlStatement::TStepError& error) {
        report.Failure = FailureText(error.Code);
    } catch (const ESearchIndexError& error) {
        report.Failure = error.what();
    }
    if (inTransaction && sqlite3_get_autocommit(db_) == 0)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    if (!report.Failure.empty() && report.Failure.find("plein") == std::string::npos &&
        sqlite3_extended_errcode(db_) == SQLITE_FULL)
        report.Failure = FailureText(SQLITE_FULL);
    report.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return report;
}

std::vector<TSearchHit> TSearchIndex::Run(const std::string& folder, const std::string& match, int limit,
                                          int snippets, bool& syntaxError)
{
    std::vector<TSearchHit> hits;
    syntaxError = false;
    if (match.empty() || limit <= 0)
        return hits;
    const std::string root = NormalFolder(folder);
    const auto [from, to] = PathRange(root);
    // Ranked rows first, without their snippets: a word found in many pages
    // makes snippets only for those shown. A large page's rows all point at
    // it; it is listed once, at its best row.
    TSqlStatement ranked(db_, (std::string("SELECT rowid, bm25(texts, ") + kRankWeights +
                               ") AS score FROM texts WHERE texts MATCH ?1 ORDER BY score")
                                  .c_str());
    ranked.Bind(1, match);
    TSqlStatement pageOf(db_, "SELECT pages.path, pages.title FROM chunks JOIN pages ON pages.id = chunks.page"
                              " WHERE chunks.id = ?1 AND pages.path >= ?2 AND pages.path < ?3");
    std::set<std::string> listed;
    try {
        while (static_cast<int>(hits.size()) < limit && ranked.Step() == SQLITE_ROW) {
            pageOf.Reset();
            pageOf.Bind(1, ranked.Integer(0)).Bind(2, from).Bind(3, to);
            if (pageOf.Step() != SQLITE_ROW)
                continue;
            std::string path = pageOf.Text(0);
            if (!listed.insert(path).second)
                continue;
            hits.push_back({RelativeToFolder(path, root), pageOf.Text(1), {}, ranked.Real(1), ranked.Integer(0)});
        }
    } catch (const TSqlStatement::TStepError& error) {
        if (error.Code != SQLITE_ERROR)
            throw;
        syntaxError = true;
        return {};
    }
    const std::size_t snippetCount =
        snippets < 0 ? hits.size() : std::min(static_cast<std::size_t>(snippets), hits.size());
    for (std::size_t i = 0; i < snippetCount; ++i)
        hits[i].Snippet = RowSnippet(match, hits[i].Row);
    return hits;
}

std::string TSearchIndex::RowSnippet(const std::string& match, std::int64_t row)
{
    if (!snippet_)
        snippet_ = std::make_unique<TSqlStatement>(
            db_, (std::string("SELECT snippet(texts, 1, char(1), char(2), '…', ") + std::to_string(kSnippetWords) +
                  ") FROM texts WHERE texts MATCH ?1 AND rowid = ?2")
                     .c_str());
    snippet_->Reset();
    snippet_->Bind(1, match).Bind(2, row);
    // Line ends and indents of the text are no part of a one-line snippet.
    std::string text = snippet_->Step() == SQLITE_ROW ? snippet_->Text(0) : std::string();
    snippet_->Reset();
    return QString::fromStdString(text).simplified().toStdString();
}

std::vector<TSearchHit> TSearchIndex::Search(const std::string& folder, const std::string& query, int limit,
                                             int snippets)
{
    bool syntaxError = false;
    std::vector<TSearchHit> hits = Run(folder, query, limit, snippets, syntaxError);
    if (syntaxError)
        hits = Run(folder, PlainWordsQuery(query), limit, snippets, syntaxError);
    return hits;
}

std::string TSearchIndex::Snippet(const std::string& query, std::int64_t row)
{
    try {
        return RowSnippet(query, row);
    } catch (const TSqlStatement::TStepError& error) {
        if (error.Code != SQLITE_ERROR)
            throw;
        return RowSnippet(PlainWordsQuery(query), row);
    }
}
