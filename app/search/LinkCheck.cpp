#include "app/search/LinkCheck.h"

#include "app/files/PageIncludes.h"
#include "app/search/PageText.h"
#include "engine/base/AsciiText.h"
#include "engine/base/Cp1252.h"
#include "engine/base/RegularFile.h"
#include "engine/lexer/Lexer.h"
#include "engine/lexer/LinkNames.h"

#include <QString>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

namespace {

using TAnchorNames = std::set<std::string, std::less<>>;

// One reference a page makes, as the lexer read it (Windows-1252).
struct TReference {
    std::string Kind;
    std::string Target;
    int Line = 1;
    std::string Shown;
};

// The text a link shows is kept to this many characters: enough to find it.
constexpr std::size_t kMaxShownText = 60;

std::string UpperAscii(std::string_view text)
{
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return upper;
}

// Finds the lines of a page's references in its bytes: the lexer gives them
// in the order of the source, so each is looked for after the one before.
class TLineFinder {
public:
    TLineFinder(std::string bytes, TTextEncoding encoding) : bytes_(std::move(bytes)), encoding_(encoding) {}

    int LineOf(std::string_view cp1252Value)
    {
        const std::string written = AsWritten(cp1252Value);
        if (written.empty())
            return line_;
        const std::size_t found = bytes_.find(written, cursor_);
        if (found == std::string::npos)
            return line_;
        line_ += static_cast<int>(std::count(bytes_.begin() + static_cast<std::ptrdiff_t>(cursor_),
                                             bytes_.begin() + static_cast<std::ptrdiff_t>(found), '\n'));
        cursor_ = found;
        return line_;
    }

private:
    std::string AsWritten(std::string_view cp1252Value) const
    {
        switch (encoding_) {
        case TTextEncoding::Utf8:
            return Cp1252ToQString(cp1252Value).toStdString();
        case TTextEncoding::Latin9:
            return Cp1252ToQString(cp1252Value).toLatin1().toStdString();
        case TTextEncoding::Windows1252:
            break;
        }
        return std::string(cp1252Value);
    }

    std::string bytes_;
    TTextEncoding encoding_;
    std::size_t cursor_ = 0;
    int line_ = 1;
};

// The references of one HTML page, its base and its anchor names.
struct TPageReferences {
    std::vector<TReference> References;
    std::string Base;
};

void AddAttribute(const THtmlLexer& lexer, TSymbol attribute, const char* kind, TLineFinder& lines,
                  TPageReferences& page)
{
    const TAttribute* found = lexer.Attributes().Find(attribute);
    if (!found)
        return;
    const std::string target = TrimName(found->Text);
    if (target.empty())
        return;
    page.References.push_back({kind, target, lines.LineOf(found->Text), {}});
}

TPageReferences ReadReferences(const std::string& fileName)
{
    TPageReferences page;
    std::optional<std::string> bytes = ReadRegularFile(fileName, kMaxPageBytes);
    if (!bytes)
        throw EFileError(fileName);
    THtmlLexer lexer;
    std::vector<std::string> includes;
    lexer.SetIncludeHandler([&includes](const std::string& command, std::vector<std::string> params, const std::string&) {
        if (EqualsIgnoringCase(command, "INCLUDE"))
            if (const std::optional<std::string> name = IncludedFileName(params))
                includes.push_back(*name);
        return std::string();
    });
    lexer.StartFile(fileName);
    TLineFinder lines(std::move(*bytes), lexer.FileEncoding());
    const auto takeIncludes = [&] {
        for (const std::string& name : includes) {
            const std::string written = QStringToCp1252(QString::fromStdString(name));
            page.References.push_back({"inclusion", written, lines.LineOf(written), {}});
        }
        includes.clear();
    };
    // The reference of the open A tag, whose text is being read; npos when none.
    std::size_t openLink = std::string::npos;
    try {
        for (TSymbol symbol = lexer.NextSymbol(); symbol != TSymbol::EndOfInput; symbol = lexer.NextSymbol()) {
            takeIncludes();
            switch (symbol) {
            case TSymbol::A: {
                const std::size_t before = page.References.size();
                AddAttribute(lexer, TSymbol::Href, "lien", lines, page);
                openLink = page.References.size() > before ? before : std::string::npos;
                break;
            }
            case TSymbol::AEnd:
                openLink = std::string::npos;
                break;
            case TSymbol::TextRun:
                if (openLink != std::string::npos) {
                    std::string& shown = page.References[openLink].Shown;
                    if (shown.size() < kMaxShownText)
                        shown += lexer.TokenText();
                }
                break;
            case TSymbol::Area:
                AddAttribute(lexer, TSymbol::Href, "lien", lines, page);
                break;
            case TSymbol::Img:
                AddAttribute(lexer, TSymbol::Src, "image", lines, page);
                break;
            case TSymbol::Input:
                if (const TAttribute* type = lexer.Attributes().Find(TSymbol::Type);
                    type && EqualsIgnoringCase(type->Text, "image"))
                    AddAttribute(lexer, TSymbol::Src, "image", lines, page);
                break;
            case TSymbol::Body:
                AddAttribute(lexer, TSymbol::Background, "fond", lines, page);
                break;
            case TSymbol::BgSound:
                AddAttribute(lexer, TSymbol::Src, "son", lines, page);
                break;
            case TSymbol::Base:
                if (const TAttribute* href = lexer.Attributes().Find(TSymbol::Href))
                    page.Base = href->Text;
                break;
            default:
                break;
            }
        }
    } catch (const EParseError&) {
        // The rest of the page is one open comment: the viewer shows what came before.
    }
    takeIncludes();
    return page;
}

bool TargetExists(const std::string& fileName)
{
    std::error_code error;
    return !fileName.empty() && !HasControlCharacter(fileName) &&
           (std::filesystem::is_regular_file(fileName, error) || std::filesystem::is_directory(fileName, error));
}

class TLinkChecker {
public:
    TLinkChecker(std::string folder, TLinkReport& report) : folder_(std::move(folder)), report_(report) {}

