// The list reader of the builder: OL, UL, DIR, MENU, DL and BLOCKQUOTE (read
// as a list), with their items and nested lists.

#include "engine/layout/BlockItems.h"
#include "engine/builder/HtmlBuilder.h"
#include "engine/text/ListItems.h"
#include "engine/layout/SectionList.h"

#include <limits>

bool THtmlBuilder::IsListStart(TSymbol symbol)
{
    return symbol == TSymbol::Ol || symbol == TSymbol::Ul || symbol == TSymbol::Dir || symbol == TSymbol::Menu
        || symbol == TSymbol::Dl;
}

bool THtmlBuilder::IsListEnd(TSymbol symbol)
{
    return symbol == TSymbol::OlEnd || symbol == TSymbol::UlEnd || symbol == TSymbol::DirEnd
        || symbol == TSymbol::MenuEnd || symbol == TSymbol::DlEnd || symbol == TSymbol::BlockQuoteEnd;
}

void THtmlBuilder::ReadNestedList(int level, const TStopSet& stops)
{
    if (!CanNest()) {
        Next();
        return;
    }
    {
        TNestingScope nested(nesting_);
        ReadList(level, stops);
    }
    // The reader stops at the end tag that closed it, which is ours to take;
    // a symbol of the caller's stop set is left for the caller.
    if (IsListEnd(Sym()))
        Next();
}

void THtmlBuilder::ReadList(int level, const TStopSet& stops)
{
    const TSymbol kind = Sym();
    int nextNumber = 1;
    char numberType = '1';
    bool plain = false;
    if (kind == TSymbol::Ol) {
        if (const TAttribute* start = Attributes().Find(TSymbol::Start); start && start->Value >= 0)
            nextNumber = start->Value;
        if (const TAttribute* type = Attributes().Find(TSymbol::Type); type && !type->Text.empty())
            numberType = type->Text.front();
    } else if (kind == TSymbol::Ul) {
        plain = Attributes().Find(TSymbol::Plain) != nullptr;
    }

    CloseSection();
    if (IsListEnd(Next()))
        return;
    int itemLevel = level;
    // Divisions the next item or list ended before their end tags: those end
    // tags are theirs, not the end of a division around the list.
    int unclosedDivisions = 0;
    for (;;) {
        const TSymbol symbol = Sym();
        if (symbol == TSymbol::EndOfInput || IsListEnd(symbol))
            break;
        const TUrlTarget* link = linkActive_ ? &link_ : nullptr;
        if (symbol == TSymbol::Li) {
            CloseSection();
            if (kind == TSymbol::Ol) {
                section_ = std::make_unique<TOListItem>(level, nextNumber, numberType, link, TopFont(), style_);
                // A page may number its items up to the largest integer.
                if (nextNumber < std::numeric_limits<int>::max())
                    ++nextNumber;
            } else {
                auto item = std::make_unique<TUListItem>(level, link, TopFont(), style_);
                item->NoBullet = plain;
                section_ = std::move(item);
            }
            itemLevel = level;
            lexer_.SkipWhiteSpace();
            if (Next() == TSymbol::P)
                Next();
        } else if (symbol == TSymbol::Dt || symbol == TSymbol::Dd) {
            CloseSection();
            itemLevel = symbol == TSymbol::Dt ? level - 1 : level;
            section_ = std::make_unique<TDListItem>(itemLevel, link, TopFont(), style_);
            Next();
        } else if (IsListStart(symbol)) {
            ReadNestedList(level + 1, stops);
        } else if (symbol == TSymbol::BlockQuote) {
            CloseSection();
            ReadNestedList(level + 1, stops);
        } else if (symbol == TSymbol::Hr) {
            AddHorzLine();
            Next();
        } else if (symbol == TSymbol::Center || symbol == TSymbol::Div) {
            // A division aligns its own content only: it also ends at the
            // next item or at the list's end, so the items after it stay items.
            TStopSet inner = stops;
            Include(inner, {TSymbol::OlEnd, TSymbol::UlEnd, TSymbol::DirEnd, TSymbol::MenuEnd, TSymbol::DlEnd,
                            TSymbol::BlockQuoteEnd, TSymbol::EndOfInput, TSymbol::Li, TSymbol::Dt, TSymbol::Dd});
            if (!ReadDivision(itemLevel, inner))
                ++unclosedDivisions;
        } else if ((symbol == TSymbol::CenterEnd || symbol == TSymbol::DivEnd) && unclosedDivisions > 0) {
            --unclosedDivisions;
            Next();
        } else if (symbol == TSymbol::Table) {
            // The item keeps a line of its own above the table for its marker.
            if (section_)
                section_->CloseForBreak();
            ReadTable(itemLevel);
        } else if (IsCommonSymbol(symbol)) {
            HandleCommon(itemLevel);
        } else if (Has(stops, symbol)) {
            break;
        } else {
            Next();
        }
    }
    CloseSection();
}
