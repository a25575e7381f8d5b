#pragma once
// The pages of a folder and of the folders below it: regular ".htm", ".html"
// and ".txt" files (any letter case) within the viewer's page size limit.
// Symbolic links are followed, each folder and file is taken once however
// many links lead to it, so a link back up the tree ends no loop.

#include <cstdint>
#include <string>
#include <vector>

struct TFoundPage {
    std::string Path; // folder + "/" + the relative name
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0;
};

// A page, or a folder, that was not read, with the reason in French.
struct TSkippedPage {
    std::string Path;
    std::string Reason;
};

struct TPageFolderListing {
    std::vector<TFoundPage> Pages; // sorted by path
    std::vector<TSkippedPage> Skipped;
};

// The folder as the index keys it: absolute, lexically normal, without a
// trailing "/" (except for the root itself).
std::string NormalFolder(const std::string& folder);

// Whether the name ends in ".htm", ".html" or ".txt", any letter case.
bool HasPageExtension(const std::string& fileName);

TPageFolderListing ListPageFolder(const std::string& folder);

// The path relative to the folder (the path unchanged when not below it).
std::string RelativeToFolder(const std::string& path, const std::string& folder);
