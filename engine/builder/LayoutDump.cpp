#include "engine/builder/LayoutDump.h"

#include "engine/layout/BlockItems.h"
#include "engine/canvas/Canvas.h"
#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"
#include "engine/base/RegularFile.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/forms/FormControlObj.h"
#include "engine/tables/HtmlTable.h"
#include "engine/images/ImageCache.h"
#include "engine/lexer/LinkNames.h"
#include "engine/text/ListItems.h"
#include "engine/text/PreFormated.h"
#include "engine/layout/SectionList.h"

#include <QFileInfo>

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

// The viewer's defaults: fonts, colours and base size.
constexpr const char* kDefaultFontName = "Times New Roman";
constexpr const char* kDefaultFixedFontName = "Courier New";
constexpr TColor kDefaultBackground = kSystemColorFlag | 0x0F; // button face
constexpr TColor kDefaultLinkColor = 0x00FF0000;                // blue
constexpr TColor kDefaultFontColor = kSystemColorFlag | 0x12;  // window text
constexpr int kDefaultFontSize = 12;

// Layout errors are written into the dump instead of a message box.
class TRecordingErrorBox final : public TErrorBox {
public:
    void ShowError(const std::string& message) override { Messages.push_back(message); }
    std::vector<std::string> Messages;
};

std::string Utf8(std::string_view text)
{
    return Cp1252ToQString(text).toStdString();
}

// Document text as one quoted line: marks as [img] and [ctl], other control
// characters as \xNN, quotes and backslashes escaped.
std::string QuotedText(std::string_view text)
{
    std::string shown = "\"";
    std::string run;
    auto flush = [&] {
        shown += Utf8(run);
        run.clear();
    };
    for (std::size_t index = 0; index < text.size(); ++index) {
        // A character the code page lacks is shown as itself.
        if (WideCharacterAt(text, index)) {
            run += text.substr(index, kWideLength);
            index += kWideLength - 1;
            continue;
        }
        const char c = text[index];
        const auto byte = static_cast<unsigned char>(c);
        if (c == TSection::kImageMark || c == TSection::kControlMark || byte < ' ' || c == '"' || c == '\\') {
            flush();
            if (c == TSection::kImageMark) {
                shown += "[img]";
            } else if (c == TSection::kControlMark) {
                shown += "[ctl]";
            } else if (byte < ' ') {
                constexpr std::string_view kHex = "0123456789ABCDEF";
                shown += "\\x";
                shown += kHex[byte >> 4];
                shown += kHex[byte & 15];
            } else {
                shown += '\\';
                shown += c;
            }
        } else {
            run += c;
        }
    }
    flush();
    return shown + "\"";
}

std::string_view AlignName(TParaAlign alignment)
{
    switch (alignment) {
    case TParaAlign::Centre:
        return "center";
    case TParaAlign::Right:
        return "right";
    default:
        return "left";
    }
}

std::string_view ClearName(TClearMode mode)
{
    switch (mode) {
    case TClearMode::Left:
        return "left";
    case TClearMode::Right:
        return "right";
    case TClearMode::Both:
        return "both";
    default:
        return "none";
    }
}

std::string StyleLetters(TFontStyles style)
{
    std::string letters;
    if (style.Has(TFontStyle::Bold))
        letters += 'B';
    if (style.Has(TFontStyle::Italic))
        letters += 'I';
    if (style.Has(TFontStyle::Underline))
        letters += 'U';
    if (style.Has(TFontStyle::StrikeOut))
        letters += 'S';
    return letters.empty() ? "-" : letters;
}

std::string ColourText(TColor color)
{
    constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string text = "$";
    for (int shift = 28; shift >= 0; shift -= 4)
        text += kHex[(color >> shift) & 15];
    return text;
}

std::string_view VPosName(TVerticalPosition position)
{
    switch (position) {
    case TVerticalPosition::Subscript:
        return " sub";
    case TVerticalPosition::Superscript:
        return " sup";
    default:
        return "";
    }
}

class TDumpWriter {
public:
    TDumpWriter(std::ostream& out, std::string_view pageFolder) : out_(out), pageFolder_(pageFolder) {}

    // Items are stacked from the cell's top, each below the one before; only
    // text sections record their Y, so the others get theirs from the stack.
    void WriteCell(const TCell& cell, int depth)
    {
        int y = cell.Y;
        for (const auto& item : cell.Items) {
            WriteItem(*item, y, depth);
            y += item->SectionHeight;
        }
    }

private:
    std::ostream& Line(int depth)
    {
        return out_ << std::string(static_cast<std::size_t>(depth) * 2, ' ');
    }

    void WriteHeader(const TSectionBase& item, std::string_view name, int y, int depth)
    {
        Line(depth) << name << " y=" << y << " h=" << item.SectionHeight << " pos=" << item.StartPosition << '+'
                    << item.Length;
    }

