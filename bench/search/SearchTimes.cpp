// Times the page index on a folder, in one process: the first indexing, an
// update that finds nothing changed, a query repeated with the snippets of
// its first 20 hits and its first 100 hits ranked without snippets, as the
// window lists them (median and 95th percentile); prints the index size
// beside the bytes of the pages.
// Usage: search_times DIR WORD [REPEAT]

#include "app/search/SearchIndex.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

double Milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

template <typename TWork> double TimeMs(TWork work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return Milliseconds(std::chrono::steady_clock::now() - start);
}

std::uintmax_t SizeOrZero(const std::string& file)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    return error ? 0 : size;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::cerr << "usage: search_times DIR WORD [REPEAT]\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::string folder = argv[1];
    const std::string word = argv[2];
    const int repeat = argc > 3 ? std::max(1, std::atoi(argv[3])) : 200;
    const QTemporaryDir work;
    const std::string file = work.filePath("pages.sqlite").toStdString();

    std::uintmax_t pageBytes = 0;
    TIndexReport first;
    double firstMs = 0;
    double unchangedMs = 0;
    std::vector<double> queries;
    std::vector<double> rankings;
    std::size_t found = 0;
    {
        TSearchIndex index(file);
        firstMs = TimeMs([&] { first = index.Update(folder); });
        unchangedMs = TimeMs([&] { index.Update(folder); });
        for (int i = 0; i < repeat; ++i)
            queries.push_back(TimeMs([&] { found = index.Search(folder, word, 20).size(); }));
        // As the window lists its hits: ranked, snippets left for the rows in view.
        for (int i = 0; i < repeat; ++i)
            rankings.push_back(TimeMs([&] { index.Search(folder, word, 100, 0); }));
    }
    for (const TFoundPage& page : ListPageFolder(folder).Pages)
        pageBytes += static_cast<std::uintmax_t>(page.Size);
    std::sort(queries.begin(), queries.end());
    std::sort(rankings.begin(), rankings.end());
    const auto percentile = [](const std::vector<double>& times, double share) {
        return times[std::min(times.size() - 1, static_cast<std::size_t>(share * static_cast<double>(times.size())))];
    };
    const std::uintmax_t indexBytes = SizeOrZero(file) + SizeOrZero(file + "-wal");
    std::cout << "pages " << first.Indexed << " skipped " << first.Skipped.size() << " found " << found << '\n'
              << "first-index-ms " << firstMs << '\n'
              << "unchanged-update-ms " << unchangedMs << '\n'
              << "query-median-ms " << percentile(queries, 0.5) << '\n'
              << "query-p95-ms " << percentile(queries, 0.95) << '\n'
              << "ranking-median-ms " << percentile(rankings, 0.5) << '\n'
              << "ranking-p95-ms " << percentile(rankings, 0.95) << '\n'
              << "page-bytes " << pageBytes << '\n'
              << "index-bytes " << indexBytes << '\n';
    return 0;
}
