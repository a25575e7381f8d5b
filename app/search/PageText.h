#pragma once
// The text a reader sees in a page, as "select all" and "copy" give it: the
// page is built by the engine exactly as the viewer builds it (its encoding,
// character names, preformatted text, plain-text files), into a document
// with no view, no widgets and no pictures, and its include comments are left
// unanswered. The document is not laid out: its text is the same as a copy's
// but for white space (a paragraph comes whole, not line by line). Safe on
// any thread, one page at a time per thread.

#include <functional>
#include <set>
#include <string>
#include <string_view>

// Whether the viewer reads the file as plain text rather than HTML (".txt").
bool IsPlainTextPage(std::string_view fileName);

// Builds the page and hands its text to `addText` in UTF-8 pieces; returns
// its title in UTF-8 (empty when it has none). A file that cannot be read
// throws EFileError; a page that ends inside a comment gives what was built.
std::string ReadPageText(const std::string& fileName, const std::function<void(std::string_view utf8)>& addText);

// The names of the page's anchors, upper case, as the viewer finds them when
// it is asked to scroll to one. Errors as for ReadPageText.
std::set<std::string, std::less<>> ReadPageAnchorNames(const std::string& fileName);
