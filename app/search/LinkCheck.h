#pragma once
// The broken links of a folder of pages: every link, picture, background,
// background sound, included file and "#anchor" whose target does not
// exist. Targets are found as the viewer finds them when the page is shown
// (its base, the letter-case fallback, includes beside the page), so a
// link that differs from its file only in letter case is not broken.
// References with a scheme other than "file:" (web, mail) are not checked.

#include "app/search/PageFolder.h"

#include <atomic>
#include <string>
#include <vector>

struct TBrokenLink {
    std::string Page;   // relative to the folder checked
    int Line = 0;       // 1 for the first line
    std::string Kind;   // "lien", "image", "fond", "son", "inclusion", "ancre"
    std::string Target; // as the page writes it, in UTF-8
    std::string Shown;  // the text a link shows on the page (UTF-8), if any
};

struct TLinkReport {
    int Pages = 0;
    std::vector<TBrokenLink> Broken;
    std::vector<TSkippedPage> Skipped;
    bool Cancelled = false;
};

// `cancel`, when set, stops it between two pages.
TLinkReport CheckFolderLinks(const std::string& folder, const std::atomic<bool>* cancel = nullptr);
