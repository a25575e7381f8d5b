#include "app/search/PageText.h"

#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"
#include "engine/base/TextEncoding.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/builder/LayoutDump.h"
#include "engine/canvas/TextSinks.h"
#include "engine/layout/SectionList.h"
#include "engine/tables/HtmlTable.h"
#include "engine/text/Section.h"

#include <QString>

#include <algorithm>


namespace {

// Layout messages of a page nobody sees are dropped.
class TSilentErrorBox final : public TErrorBox {
public:
    void ShowError(const std::string&) override {}
};

// Hands a built document's text over in UTF-8, item by item, in the order a
// copy of the whole page gives it. No layout is needed: where a copy breaks
// a paragraph into lines, this gives the paragraph whole, and control and
// picture marks are left out as a copy leaves them.
class TTextWalk {
public:
    static constexpr std::size_t kPieceBytes = std::size_t{64} << 10;

    explicit TTextWalk(const std::function<void(std::string_view)>& addText) : addText_(addText) {}

    void Cell(const TCell& cell)
    {
        for (const auto& item : cell.Items)
            Item(*item);
    }

private:
    void Item(const TSectionBase& item)
    {
        if (const auto* section = dynamic_cast<const TSection*>(&item))
            Section(*section);
        else if (const auto* table = dynamic_cast<const ThtmlTable*>(&item))
            Table(*table);
        else
            LineBreak(); // paragraph and heading spaces, rules
    }

    void Table(const ThtmlTable& table)
    {
        if (table.CaptionOnTop)
            Cell(table.Caption.Cell);
        for (const auto& row : table.Rows)
            for (const auto& cell : row->Cells)
                Cell(cell->Cell);
        if (!table.CaptionOnTop)
            Cell(table.Caption.Cell);
    }

    void Section(const TSection& section)
    {
        const TCompactText& text = section.Text();
        utf8_.clear();
        const std::string_view bytes(text.data(), text.size());
        std::size_t i = 0;
        while (i < bytes.size()) {
            // Plain characters go over in runs; a long section (a large text
            // file) in bounded pieces.
            const std::size_t stop = std::min(bytes.size(), i + kPieceBytes);
            std::size_t end = i;
            while (end < stop && IsPlain(bytes[end]))
                ++end;
            utf8_.append(bytes.substr(i, end - i));
            i = end;
            if (i < stop) {
                const auto at = static_cast<int>(i++);
                if (bytes[i - 1] == TSection::kLineEnd)
                    utf8_ += '\n';
                else if (static_cast<unsigned char>(bytes[i - 1]) >= 0x80 || section.WideAt(at) != 0)
                    AppendEncoded(section.CharacterAt(at), TTextEncoding::Utf8, utf8_);
            }
            if (utf8_.size() >= kPieceBytes) {
                addText_(utf8_);
                utf8_.clear();
            }
        }
        utf8_ += '\n';
        addText_(utf8_);
    }

    // An ASCII character that is neither a line end nor a mark.
    static bool IsPlain(char character)
    {
        return static_cast<unsigned char>(character) < 0x80 && character != TSection::kLineEnd &&
               character != SelTextCount::kControlMark && character != SelTextCount::kImageMark &&
               character != kWideLead;
    }

    void LineBreak() { addText_("\n"); }

    const std::function<void(std::string_view)>& addText_;
    std::string utf8_;
};

} // namespace

bool IsPlainTextPage(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || fileName.find('/', dot) != std::string_view::npos)
        return false;
    return QString::fromUtf8(fileName.substr(dot).data(), static_cast<qsizetype>(fileName.size() - dot))
               .compare(QStringLiteral(".txt"), Qt::CaseInsensitive) == 0;
}

namespace {

// A page built as the viewer builds it, into a document with no view.
struct TQuietPage {
    explicit TQuietPage(const std::string& fileName) : document(nullptr, errors)
    {
        document.OnItemDropped = [this](const TSectionBase& item) { anchors.Forget(item); };
        SetViewerDefaults(document);
        document.ShowImages = false;
        const TPageParts page{document, forms, anchors};
        try {
            if (IsPlainTextPage(fileName))
                builder.ParseTextFile(page, fileName);
            else
                builder.ParseHtmlFile(page, fileName);
        } catch (const EParseError&) {
            // What was built before the open comment is the page the viewer shows.
        }
    }
    TSilentErrorBox errors;
    TFormList forms;
    TAnchorList anchors;
    TSectionList document;
    THtmlBuilder builder;
};

} // namespace

std::string ReadPageText(const std::string& fileName, const std::function<void(std::string_view utf8)>& addText)
{
    const TQuietPage page(fileName);
    TTextWalk(addText).Cell(page.document);
    return Cp1252ToQString(page.builder.Title()).toStdString();
}

std::set<std::string, std::less<>> ReadPageAnchorNames(const std::string& fileName)
{
    TQuietPage page(fileName);
    std::set<std::string, std::less<>> names;
    for (const auto& entry : page.anchors)
        names.insert(entry.first);
    return names;
}
