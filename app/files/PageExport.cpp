#include "app/files/PageExport.h"

#include "app/files/WholeFile.h"
#include "app/files/FileNameText.h"
#include "app/files/FileProblem.h"
#include "engine/base/AsciiText.h"
#include "engine/base/Cp1252.h"
#include "engine/lexer/Symbols.h"

#include <algorithm>
#include <filesystem>

namespace {

// A character name or number as the lexer reads it: up to 8 letters or digits
// of a name, up to 6 decimal or hexadecimal digits of a number, then an
// optional ";".
struct TReference {
    std::size_t Length;
    std::string_view Name; // empty for a number
    char32_t Character;
};

constexpr std::size_t kMaxNumberDigits = 6;

bool IsAsciiLetterOrDigit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

int DigitValue(char c, int base)
{
    const int value = HexDigitValue(c);
    return value < base ? value : -1;
}

std::size_t WithSemicolon(std::string_view text, std::size_t length)
{
    return length < text.size() && text[length] == ';' ? length + 1 : length;
}

// `text` starts with "&#".
std::optional<TReference> ReadNumber(std::string_view text)
{
    std::size_t index = 2;
    int base = 10;
    if (index < text.size() && (text[index] == 'x' || text[index] == 'X')) {
        base = 16;
        ++index;
    }
    const std::size_t firstDigit = index;
    char32_t value = 0;
    while (index < text.size() && index - firstDigit < kMaxNumberDigits && DigitValue(text[index], base) >= 0)
        value = value * static_cast<char32_t>(base) + static_cast<char32_t>(DigitValue(text[index++], base));
    const bool moreDigits = index < text.size() && DigitValue(text[index], base) >= 0;
    // Control codes other than tabs and line ends stay as written.
    const bool control = value < 32 && value != 9 && value != 10 && value != 13;
    if (index == firstDigit || moreDigits || control)
        return std::nullopt;
    // Numbers up to 255 name Windows-1252 bytes, as in the viewer (&#150; is
    // the en dash).
    const char32_t character = value <= 255 ? Cp1252ToUnicode(static_cast<unsigned char>(value)) : value;
    return TReference{WithSemicolon(text, index), {}, character};
}

// `text` starts with "&".
std::optional<TReference> ReadReference(std::string_view text)
{
    if (text.size() > 1 && text[1] == '#')
        return ReadNumber(text);
    std::size_t index = 1;
    while (index < text.size() && index <= static_cast<std::size_t>(kMaxEntityName) && IsAsciiLetterOrDigit(text[index]))
        ++index;
    if (index < text.size() && IsAsciiLetterOrDigit(text[index]))
        return std::nullopt;
    const std::string_view name = text.substr(1, index - 1);
    const std::optional<char32_t> character = LookupEntity(name);
    if (!character)
        return std::nullopt;
    return TReference{WithSemicolon(text, index), name, *character};
}

// Plain text has no use for a no-break space, and the copyright sign has
// always been written out.
void AppendReference(const TReference& reference, TTextEncoding encoding, std::string& out)
{
    if (reference.Name == "nbsp")
        out += ' ';
    else if (reference.Name == "copy")
        out += "(c)";
    else if (reference.Character == '\r' || reference.Character == '\n')
        out += "\r\n";
    else
        AppendEncoded(reference.Character, encoding, out);
}

constexpr const char* kCannotRead = "Impossible d'ouvrir le fichier ";
constexpr const char* kSameFile = "La page ne peut pas \xEAtre enregistr\xE9" "e sur elle-m\xEAme : ";

std::string RemoveMarkup(const std::string& line, std::uint8_t& flag)
{
    std::string kept;
    kept.reserve(line.size());
    for (char c : line) {
        if (c == '<')
            flag = 0;
        if (flag != 0)
            kept.push_back(c);
        if (c == '>')
            flag = kOutsideMarkup;
    }
    return kept;
}

// Every character name and number becomes its character in the page's own
// encoding; an "&" that starts neither stays as written.
void ConvertEntities(std::string& line, TTextEncoding encoding)
{
    if (line.find('&') == std::string::npos)
        return;
    std::string converted;
    converted.reserve(line.size());
    std::size_t index = 0;
    while (index < line.size()) {
        const std::size_t ampersand = std::min(line.find('&', index), line.size());
        converted.append(line, index, ampersand - index);
        if (ampersand == line.size())
            break;
        if (const std::optional<TReference> reference = ReadReference(std::string_view(line).substr(ampersand))) {
            AppendReference(*reference, encoding, converted);
            index = ampersand + reference->Length;
        } else {
            converted += '&';
            index = ampersand + 1;
        }
    }
    line = std::move(converted);
}

} // namespace

void VireBalises(std::string& line, std::uint8_t& flag, TTextEncoding encoding)
{
    line = RemoveMarkup(line, flag);
    ConvertEntities(line, encoding);
}

std::string ExportPageText(std::string_view source, TExportFormat format)
{
    if (format == TExportFormat::Html)
        return std::string(source);
    const TTextEncoding encoding = DetectEncoding(source);
    std::string output;
    output.reserve(source.size() + source.size() / 16);
    std::uint8_t flag = kOutsideMarkup;
    for (std::string& line : SplitTextLines(source)) {
        VireBalises(line, flag, encoding);
        output += line;
        output += "\r\n";
    }
    return output;
}

std::optional<std::string> ExportPageFile(const std::string& sourceFileName, const std::string& targetFileName,
                                          TExportFormat format)
{
    // Whatever the spelling or the links on the way, replacing the page by
    // its own export would lose it.
    std::error_code error;
    if (std::filesystem::equivalent(sourceFileName, targetFileName, error))
        return kSameFile + FileNameForMessage(targetFileName);
    const std::optional<std::string> source = ReadWholeFile(sourceFileName);
    if (!source)
        return kCannotRead + FileNameForMessage(sourceFileName) + " : " + WhyUnreadable(sourceFileName);
    return WriteFileAtomically(targetFileName, ExportPageText(*source, format));
}

TExportFormat ExportFormatForFilter(int filterIndex)
{
    return filterIndex == 2 ? TExportFormat::PlainText : TExportFormat::Html;
}

std::string ExportFileName(const std::string& chosenName, int filterIndex)
{
    if (ExportFormatForFilter(filterIndex) == TExportFormat::PlainText) {
        if (chosenName.find('.') == std::string::npos)
            return chosenName + ".txt";
        return chosenName;
    }
    const std::size_t lastElement = chosenName.rfind('/');
    const std::size_t firstOfName = lastElement == std::string::npos ? 0 : lastElement + 1;
    if (chosenName.find('.', firstOfName) == std::string::npos)
        return chosenName + "." + kSaveDefaultSuffix;
    return chosenName;
}