    void CheckPage(const std::string& path)
    {
        const TPageReferences page = ReadReferences(path);
        for (const TReference& reference : page.References)
            if (const std::optional<std::string> kind = BrokenKind(reference, page, path))
                report_.Broken.push_back({RelativeToFolder(path, folder_), reference.Line, *kind,
                                          Cp1252ToQString(reference.Target).toStdString(),
                                          Cp1252ToQString(reference.Shown).simplified().toStdString()});
    }

private:
    // The kind to report when the reference is broken ("ancre" for a page
    // that exists without the anchor), else nothing.
    std::optional<std::string> BrokenKind(const TReference& reference, const TPageReferences& page,
                                          const std::string& path)
    {
        if (reference.Kind == "inclusion") {
            if (TargetExists(LocateFileNamedByPage(Cp1252ToUtf8IfNeeded(reference.Target), path)))
                return std::nullopt;
            return reference.Kind;
        }
        if (!IsLocalLink(reference.Target))
            return std::nullopt;
        std::string name = reference.Target;
        std::string anchor;
        if (const std::size_t hash = name.find('#'); hash != std::string::npos) {
            anchor = name.substr(hash + 1);
            name.resize(hash);
        }
        // A program may be followed by its arguments, a page by a query: the
        // viewer names the file by what comes before the first space, else
        // before the first "?".
        std::size_t split = name.find(' ');
        if (split == std::string::npos)
            split = name.find('?');
        if (split != std::string::npos)
            name.resize(split);
        const std::string target = name.empty() ? path : ExpandLinkToFile(name, {}, page.Base, path, fileNameCase_);
        if (!TargetExists(target))
            return reference.Kind;
        if (anchor.empty() || reference.Kind != "lien" || !HasPageExtension(target) || IsPlainTextPage(target))
            return std::nullopt;
        if (AnchorsOf(target).contains(UpperAscii(anchor)))
            return std::nullopt;
        return std::string("ancre");
    }

    const TAnchorNames& AnchorsOf(const std::string& page)
    {
        auto found = anchors_.find(page);
        if (found == anchors_.end()) {
            TAnchorNames names;
            try {
                names = ReadPageAnchorNames(page);
            } catch (const EFileError&) {
                // An unreadable page holds no anchor.
            }
            found = anchors_.emplace(page, std::move(names)).first;
        }
        return found->second;
    }

private:
    std::string folder_;
    TLinkReport& report_;
    TFileNameCase fileNameCase_;
    std::map<std::string, TAnchorNames, std::less<>> anchors_;
};

} // namespace

TLinkReport CheckFolderLinks(const std::string& folder, const std::atomic<bool>* cancel)
{
    const std::string root = NormalFolder(folder);
    TPageFolderListing listing = ListPageFolder(root);
    TLinkReport report;
    report.Skipped = std::move(listing.Skipped);
    TLinkChecker checker(root, report);
    for (const TFoundPage& page : listing.Pages) {
        if (cancel && cancel->load()) {
            report.Cancelled = true;
            break;
        }
        if (IsPlainTextPage(page.Path))
            continue;
        try {
            checker.CheckPage(page.Path);
            ++report.Pages;
        } catch (const EFileError& error) {
            report.Skipped.push_back({page.Path, Cp1252ToQString(error.what()).toStdString()});
        }
    }
    return report;
}