    void WriteItem(const TSectionBase& item, int y, int depth)
    {
        if (const auto* table = dynamic_cast<const ThtmlTable*>(&item))
            WriteTable(*table, y, depth);
        else if (const auto* section = dynamic_cast<const TSection*>(&item))
            WriteSection(*section, y, depth);
        else if (const auto* heading = dynamic_cast<const THeadingSpace*>(&item)) {
            WriteHeader(item, "THeadingSpace", y, depth);
            out_ << " level=" << heading->Level << '\n';
        } else if (dynamic_cast<const TParagraphSpace*>(&item)) {
            WriteHeader(item, "TParagraphSpace", y, depth);
            out_ << '\n';
        } else if (dynamic_cast<const THorzLine*>(&item)) {
            WriteHeader(item, "THorzLine", y, depth);
            out_ << '\n';
        } else {
            WriteHeader(item, "TSectionBase", y, depth);
            out_ << '\n';
        }
    }

    static std::string_view SectionClass(const TSection& section)
    {
        if (dynamic_cast<const TOListItem*>(&section))
            return "TOListItem";
        if (dynamic_cast<const TDListItem*>(&section))
            return "TDListItem";
        if (dynamic_cast<const TUListItem*>(&section))
            return "TUListItem";
        if (dynamic_cast<const TPreFormated*>(&section))
            return "TPreFormated";
        return "TSection";
    }

    void WriteSection(const TSection& section, int y, int depth)
    {
        WriteHeader(section, SectionClass(section), y, depth);
        out_ << " level=" << section.ListLevel << " align=" << AlignName(section.Alignment);
        if (section.ClearMode != TClearMode::None)
            out_ << " clear=" << ClearName(section.ClearMode);
        if (const auto* ordered = dynamic_cast<const TOListItem*>(&section))
            out_ << " marker=" << TOListItem::MarkerText(ordered->ItemNumber, ordered->NumberType);
        else if (const auto* bulleted = dynamic_cast<const TUListItem*>(&section); bulleted && bulleted->NoBullet)
            out_ << " nobullet";
        out_ << '\n';
        Line(depth + 1) << "text " << QuotedText(section.EngineText(0, section.Length)) << '\n';
        for (const auto& run : section.Fonts()) {
            const TMyFont& font = run->Font();
            Line(depth + 1) << "run " << run.Start << " \"" << Utf8(font.Name()) << "\" " << font.Size() << "pt "
                            << StyleLetters(font.Style()) << " color=" << ColourText(font.Color())
                            << VPosName(run->VPos);
            if (!run->Link.Url.empty()) {
                out_ << " link=" << QuotedText(run->Link.Url);
                if (!run->Link.Target.empty())
                    out_ << " target=" << QuotedText(run->Link.Target);
            }
            out_ << '\n';
        }
        for (const auto& image : section.Images())
            WriteImage(*image, depth + 1);
        // The controls standing in the text are the forms' controls.
        for (const TInlineControl* control : section.FormControls())
            Line(depth + 1) << "control " << control->Position << " name="
                            << QuotedText(static_cast<const TFormControlObj*>(control)->Name) << '\n';
        for (const LineRec& line : section.Lines)
            Line(depth + 1) << "line " << line.Start << '+' << line.Count << " y=" << y + line.Top
                            << " x=" << line.IndentX << '\n';
    }

    void WriteImage(const TImageObj& image, int depth)
    {
        std::string_view source = image.Source;
        if (!pageFolder_.empty() && source.substr(0, pageFolder_.size()) == pageFolder_)
            source.remove_prefix(pageFolder_.size());
        Line(depth) << "image " << image.Index << " src=" << QuotedText(source) << ' ' << image.TotalWidth << 'x'
                    << image.TotalHeight << '\n';
    }

    void WriteTable(const ThtmlTable& table, int y, int depth);

    std::ostream& out_;
    std::string pageFolder_;
};

std::string FullPath(const std::string& fileName)
{
    return QFileInfo(QString::fromStdString(fileName)).absoluteFilePath().toStdString();
}

// Builds with `build`, lays out, and writes the dump. `fullName` is the
// page's full file name (empty for text in memory): images are found beside it.
template <typename TBuild>
void BuildAndDump(const std::string& fullName, const TDumpOptions& options, std::ostream& out, TBuild build)
{
    TRecordingErrorBox errors;
    TImageCache cache;
    cache.SetPngPictures(options.Png);
    TFormList forms;
    TSectionList document(nullptr, errors);
    document.ImageCache = &cache;
    THtmlBuilder builder;
    TAnchorList anchors;
    document.OnItemDropped = [&anchors](const TSectionBase& item) { anchors.Forget(item); };
    TFileNameCase fileNameCase;
    document.ExpandLinkName = [&](const std::string& reference) {
        return ExpandLinkToFile(reference, {}, builder.Base(), fullName, fileNameCase);
    };
    SetViewerDefaults(document);
    build(builder, TPageParts{document, forms, anchors});

    TCanvas canvas;
    int position = 0;
    int maxWidth = 0;
    const int width = std::max(0, options.Width - 2 * kDumpMarginWidth);
    const int height = document.Layout(canvas, kDumpMarginHeight, width, position, maxWidth);
    WriteLayoutDump(document, builder, anchors, out, FolderOf(fullName));
    out << "height " << height << " width " << maxWidth << '\n';
    for (const std::string& message : errors.Messages)
        out << "error " << QuotedText(message) << '\n';
}

