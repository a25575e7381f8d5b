#pragma once
// The command-line face of the page index and the link check.

#include <ostream>
#include <string>
#include <vector>

// zefweb --index DIR: pages indexed, skipped with their reason, seconds.
int IndexCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
// zefweb --search DIR WORDS... [--limit N]: one line per page found (rank,
// path, title, snippet); exit code 1 when nothing is found.
int SearchCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
// zefweb --check-links DIR: one line per broken target; exit code 1 when
// there is one.
int CheckLinksCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
