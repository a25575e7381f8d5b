#pragma once
// A page built from HTML text into a document with the viewer's default fonts,
// and a compact picture of the items it made.

#include "engine/layout/BlockItems.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/tables/HtmlTable.h"
#include "engine/images/ImageCache.h"
#include "engine/text/ListItems.h"
#include "engine/text/PreFormated.h"
#include "engine/layout/SectionList.h"
#include "tests/EngineFakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class TBuiltPage {
public:
    TBuiltPage()
    {
        Document.ImageCache = &Cache;
        Document.SetFonts("Times New Roman", "Courier New", kSystemColorFlag | 0x0F, 0x00FF0000,
                          kSystemColorFlag | 0x12, 12);
    }
    explicit TBuiltPage(const std::string& html, const THtmlHandlers& handlers = {}) : TBuiltPage()
    {
        Builder.ParseHtmlText(Parts(), html, handlers);
    }

    TRecordingErrorBox Errors;
    TImageCache Cache;
    TFormList Forms;
    TSectionList Document{nullptr, Errors};
    TAnchorList Anchors;
    THtmlBuilder Builder;

    // What a parse fills.
    TPageParts Parts() { return {Document, Forms, Anchors}; }

    // The items of a cell in one line, "|" between items: "S:text" for a text
    // section, "P" a paragraph space, "H2" a heading space, "R" a rule,
    // "U1:text" / "O1:text" / "D0:text" list items with their level, "F:text"
    // a preformatted line, "T[...]" a table with its rows "/" and cells ",".
    static std::string Shape(const TCell& cell);
    std::string Shape() const { return Shape(Document); }

    // The n-th text section of the cell (list items and preformatted lines
    // count), in item order.
    static const TSection& SectionAt(const TCell& cell, int index);
    const TSection& SectionAt(int index) const { return SectionAt(Document, index); }
    const ThtmlTable& TableAt(int index) const;
};

inline std::string TBuiltPage::Shape(const TCell& cell)
{
    std::string shape;
    for (const auto& item : cell.Items) {
        if (!shape.empty())
            shape += '|';
        if (const auto* table = dynamic_cast<const ThtmlTable*>(item.get())) {
            shape += "T[";
            for (std::size_t row = 0; row < table->Rows.size(); ++row) {
                if (row > 0)
                    shape += '/';
                const TCellList& cells = *table->Rows[row];
                for (std::size_t index = 0; index < cells.Cells.size(); ++index) {
                    if (index > 0)
                        shape += ',';
                    shape += Shape(cells.Cells[index]->Cell);
                }
            }
            shape += ']';
        } else if (const auto* ordered = dynamic_cast<const TOListItem*>(item.get())) {
            shape += "O" + std::to_string(ordered->ListLevel) + ":" + ordered->Text();
        } else if (const auto* definition = dynamic_cast<const TDListItem*>(item.get())) {
            shape += "D" + std::to_string(definition->ListLevel) + ":" + definition->Text();
        } else if (const auto* bulleted = dynamic_cast<const TUListItem*>(item.get())) {
            shape += "U" + std::to_string(bulleted->ListLevel) + ":" + bulleted->Text();
        } else if (const auto* pre = dynamic_cast<const TPreFormated*>(item.get())) {
            shape += "F:" + pre->Text();
        } else if (const auto* section = dynamic_cast<const TSection*>(item.get())) {
            shape += "S:" + section->Text();
        } else if (const auto* heading = dynamic_cast<const THeadingSpace*>(item.get())) {
            shape += "H" + std::to_string(heading->Level);
        } else if (dynamic_cast<const TParagraphSpace*>(item.get())) {
            shape += "P";
        } else if (dynamic_cast<const THorzLine*>(item.get())) {
            shape += "R";
        } else {
            shape += "?";
        }
    }
    return shape;
}

inline const TSection& TBuiltPage::SectionAt(const TCell& cell, int index)
{
    for (const auto& item : cell.Items)
        if (const auto* section = dynamic_cast<const TSection*>(item.get()))
            if (index-- == 0)
                return *section;
    throw std::out_of_range("no such section");
}

inline const ThtmlTable& TBuiltPage::TableAt(int index) const
{
    for (const auto& item : Document.Items)
        if (const auto* table = dynamic_cast<const ThtmlTable*>(item.get()))
            if (index-- == 0)
                return *table;
    throw std::out_of_range("no such table");
}
