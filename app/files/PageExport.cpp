#include "app/files/PageExport.h"

#include "app/files/WholeFile.h"
#include "app/files/FileNameText.h"
#include "app/files/FileProblem.h"

#include <array>

namespace {

struct TEntity {
    std::string_view Compared;   // matched with regard to case
    std::size_t Removed;         // the text plus the character after it, normally ";"
    std::string_view Inserted;   // Windows-1252
};

// Tested in this order at one position; a row sees the text as the rows
// before it left it.
constexpr std::array<TEntity, 17> kEntities = {{
    {"&nbsp", 6, " "},
    {"&eacute", 8, "\xE9"},
    {"&egrave", 8, "\xE8"},
    {"&ecirc", 7, "\xEA"},
    {"&euml", 6, "\xEB"},
    {"&agrave", 8, "\xE0"},
    {"&acirc", 7, "\xE2"},
    {"&auml", 6, "\xE4"},
    {"&ugrave", 8, "\xF9"},
    {"&ucirc", 7, "\xFB"},
    {"&icirc", 7, "\xEE"},
    {"&iuml", 6, "\xEF"},
    {"&ocirc", 7, "\xF4"},
    {"&ouml", 6, "\xF6"},
    {"&lt", 4, "<"},
    {"&gt", 4, ">"},
    {"&copy", 6, "(c)"},
}};

constexpr const char* kCannotRead = "Impossible d'ouvrir le fichier ";

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

void ReplaceEntitiesAt(std::string& line, std::size_t position)
{
    for (const TEntity& entity : kEntities) {
        if (line.compare(position, entity.Compared.size(), entity.Compared) == 0)
            line.replace(position, entity.Removed, entity.Inserted);
    }
}

// Converts entities from the first "&" on, and stops at the first "&" that is
// not in the table: that "&" stays first, so the next round finds it again.
// Every round replaces the first "&" by a character that is not one, so the
// loop ends.
void ConvertEntities(std::string& line)
{
    std::size_t last = std::string::npos;
    for (;;) {
        const std::size_t position = line.find('&');
        if (position == last || position == std::string::npos)
            return;
        ReplaceEntitiesAt(line, position);
        last = position;
    }
}

} // namespace

void VireBalises(std::string& line, std::uint8_t& flag)
{
    line = RemoveMarkup(line, flag);
    ConvertEntities(line);
}

std::string ExportPageText(std::string_view source, TExportFormat format)
{
    std::string output;
    output.reserve(source.size() + source.size() / 16);
    std::uint8_t flag = kOutsideMarkup;
    for (std::string& line : SplitTextLines(source)) {
        if (format == TExportFormat::PlainText)
            VireBalises(line, flag);
        output += line;
        output += "\r\n";
    }
    return output;
}

std::optional<std::string> ExportPageFile(const std::string& sourceFileName, const std::string& targetFileName,
                                          TExportFormat format)
{
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
