// The page index on a small site written by each test: what a search finds
// and in which order, how the index follows the folder, and what it does
// with hostile queries, damaged files and a second connection.

#include "app/batch/CommandLine.h"
#include "app/search/PageText.h"
#include "app/search/SearchIndex.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

namespace {

class SearchIndexTest : public testing::Test {
protected:
    QTemporaryDir Work;
    std::string Site = Work.filePath("site").toStdString();
    std::string IndexFile = Work.filePath("cache/pages.sqlite").toStdString();

    void SetUp() override
    {
        Write("jardin.html", "<html><head><title>Le jardin en été</title></head><body>"
                             "<p>Les tomates mûrissent au soleil.</body></html>");
        Write("cuisine.htm", "<title>Recettes</title><h1>Potager</h1>"
                             "<p>Une sauce de tomates, puis un jardin de basilic et de th&eacute;.");
        Write("notes/lecture.txt", "Notes de lecture\nLe potager du roi, chapitre deux.\n");
        Write("notes/ailleurs.HTML", "<title>Ailleurs</title>Rien sur le sujet, rien du tout.");
        Write("image.gif", "GIF89a pas une page, avec tomates");
    }

    void Write(const std::string& name, const std::string& bytes, const std::string& folder = {}) const
    {
        const std::filesystem::path path = std::filesystem::path(folder.empty() ? Site : folder) / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static std::string ReadAll(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    static std::vector<std::string> Paths(const std::vector<TSearchHit>& hits)
    {
        std::vector<std::string> paths;
        for (const TSearchHit& hit : hits)
            paths.push_back(hit.Path);
        return paths;
    }
};

TEST_F(SearchIndexTest, RanksTitlesFirstAndIgnoresCaseAndAccents)
{
    TSearchIndex index(IndexFile);
    const TIndexReport report = index.Update(Site);
    EXPECT_EQ(report.Indexed, 4);
    EXPECT_TRUE(report.Skipped.empty());
    // "jardin" is in one page's title and in another's text: the title wins.
    const std::vector<TSearchHit> garden = index.Search(Site, "jardin");
    ASSERT_EQ(Paths(garden), (std::vector<std::string>{"jardin.html", "cuisine.htm"}));
    EXPECT_EQ(garden[0].Title, "Le jardin en été");
    EXPECT_LT(garden[0].Score, garden[1].Score);
    EXPECT_NE(garden[1].Snippet.find("\x01jardin\x02"), std::string::npos) << garden[1].Snippet;
    // Case and accents aside, both ways; character names are decoded.
    EXPECT_EQ(Paths(index.Search(Site, "ETE")), (std::vector<std::string>{"jardin.html"}));
    EXPECT_EQ(Paths(index.Search(Site, "murissent")), (std::vector<std::string>{"jardin.html"}));
    EXPECT_EQ(Paths(index.Search(Site, "thé")), (std::vector<std::string>{"cuisine.htm"}));
    // Plain-text files and upper-case extensions are pages; other files are not.
    EXPECT_EQ(Paths(index.Search(Site, "chapitre")), (std::vector<std::string>{"notes/lecture.txt"}));
    EXPECT_EQ(Paths(index.Search(Site, "sujet")), (std::vector<std::string>{"notes/ailleurs.HTML"}));
    EXPECT_TRUE(index.Search(Site, "GIF89a").empty());
    // Markup is no text.
    EXPECT_TRUE(index.Search(Site, "title").empty());
    // A sub-folder searches only its pages, named from it.
    EXPECT_EQ(Paths(index.Search(Site + "/notes", "rien")), (std::vector<std::string>{"ailleurs.HTML"}));
}

TEST_F(SearchIndexTest, PagesInOtherScriptsAreFoundByTheirWords)
{
    Write("grec.html", "<meta charset=utf-8><title>Η θάλασσα</title><p>Το κύμα και η ακτή.");
    Write("russe.htm", "<title>&#1052;&#1086;&#1088;&#1077;</title>Волна и берег.");
    TSearchIndex index(IndexFile);
    index.Update(Site);
    const std::vector<TSearchHit> sea = index.Search(Site, "θάλασσα");
    ASSERT_EQ(Paths(sea), (std::vector<std::string>{"grec.html"}));
    EXPECT_EQ(sea[0].Title, "Η θάλασσα");
    EXPECT_EQ(Paths(index.Search(Site, "ΚΎΜΑ")), (std::vector<std::string>{"grec.html"}));
    // Written by number in the title, in UTF-8 in the text; either case.
    const std::vector<TSearchHit> russian = index.Search(Site, "море");
    ASSERT_EQ(Paths(russian), (std::vector<std::string>{"russe.htm"}));
    EXPECT_EQ(russian[0].Title, "Море");
    EXPECT_EQ(Paths(index.Search(Site, "БЕРЕГ")), (std::vector<std::string>{"russe.htm"}));
}

TEST_F(SearchIndexTest, PhrasesPrefixesAndOperators)
{
    TSearchIndex index(IndexFile);
    index.Update(Site);
    EXPECT_EQ(Paths(index.Search(Site, "\"sauce de tomates\"")), (std::vector<std::string>{"cuisine.htm"}));
    EXPECT_TRUE(index.Search(Site, "\"tomates de sauce\"").empty());
    EXPECT_EQ(Paths(index.Search(Site, "pota*")).size(), 2u);
    EXPECT_EQ(Paths(index.Search(Site, "tomates NOT sauce")), (std::vector<std::string>{"jardin.html"}));
    EXPECT_EQ(Paths(index.Search(Site, "soleil OR roi")).size(), 2u);
    EXPECT_EQ(index.Search(Site, "tomates", 1).size(), 1u);
}

TEST_F(SearchIndexTest, ChangedPagesAreReadAgainAndDeletedOnesForgotten)
{
    TSearchIndex index(IndexFile);
    index.Update(Site);
    const TIndexReport again = index.Update(Site);
    EXPECT_EQ(again.Indexed, 0);
    EXPECT_EQ(again.Unchanged, 4);

    Write("jardin.html", "<title>Le verger</title>Des pommes et des poires, plus longtemps.");
    std::filesystem::remove(Site + "/cuisine.htm");
    const TIndexReport changed = index.Update(Site);
    EXPECT_EQ(changed.Indexed, 1);
    EXPECT_EQ(changed.Removed, 1);
    EXPECT_EQ(changed.Unchanged, 2);
    EXPECT_TRUE(index.Search(Site, "tomates").empty());
    EXPECT_TRUE(index.Search(Site, "basilic").empty());
    EXPECT_EQ(Paths(index.Search(Site, "pommes")), (std::vector<std::string>{"jardin.html"}));
    // The words of the old texts went with them; a text dropped behind the
    // index's back is seen.
    EXPECT_TRUE(index.CheckIntegrity());
    sqlite3* db = nullptr;
    sqlite3_open(IndexFile.c_str(), &db);
    sqlite3_exec(db, "DELETE FROM chunks WHERE id = (SELECT max(id) FROM chunks)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_FALSE(index.CheckIntegrity());
}

TEST_F(SearchIndexTest, HostileQueriesAreSearchedAsWords)
{
    TSearchIndex index(IndexFile);
    index.Update(Site);
    for (const std::string query : {"\"tomates", "NOT", "*", "tomates AND", "'); DROP TABLE pages; --",
                                    "tomates\") OR 1=1 --", "NEAR(", "^", "title:", "", "   ", "\"\"", "%_\\"}) {
        SCOPED_TRACE(query);
        EXPECT_NO_THROW(index.Search(Site, query));
    }
    // The words of a broken query still find their pages.
    EXPECT_EQ(Paths(index.Search(Site, "\"soleil")), (std::vector<std::string>{"jardin.html"}));
    EXPECT_EQ(Paths(index.Search(Site, "soleil)")), (std::vector<std::string>{"jardin.html"}));
    EXPECT_EQ(PlainWordsQuery("l'été\" pot* NOT"), "\"l\" \"été\" \"pot\"* \"NOT\"");
    // Nothing was dropped.
    EXPECT_EQ(index.Search(Site, "tomates").size(), 2u);
}

TEST_F(SearchIndexTest, DamagedOrForeignFilesAreSetAsideAndRebuilt)
{
    const std::filesystem::path cache = std::filesystem::path(IndexFile).parent_path();
    std::filesystem::create_directories(cache);
    const auto setAside = [&] {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(cache))
            count += entry.path().filename().string().find(".abime-") != std::string::npos;
        return count;
    };
    const auto otherVersion = [&] {
        sqlite3* db = nullptr;
        sqlite3_open(IndexFile.c_str(), &db);
        sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    const auto otherProgram = [&] {
        std::filesystem::remove(IndexFile);
        sqlite3* db = nullptr;
        sqlite3_open(IndexFile.c_str(), &db);
        sqlite3_exec(db, "CREATE TABLE notes(x)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    const auto text = [&] { std::ofstream(IndexFile, std::ios::binary) << "pas une base de données, du texte"; };
    const auto torn = [&] {
        std::string bytes = ReadAll(IndexFile);
        // The header stays; the pages after it are overwritten.
        std::fill(bytes.begin() + 100, bytes.end(), '\x5A');
        std::ofstream(IndexFile, std::ios::binary | std::ios::trunc) << bytes;
    };
    int expectedAside = 0;
    for (const auto& spoil : std::vector<std::function<void()>>{text, otherVersion, otherProgram, torn}) {
        {
            TSearchIndex index(IndexFile);
            index.Update(Site);
        }
        spoil();
        TSearchIndex index(IndexFile);
        EXPECT_NE(index.Notice().find("mis de côté"), std::string::npos);
        EXPECT_EQ(setAside(), ++expectedAside);
        index.Update(Site);
        EXPECT_EQ(index.Search(Site, "soleil").size(), 1u);
    }
    // A sound index is opened as it is.
    TSearchIndex index(IndexFile);
    EXPECT_TRUE(index.Notice().empty());
    EXPECT_EQ(setAside(), expectedAside);
}

TEST_F(SearchIndexTest, TwoConnectionsSearchWhileOneWrites)
{
    TSearchIndex writer(IndexFile);
    TSearchIndex reader(IndexFile);
    writer.Update(Site);
    EXPECT_EQ(reader.Search(Site, "tomates").size(), 2u);
    for (int i = 0; i < 300; ++i)
        Write("lot/page" + std::to_string(i) + ".html", "<title>Lot " + std::to_string(i) + "</title>ardoise");
    std::thread update([&] { writer.Update(Site); });
    // The reader keeps searching what is committed while the writer works.
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(reader.Search(Site, "tomates").size(), 2u);
    update.join();
    EXPECT_EQ(reader.Search(Site, "ardoise", 1000).size(), 300u);
}

TEST_F(SearchIndexTest, AFullDiskStopsTheUpdateAndKeepsTheLastGoodIndex)
{
    TSearchIndex index(IndexFile);
    index.Update(Site);
    std::string big;
    for (int i = 0; i < 20000; ++i)
        big += "mot" + std::to_string(i) + " ";
    for (int i = 0; i < 5; ++i)
        Write("gros" + std::to_string(i) + ".html", "<title>Gros</title>" + big);
    index.LimitPages(60);
    const TIndexReport report = index.Update(Site);
    EXPECT_NE(report.Failure.find("disque est plein"), std::string::npos) << report.Failure;
    EXPECT_EQ(index.Search(Site, "tomates").size(), 2u);
}

TEST_F(SearchIndexTest, UnreadablePagesAreSkippedWithTheirCauseAndLinksFollowedOnce)
{
    const std::string fifo = Site + "/tube.html";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory_symlink(Site, Site + "/notes/boucle");
    std::filesystem::create_symlink(Site + "/nulle-part.htm", Site + "/mort.htm");
    TSearchIndex index(IndexFile);
    const TIndexReport report = index.Update(Site);
    EXPECT_EQ(report.Indexed, 4);
    ASSERT_EQ(report.Skipped.size(), 2u);
    EXPECT_EQ(report.Skipped[0].Path, Site + "/mort.htm");
    EXPECT_EQ(report.Skipped[1].Path, fifo);
    EXPECT_EQ(report.Skipped[1].Reason, "pas un fichier ordinaire");
    EXPECT_EQ(index.Search(Site, "soleil").size(), 1u);
}

TEST_F(SearchIndexTest, LargePagesAreStoredInPieces)
{
    // Each line has a word of its own: none may be cut in two where a piece
    // of the text ends.
    std::string text = "<title>Long</title><pre>";
    int lines = 0;
    while (text.size() < 3 * TSearchIndex::kChunkBytes)
        text += "début de ligne, mot" + std::to_string(++lines) + " et rien d'autre\n";
    text += "fin introuvable ailleurs</pre>";
    Write("long.html", text);
    TSearchIndex index(IndexFile);
    index.Update(Site);
    const std::vector<TSearchHit> hits = index.Search(Site, "ligne");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].Title, "Long");
    EXPECT_EQ(Paths(index.Search(Site, "introuvable")), (std::vector<std::string>{"long.html"}));
    for (int line = 1; line <= lines; ++line)
        EXPECT_EQ(index.Search(Site, "mot" + std::to_string(line)).size(), 1u) << line;
    std::filesystem::remove(Site + "/long.html");
    index.Update(Site);
    EXPECT_TRUE(index.Search(Site, "ligne").empty());
    EXPECT_TRUE(index.CheckIntegrity());
}

TEST_F(SearchIndexTest, PageTextIsWhatTheViewerShows)
{
    Write("latin.html", std::string("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-15\">"
                                    "<title>Caf\xE9</title><!-- cach\xE9 --><p>Co\xFBt : 5 \xA4<!--#include file=\"x.txt\"-->"));
    std::string text;
    const std::string title = ReadPageText(Site + "/latin.html", [&](std::string_view piece) { text += piece; });
    EXPECT_EQ(title, "Café");
    // The copy's line ends are white space the index has no use for.
    EXPECT_EQ(QString::fromStdString(text).simplified().toStdString(), "Coût : 5 €");
}

TEST_F(SearchIndexTest, CommandLine)
{
    qputenv("XDG_CACHE_HOME", Work.filePath("xdg").toUtf8());
    const auto run = [](const std::vector<std::string>& arguments, std::string* output = nullptr) {
        std::ostringstream out, err;
        const int code = RunCommandLine(arguments, out, err);
        if (output)
            *output = out.str() + err.str();
        return code;
    };
    std::string output;
    EXPECT_EQ(run({"--index", Site}, &output), 0);
    EXPECT_NE(output.find("pages indexées : 4\n"), std::string::npos) << output;
    EXPECT_NE(output.find("secondes : "), std::string::npos);
    EXPECT_EQ(run({"--search", Site, "jardin", "--limit", "1"}, &output), 0);
    EXPECT_EQ(output, "1\tjardin.html\tLe jardin en été\tLes tomates mûrissent au soleil.\n");
    EXPECT_EQ(run({"--search", Site, "sauce", "tomates"}, &output), 0);
    EXPECT_NE(output.find("«sauce» de «tomates»"), std::string::npos) << output;
    EXPECT_EQ(run({"--search", Site, "introuvable"}), 1);
    EXPECT_EQ(run({"--search", Site}), 2);
    EXPECT_EQ(run({"--index", Site + "/absent"}, &output), 1);
    EXPECT_EQ(output, "zefweb: le dossier est introuvable : " + Site + "/absent\n");
    qunsetenv("XDG_CACHE_HOME");
}

} // namespace
