// Any bytes lex to their end: in normal, preformatted, TEXTAREA and SCRIPT
// modes (chosen by the first byte), with or without an include handler, and
// within a bound on the number of symbols so that a hang shows as a crash.
// The bytes are first read as a file is: their encoding decided and converted
// to Windows-1252 in blocks (of a size the first byte chooses), which must
// give the conversion of the whole, never longer.

#include "engine/base/TextEncoding.h"
#include "engine/lexer/Lexer.h"
#include "engine/lexer/LinkNames.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

enum class TMode { Normal, Pre, TextArea, Script, ScriptWithHandler };

void CheckAttributes(const THtmlLexer& lexer)
{
    for (const TAttribute& attribute : lexer.Attributes()) {
        ParseColor(attribute.Text);
        LinkToPath(attribute.Text);
    }
    ReadParaAlign(lexer.Attributes(), TParaAlign::Left);
    ReadCellAlign(lexer.Attributes());
    ReadVertAlign(lexer.Attributes(), TVertAlign::Middle);
}

TSymbol Next(THtmlLexer& lexer, TMode mode)
{
    switch (mode) {
    case TMode::TextArea:
        return lexer.NextTextAreaSymbol();
    case TMode::Script:
    case TMode::ScriptWithHandler:
        return lexer.NextScriptSymbol();
    default:
        return lexer.NextSymbol();
    }
}

// The page converted as the lexer converts a file, block by block.
std::string ConvertedInBlocks(std::string_view page, std::size_t blockSize)
{
    const TTextEncoding encoding = DetectEncoding(page);
    TCp1252Converter converter(encoding);
    std::string converted;
    for (std::size_t start = 0; start < page.size(); start += blockSize)
        converter.Convert(page.substr(start, blockSize), converted);
    converter.Finish(converted);
    if (converted.size() > 2 * page.size() || converted != ConvertToCp1252(page, encoding))
        std::abort();
    return converted;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const auto mode = static_cast<TMode>(data[0] % 5);
    const bool withIncludes = (data[0] & 0x80) != 0;
    const std::size_t blockSize = 1 + (data[0] >> 3 & 7);
    std::string page = ConvertedInBlocks(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1), blockSize);

    // Every symbol but the last consumes at least one byte; include texts add
    // at most 16 bytes for every 8-byte include comment.
    const std::size_t maxSymbols = 4 * size + 16;
    THtmlLexer lexer;
    if (withIncludes)
        lexer.SetIncludeHandler([](const std::string& command, std::vector<std::string> params, const std::string&) {
            return command.size() % 2 == 0 ? std::string("<B>&amp;<!--#x-->") : std::string(params.size(), '<');
        });
    try {
        lexer.StartMemory(std::move(page));
        lexer.SetPreformatted(mode == TMode::Pre);
        lexer.SetScriptMode(mode == TMode::ScriptWithHandler);
        std::size_t count = 0;
        while (Next(lexer, mode) != TSymbol::EndOfInput) {
            if (++count > maxSymbols || lexer.TokenText().size() > THtmlLexer::kMaxNameLength
                || lexer.HeadingLevel() < 0 || lexer.HeadingLevel() > 6)
                std::abort();
            CheckAttributes(lexer);
        }
    } catch (const EParseError&) {
    }
    return 0;
}
