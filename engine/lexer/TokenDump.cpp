#include "engine/lexer/TokenDump.h"

#include "engine/base/Cp1252.h"
#include "engine/lexer/Lexer.h"

#include <string_view>

namespace {

// Bytes that would not read well are written as \xNN.
void WriteQuoted(std::ostream& out, std::string_view text)
{
    constexpr std::string_view kHexDigits = "0123456789ABCDEF";
    out << '"';
    for (std::size_t index = 0; index < text.size(); ++index) {
        // A character the code page lacks is written as \u and its code.
        if (const std::optional<char32_t> wide = WideCharacterAt(text, index)) {
            out << "\\u";
            for (int shift = *wide > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4)
                out << kHexDigits[(*wide >> shift) & 0xF];
            index += kWideLength - 1;
            continue;
        }
        const char c = text[index];
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\')
            out << "\\x" << kHexDigits[byte >> 4] << kHexDigits[byte & 0xF];
        else
            out << c;
    }
    out << '"';
}

void WriteTag(std::ostream& out, const THtmlLexer& lexer)
{
    const TSymbol symbol = lexer.Symbol();
    if (symbol == TSymbol::UnknownTag) {
        out << "<?>\n";
        return;
    }
    out << (IsEndTag(symbol) ? "</" : "<") << TagName(symbol);
    if (symbol == TSymbol::H || symbol == TSymbol::HEnd) {
        if (lexer.HeadingLevel() > 0)
            out << lexer.HeadingLevel();
    }
    out << ">\n";
    if (!KeepsAttributes(symbol))
        return;
    for (const TAttribute& attribute : lexer.Attributes()) {
        const std::string_view name = AttributeName(attribute.Symbol);
        out << "  " << (name.empty() ? std::string_view("?") : name) << ' ' << attribute.Value << ' ';
        WriteQuoted(out, attribute.Text);
        out << '\n';
    }
}

template <typename TStart>
void WriteTokenDump(TStart start, std::ostream& out)
{
    THtmlLexer lexer;
    try {
        start(lexer);
        for (;;) {
            switch (lexer.NextSymbol()) {
            case TSymbol::EndOfInput:
                out << "eof\n";
                return;
            case TSymbol::TextRun:
                out << "text ";
                WriteQuoted(out, lexer.TokenText());
                out << '\n';
                break;
            case TSymbol::OtherChar:
                out << "char ";
                WriteQuoted(out, lexer.TokenText());
                out << '\n';
                break;
            default:
                WriteTag(out, lexer);
                break;
            }
        }
    } catch (const EParseError& error) {
        out << "error ";
        WriteQuoted(out, error.what());
        out << '\n';
    }
}

} // namespace

void WriteTokenDumpOfFile(const std::string& fileName, std::ostream& out)
{
    WriteTokenDump([&fileName](THtmlLexer& lexer) { lexer.StartFile(fileName); }, out);
}

void WriteTokenDumpOfText(std::string text, std::ostream& out)
{
    WriteTokenDump([&text](THtmlLexer& lexer) { lexer.StartMemory(std::move(text)); }, out);
}
