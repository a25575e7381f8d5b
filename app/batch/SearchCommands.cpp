#include "app/batch/SearchCommands.h"

#include "app/batch/BatchOptions.h"
#include "app/search/LinkCheck.h"
#include "app/search/SearchIndex.h"

#include "engine/base/Cp1252.h"

#include <QString>

#include <filesystem>
#include <iomanip>

namespace {

constexpr int kDefaultLimit = 20;

class EFolderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string RequireFolder(const std::string& folder)
{
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error))
        throw EFolderError("le dossier est introuvable : " + folder);
    return NormalFolder(folder);
}

// The snippet's found words between « and ».
std::string MarkedSnippet(std::string snippet)
{
    std::string shown;
    for (const char c : snippet) {
        if (c == TSearchIndex::kMarkStart)
            shown += "«";
        else if (c == TSearchIndex::kMarkEnd)
            shown += "»";
        else if (c == '\n' || c == '\r' || c == '\t')
            shown += ' ';
        else
            shown += c;
    }
    return shown;
}

void WriteSkipped(const std::vector<TSkippedPage>& skipped, std::ostream& out)
{
    for (const TSkippedPage& page : skipped)
        out << "ignorée : " << page.Path << " : " << page.Reason << '\n';
}

TIndexReport UpdateIndex(TSearchIndex& index, const std::string& folder, std::ostream& err)
{
    if (!index.Notice().empty())
        err << "zefweb: " << index.Notice() << '\n';
    TIndexReport report = index.Update(folder);
    if (!report.Failure.empty())
        err << "zefweb: " << report.Failure << '\n';
    return report;
}

// ReportErrors, with the messages of the index and the folder (UTF-8) given
// as the other commands give theirs (Windows-1252).
int ReportSearchErrors(const std::function<int()>& command, std::ostream& err)
{
    return ReportErrors(
        [&] {
            try {
                return command();
            } catch (const EUsage&) {
                throw;
            } catch (const EFolderError& error) {
                throw std::runtime_error(QStringToCp1252(QString::fromUtf8(error.what())));
            } catch (const ESearchIndexError& error) {
                throw std::runtime_error(QStringToCp1252(QString::fromUtf8(error.what())));
            }
        },
        err);
}

} // namespace

int IndexCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    return ReportSearchErrors(
        [&] {
            if (arguments.size() != 2)
                throw EUsage("--index attend un dossier");
            const std::string folder = RequireFolder(arguments[1]);
            const TBatchApplication application;
            TSearchIndex index(TSearchIndex::DefaultFile());
            const TIndexReport report = UpdateIndex(index, folder, err);
            out << "pages indexées : " << report.Indexed << '\n'
                << "pages inchangées : " << report.Unchanged << '\n'
                << "pages retirées : " << report.Removed << '\n'
                << "pages ignorées : " << report.Skipped.size() << '\n';
            WriteSkipped(report.Skipped, out);
            out << "secondes : " << std::fixed << std::setprecision(3) << report.Seconds << '\n';
            return report.Failure.empty() ? 0 : 1;
        },
        err);
}

int SearchCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    return ReportSearchErrors(
        [&] {
            std::vector<std::string> words;
            int limit = kDefaultLimit;
            for (std::size_t i = 1; i < arguments.size(); ++i) {
                if (arguments[i] == "--limit") {
                    if (i + 1 == arguments.size())
                        throw EUsage("--limit attend un nombre");
                    TBatchOptions number;
                    number.Values["--limit"] = arguments[++i];
                    limit = number.Number("--limit", kDefaultLimit, 1);
                } else {
                    words.push_back(arguments[i]);
                }
            }
            if (words.size() < 2)
                throw EUsage("--search attend un dossier et des mots");
            const std::string folder = RequireFolder(words.front());
            std::string query;
            for (std::size_t i = 1; i < words.size(); ++i)
                query += (i > 1 ? " " : "") + words[i];
            const TBatchApplication application;
            TSearchIndex index(TSearchIndex::DefaultFile());
            UpdateIndex(index, folder, err);
            const std::vector<TSearchHit> hits = index.Search(folder, query, limit);
            for (std::size_t i = 0; i < hits.size(); ++i)
                out << i + 1 << '\t' << hits[i].Path << '\t' << hits[i].Title << '\t' << MarkedSnippet(hits[i].Snippet)
                    << '\n';
            return hits.empty() ? 1 : 0;
        },
        err);
}

int CheckLinksCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    return ReportSearchErrors(
        [&] {
            if (arguments.size() != 2)
                throw EUsage("--check-links attend un dossier");
            const std::string folder = RequireFolder(arguments[1]);
            const TBatchApplication application;
            const TLinkReport report = CheckFolderLinks(folder);
            for (const TBrokenLink& link : report.Broken)
                out << link.Page << ':' << link.Line << ": " << link.Kind << " : " << link.Target << '\n';
            for (const TSkippedPage& page : report.Skipped)
                err << "zefweb: ignorée : " << page.Path << " : " << page.Reason << '\n';
            return report.Broken.empty() ? 0 : 1;
        },
        err);
}
