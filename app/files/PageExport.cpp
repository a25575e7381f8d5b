#include "app/files/PageExport.h"

#include "app/files/WholeFile.h"
#include "app/files/FileNameText.h"
#include "app/files/FileProblem.h"
#include "engine/base/AsciiText.h"
#include "engine/base/Cp1252.h"
#include "engine/lexer/Symbols.h"

#include <algorithm>
#include <filesystem>
#include <vector>

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
constexpr TCp1252Text kSameFile("La page ne peut pas être enregistrée sur elle-même : ");

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

namespace {

// Plain text made as the page is read, whatever the size of its lines: the
// markup goes character by character, and character names and numbers are
// converted once no later byte can change how they read.
class TPlainTextStream {
public:
    explicit TPlainTextStream(TTextEncoding encoding) : Encoding(encoding) {}

    void Convert(std::string_view block, std::string& out);
    // The end of the page: a last line without its line end gets one.
    void Finish(std::string& out);

private:
    // A character name or number reads at most this far past its "&".
    static constexpr std::size_t kReferenceReach = kMaxEntityName + 8;
    // Text kept back from a line still open, before it is converted.
    static constexpr std::size_t kHeldText = 64 * 1024;

    void EndLine(std::string& out);
    void ConvertHeldText(std::string& out);

    TTextEncoding Encoding;
    std::uint8_t Flag = kOutsideMarkup;
    std::string Held; // the open line's text outside markup, not yet converted
    bool LineOpen = false;
    bool AfterCarriageReturn = false;
};

void TPlainTextStream::Convert(std::string_view block, std::string& out)
{
    for (const char c : block) {
        const bool lineFeedOfCrLf = AfterCarriageReturn && c == '\n';
        AfterCarriageReturn = c == '\r';
        if (lineFeedOfCrLf)
            continue;
        if (c == '\r' || c == '\n') {
            EndLine(out);
            continue;
        }
        LineOpen = true;
        if (c == '<')
            Flag = 0;
        if (Flag != 0)
            Held.push_back(c);
        if (c == '>')
            Flag = kOutsideMarkup;
    }
    if (Held.size() > kHeldText)
        ConvertHeldText(out);
}

void TPlainTextStream::EndLine(std::string& out)
{
    ConvertEntities(Held, Encoding);
    out += Held;
    out += "\r\n";
    Held.clear();
    LineOpen = false;
}

// Converts the open line up to an "&" near its end, whose name or number may
// go on in the next block. A reference never reaches past a later "&", so the
// text before one converts as it would within the whole line.
void TPlainTextStream::ConvertHeldText(std::string& out)
{
    const std::size_t reachStart = Held.size() - std::min(Held.size(), kReferenceReach);
    const std::size_t keptFrom = std::min(Held.find('&', reachStart), Held.size());
    std::string ready = Held.substr(0, keptFrom);
    Held.erase(0, keptFrom);
    ConvertEntities(ready, Encoding);
    out += ready;
}

void TPlainTextStream::Finish(std::string& out)
{
    if (LineOpen)
        EndLine(out);
}

// Pages are read and written in blocks of this size.
constexpr std::size_t kExportBlock = 256 * 1024;

// The encoding decides how names and numbers are written: found by a first
// reading that stops as soon as it knows.
std::optional<TTextEncoding> DetectFileEncoding(TRegularFile& file)
{
    TEncodingDetector detector;
    std::vector<unsigned char> block(kExportBlock);
    while (const std::size_t count = file.Read(block))
        if (detector.Feed(std::string_view(reinterpret_cast<const char*>(block.data()), count)))
            break;
    if (file.ReadFailed() || !file.Rewind())
        return std::nullopt;
    return detector.Encoding();
}

// Reads the page block by block and hands on its export; false when reading
// or writing failed. Memory stays at a few blocks whatever the page's size.
bool StreamExport(TRegularFile& file, TExportFormat format, const TBlockSink& write)
{
    std::optional<TPlainTextStream> text;
    if (format == TExportFormat::PlainText) {
        const std::optional<TTextEncoding> encoding = DetectFileEncoding(file);
        if (!encoding)
            return false;
        text.emplace(*encoding);
    }
    std::vector<unsigned char> block(kExportBlock);
    std::string converted;
    while (const std::size_t count = file.Read(block)) {
        const std::string_view bytes(reinterpret_cast<const char*>(block.data()), count);
        if (!text) {
            if (!write(bytes))
                return false;
            continue;
        }
        converted.clear();
        text->Convert(bytes, converted);
        if (!write(converted))
            return false;
    }
    if (file.ReadFailed())
        return false;
    converted.clear();
    if (text)
        text->Finish(converted);
    return write(converted);
}

} // namespace

std::string ExportPageText(std::string_view source, TExportFormat format)
{
    if (format == TExportFormat::Html)
        return std::string(source);
    TPlainTextStream text(DetectEncoding(source));
    std::string output;
    text.Convert(source, output);
    text.Finish(output);
    return output;
}

std::optional<std::string> SelfExportRefusal(const std::string& sourceFileName, const std::string& targetFileName)
{
    // Whatever the spelling or the links on the way, replacing the page by
    // its own export would lose it.
    std::error_code error;
    if (std::filesystem::equivalent(sourceFileName, targetFileName, error))
        return std::string(kSameFile) + FileNameForMessage(targetFileName);
    return std::nullopt;
}

std::optional<std::string> ExportPageFile(const std::string& sourceFileName, const std::string& targetFileName,
                                          TExportFormat format)
{
    if (std::optional<std::string> refusal = SelfExportRefusal(sourceFileName, targetFileName))
        return refusal;
    const auto cannotRead = [&] {
        return kCannotRead + FileNameForMessage(sourceFileName) + " : " + WhyUnreadable(sourceFileName);
    };
    TRegularFile source(sourceFileName, kMaxPageBytes);
    if (!source.IsOpen())
        return cannotRead();
    return WriteFileAtomically(targetFileName, [&](const TBlockSink& write) -> std::optional<std::string> {
        // A failed write is reported by the writer; any other failure is the reading's.
        if (!StreamExport(source, format, write))
            return cannotRead();
        return std::nullopt;
    });
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
