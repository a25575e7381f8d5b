// The include comments of a page: what the files of one page may add up to,
// and the files they may not name.

#include "app/files/PageIncludes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace {

// Twenty includes of a 64 MB file once made a 680-byte page take 1.4 GB: the
// budget of the page takes four, the others say why they are missing, and
// the next page starts again.
TEST(PageIncludes, TheIncludesOfOnePageShareOneBudget)
{
    const QTemporaryDir folder;
    const std::filesystem::path root = folder.path().toStdString();
    const std::string page = (root / "page.htm").string();
    // Sparse: no room taken on the disk.
    std::ofstream(root / "grand.txt").close();
    std::filesystem::resize_file(root / "grand.txt", kMaxIncludeBytes);
    std::ofstream(root / "petit.txt") << "petit";

    TPageIncludes includes;
    const std::vector<std::string> large = {"FILE=\"" + (root / "grand.txt").string() + "\""};
    const std::vector<std::string> small = {"FILE=\"" + (root / "petit.txt").string() + "\""};
    std::vector<std::size_t> sizes;
    for (int include = 0; include < 5; ++include)
        sizes.push_back(includes.Answer("INCLUDE", large, page).size());
    const std::size_t note = TPageIncludes::kBudgetNote.View().size();
    EXPECT_EQ(sizes, (std::vector<std::size_t>{kMaxIncludeBytes, kMaxIncludeBytes, kMaxIncludeBytes,
                                               kMaxIncludeBytes, note}));
    EXPECT_EQ(includes.Answer("INCLUDE", small, page), TPageIncludes::kBudgetNote.View());
    EXPECT_EQ(includes.Answer("DATE", {}, page).size(), 10u);

    includes.StartPage();
    EXPECT_EQ(includes.Answer("INCLUDE", small, page), "petit");
}

TEST(PageIncludes, FilesTheKernelMakesUpAreNotIncluded)
{
    TPageIncludes includes;
    EXPECT_EQ(includes.Answer("INCLUDE", {"FILE=\"/proc/self/environ\""}, "/tmp/page.htm"),
              TPageIncludes::kPseudoFileNote.View());
}

} // namespace