std::string_view VertAlignName(TVertAlign alignment)
{
    switch (alignment) {
    case TVertAlign::Top:
        return "top";
    case TVertAlign::Bottom:
        return "bottom";
    default:
        return "middle";
    }
}

void TDumpWriter::WriteTable(const ThtmlTable& table, int y, int depth)
{
    WriteHeader(table, "ThtmlTable", y, depth);
    out_ << " level=" << table.ListLevel << " align=" << AlignName(table.Alignment) << " x=" << table.GridX
         << " width=" << table.TableWidth << " columns=[";
    for (int column = 0; column < table.ColumnCount; ++column)
        out_ << (column > 0 ? " " : "") << table.ColumnWidths[static_cast<std::size_t>(column)];
    out_ << ']';
    if (table.Floating)
        out_ << " floating";
    if (table.Border)
        out_ << " border";
    out_ << '\n';
    const auto writeCaption = [&] {
        if (table.Caption.Cell.Items.empty())
            return;
        Line(depth + 1) << "caption " << (table.CaptionOnTop ? "top" : "bottom") << '\n';
        WriteCell(table.Caption.Cell, depth + 2);
    };
    if (table.CaptionOnTop)
        writeCaption();
    for (std::size_t row = 0; row < table.Rows.size(); ++row) {
        const TCellList& cells = *table.Rows[row];
        Line(depth + 1) << "row " << row << " h=" << cells.RowHeight << '\n';
        for (std::size_t column = 0; column < cells.Cells.size(); ++column) {
            const TCellObj& cell = *cells.Cells[column];
            if (cell.IsFiller()) {
                Line(depth + 2) << "cell " << column << " filler\n";
                continue;
            }
            Line(depth + 2) << "cell " << column << " w=" << cell.Width << " h=" << cell.Height << " span="
                            << cell.ColumnSpan << 'x' << cell.RowSpan << " valign=" << VertAlignName(cell.VertAlign)
                            << '\n';
            WriteCell(cell.Cell, depth + 3);
        }
    }
    if (!table.CaptionOnTop)
        writeCaption();
}

} // namespace

void SetViewerDefaults(TSectionList& document)
{
    document.ShowImages = true;
    document.SetFonts(kDefaultFontName, kDefaultFixedFontName, kDefaultBackground, kDefaultLinkColor,
                      kDefaultFontColor, kDefaultFontSize);
}

void WriteLayoutDump(const TSectionList& document, const THtmlBuilder& builder, const TAnchorList& anchors,
                     std::ostream& out, std::string_view pageFolder)
{
    out << "title " << QuotedText(builder.Title()) << '\n';
    if (!builder.Base().empty() || !builder.BaseTarget().empty())
        out << "base " << QuotedText(builder.Base()) << " target " << QuotedText(builder.BaseTarget()) << '\n';
    for (const auto& [name, item] : anchors)
        out << "anchor " << QuotedText(name) << " y=" << (item ? item->Y : 0) << " pos="
            << (item ? item->StartPosition : 0) << '\n';
    if (document.Background != kDefaultBackground)
        out << "background " << ColourText(document.Background) << '\n';
    if (!document.BackgroundImageName.empty())
        out << "background-image " << QuotedText(document.BackgroundImageName) << '\n';
    for (const auto& map : document.MapList)
        out << "map " << QuotedText(map->MapName) << " areas=" << map->Areas.size() << '\n';
    TDumpWriter(out, pageFolder).WriteCell(document, 0);
}

void DumpPageFile(const std::string& fileName, const TDumpOptions& options, std::ostream& out,
                  const TIncludeType& onInclude)
{
    const std::string fullName = FullPath(fileName);
    BuildAndDump(fullName, options, out, [&](THtmlBuilder& builder, const TPageParts& page) {
        const bool image = options.As == TViewedFileType::Image;
        // A lone picture's page reads no file: a missing one is said here.
        if (image && RegularFileRefusal(fileName, UINT64_MAX) != TFileRefusal::None)
            throw EFileError(fileName);
        THtmlHandlers handlers;
        handlers.OnInclude = onInclude;
        builder.ParseFile(page, image ? fullName : fileName, options.As, handlers);
    });
}

void DumpPageText(const std::string& text, const TDumpOptions& options, std::ostream& out)
{
    BuildAndDump({}, options, out, [&](THtmlBuilder& builder, const TPageParts& page) {
        builder.ParseHtmlText(page, text);
    });
}
