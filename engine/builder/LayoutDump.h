#pragma once
// The layout dump: a page loaded through the builder, laid out at a fixed
// width with the viewer's default fonts, colours and margins, and written as
// indented text, one line per document item and per laid-out line. Tests
// compare it with expected files; `zefweb --dump` prints it.

#include "engine/base/ViewedFileType.h"
#include "engine/images/ImageLoader.h"
#include "engine/lexer/Lexer.h"

#include <ostream>
#include <string>
#include <string_view>

class TAnchorList;
class THtmlBuilder;
class TSectionList;

struct TDumpOptions {
    // The width of the viewer's page area; the document is laid out this
    // wide less the two side margins.
    int Width = 800;
    TViewedFileType As = TViewedFileType::Html;
    TPngPictures Png = TPngPictures::Refused;
};

// The viewer's default fonts, colours and pictures, set on a new document
// before a build.
void SetViewerDefaults(TSectionList& document);

// The viewer's default margins, in pixels.
constexpr int kDumpMarginWidth = 10;
constexpr int kDumpMarginHeight = 5;

// Loads the file as the viewer would (an HTML page, a plain-text file, or a
// lone image shown through its one-tag page), lays it out and writes the
// dump. A file that cannot be opened throws EFileError; a page that ends
// inside a comment is dumped as far as it was built.
// `onInclude` answers the include comments of an HTML page; without it none
// is expanded.
void DumpPageFile(const std::string& fileName, const TDumpOptions& options, std::ostream& out,
                  const TIncludeType& onInclude = {});

// The same for HTML text in memory (an error of the parse passes on).
void DumpPageText(const std::string& text, const TDumpOptions& options, std::ostream& out);

// Writes the dump of a document already built and laid out: the title, base
// and anchors first, then the items. Image names are shown relative to the
// page folder when they lie in it.
void WriteLayoutDump(const TSectionList& document, const THtmlBuilder& builder, const TAnchorList& anchors,
                     std::ostream& out, std::string_view pageFolder = {});
