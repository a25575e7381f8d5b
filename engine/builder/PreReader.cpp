// The preformatted readers of the builder: the body of PRE, read character by
// character into one preformatted line per source line, and whole plain-text
// files, read the same way into preformatted sections of many lines.

#include "engine/builder/HtmlBuilder.h"

#include "engine/base/Cp1252.h"
#include "engine/base/ScopeExit.h"
#include "engine/text/PreFormated.h"
#include "engine/layout/SectionList.h"

void THtmlBuilder::StartPreLine(int indent)
{
    section_ = std::make_unique<TPreFormated>(indent, TParaAlign::Left, linkActive_ ? &link_ : nullptr, TopFont(),
                                              style_);
}

void THtmlBuilder::FlushPreText(std::string& pending)
{
    if (pending.empty())
        return;
    if (section_)
        section_->AddText(pending);
    pending.clear();
}

void THtmlBuilder::EndPreLine(int indent, std::string& pending)
{
    FlushPreText(pending);
    CloseSection();
    StartPreLine(indent);
}

namespace {

// Whether the text ends with the start of a wide sequence, which is flushed whole.
bool EndsInsideWideCharacter(const std::string& text)
{
    const std::size_t size = text.size();
    for (std::size_t back = 1; back < kWideLength && back <= size; ++back)
        if (text[size - back] == kWideLead)
            return true;
    return false;
}

} // namespace

void THtmlBuilder::AppendPreChar(std::string& pending)
{
    pending += lexer_.CurrentChar();
    lexer_.NextChar();
    FlushFullPreText(pending);
}

void THtmlBuilder::FlushFullPreText(std::string& pending)
{
    if (static_cast<int>(pending.size()) > kPreFlushLength && !EndsInsideWideCharacter(pending))
        FlushPreText(pending);
}

void THtmlBuilder::ReadPre(int indent)
{
    CloseSection();
    const bool pushed = PushFont(FixedFont());
    const bool wasInPre = std::exchange(inPre_, true);
    StartPreLine(indent);
    lexer_.SetPreformatted(true);
    TSymbol stop = TSymbol::EndOfInput;
    {
        // Leaving the block, at its end or at an unclosed comment, keeps the
        // text read and ends the mode; only the end closes the last line.
        const TScopeExit leavePre([&] {
            lexer_.SetPreformatted(false);
            inPre_ = wasInPre;
        });
        std::string pending;
        {
            const TScopeExit keepText([&] { FlushPreText(pending); });
            stop = ReadPreBody(indent, pending);
        }
        CloseSection();
    }
    if (pushed)
        PopFont();
    // The end tag of a cell is left for the table reader; the PRE end tag
    // has been read and the next symbol is taken.
    if (stop != TSymbol::TdEnd && stop != TSymbol::ThEnd)
        Next();
}

// Reads the lines of a PRE block up to the tag that ends it, which it gives.
TSymbol THtmlBuilder::ReadPreBody(int indent, std::string& pending)
{
    while (!lexer_.AtEnd()) {
        const char c = lexer_.CurrentChar();
        if (c == '\r') {
            EndPreLine(indent, pending);
            lexer_.NextChar();
        } else if (c == '&') {
            lexer_.ReadEntity();
            if (lexer_.TokenText() == "\r")
                EndPreLine(indent, pending); // &#13; ends the line as a CR does
            else
                pending += lexer_.TokenText();
        } else if (c == '<') {
            Next();
            if (!ActOnPreTag(indent, pending))
                return Sym();
        } else {
            AppendPreChar(pending);
        }
    }
    return TSymbol::EndOfInput;
}

// Acts on the symbol read at a "<" inside PRE; false when it ends the block.
bool THtmlBuilder::ActOnPreTag(int indent, std::string& pending)
{
    const TSymbol symbol = Sym();
    bool on = false;
    if (const std::optional<TFontStyle> style = StyleOf(symbol, on)) {
        FlushPreText(pending);
        SetStyle(*style, on);
        return true;
    }
    switch (symbol) {
    case TSymbol::PreEnd:
    case TSymbol::TdEnd:
    case TSymbol::ThEnd:
    case TSymbol::EndOfInput:
        return false;
    case TSymbol::TextRun:
        // A "<" that starts no tag is text.
        pending += lexer_.TokenText();
        return true;
    case TSymbol::P:
    case TSymbol::Br:
        EndPreLine(indent, pending);
        if (!lexer_.AtEnd() && lexer_.CurrentChar() == '\r')
            lexer_.NextChar();
        return true;
    case TSymbol::Img:
    case TSymbol::A:
    case TSymbol::AEnd:
    case TSymbol::Input:
    case TSymbol::Select:
    case TSymbol::TextArea:
    case TSymbol::Form:
    case TSymbol::FormEnd:
    case TSymbol::Map:
    case TSymbol::Script:
        FlushPreText(pending);
        ActInline(indent);
        return true;
    case TSymbol::Font:
    case TSymbol::BaseFont:
        FlushPreText(pending);
        ReadFontAttributes(symbol == TSymbol::BaseFont);
        return true;
    case TSymbol::FontEnd:
        FlushPreText(pending);
        PopFont();
        ApplyFont();
        return true;
    default:
        return true; // every other tag is dropped
    }
}

void THtmlBuilder::ReadTextFile()
{
    const bool pushed = PushFont(FixedFont());
    inPre_ = true;
    lexer_.SetPreformatted(true);
    StartPreLine(0);
    std::string pending;
    int linesInBlock = 0;
    {
        // The text read before an unclosed comment stays on the page; the
        // parse's end keeps the line.
        const TScopeExit keepText([&] { FlushPreText(pending); });
        while (!lexer_.AtEnd()) {
            if (lexer_.CurrentChar() == '\r') {
                EndTextFileLine(pending, linesInBlock);
                lexer_.NextChar();
            } else {
                lexer_.TakeLineText(pending, kPreFlushLength + 1);
                FlushFullPreText(pending);
            }
        }
    }
    CloseSection();
    lexer_.SetPreformatted(false);
    inPre_ = false;
    if (pushed)
        PopFont();
}

void THtmlBuilder::EndTextFileLine(std::string& pending, int& linesInBlock)
{
    if (++linesInBlock == kTextFileBlockLines) {
        linesInBlock = 0;
        EndPreLine(0, pending);
        return;
    }
    FlushPreText(pending);
    static_cast<TPreFormated&>(*section_).EndLine();
}
