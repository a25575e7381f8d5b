#include "engine/lexer/LinkNames.h"

#include "engine/base/AsciiText.h"
#include "engine/base/Cp1252.h"

#include <QString>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Replaces %XX by its character, from left to right. A decoded "%" takes part
// in the next replacement ("%2541" gives "A"); a "%" in the first position, too
// near the end, or not followed by two hexadecimal digits ends the decoding.
// This does in one pass what rescanning from the start after every
// replacement would do, so long references cost linear time.
std::string DecodePercents(std::string_view link)
{
    std::string source(link);
    std::string decoded;
    decoded.reserve(source.size());
    std::size_t next = 0;
    for (;;) {
        const std::size_t percent = source.find('%', next);
        if (percent == std::string::npos) {
            decoded.append(source, next);
            return decoded;
        }
        decoded.append(source, next, percent - next);
        // Position (from 1) and length of the string as it now stands.
        const std::size_t position = decoded.size() + 1;
        const std::size_t length = decoded.size() + source.size() - percent;
        const int high = position + 2 <= length ? HexDigitValue(source[percent + 1]) : -1;
        const int low = position + 2 <= length ? HexDigitValue(source[percent + 2]) : -1;
        if (position <= 1 || high < 0 || low < 0) {
            decoded.append(source, percent);
            return decoded;
        }
        source[percent + 2] = static_cast<char>(high * 16 + low);
        next = percent + 2;
    }
}

void RemoveFirstFileScheme(std::string& path)
{
    constexpr std::string_view kScheme = "file://";
    for (std::size_t start = 0; start + kScheme.size() <= path.size(); ++start)
        if (EqualsIgnoringCase(std::string_view(path).substr(start, kScheme.size()), kScheme)) {
            path.erase(start, kScheme.size());
            return;
        }
}

std::string AbsoluteNormal(const std::string& path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(path), error);
    return (error ? fs::path(path) : absolute).lexically_normal().string();
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Names that differ only in letter case. ASCII names, nearly all of them, are
// compared without Unicode's case folding: every name a page gives that is
// not found is compared with a whole folder, and pages may name hundreds of
// missing pictures.
bool SameNameIgnoringCase(std::string_view candidate, std::string_view wanted, const QString& wantedText)
{
    if (IsAscii(candidate) && IsAscii(wanted))
        return EqualsIgnoringCase(candidate, wanted);
    const QString candidateText = QString::fromUtf8(candidate.data(), static_cast<qsizetype>(candidate.size()));
    return candidateText.compare(wantedText, Qt::CaseInsensitive) == 0;
}

// The one name of the listing that equals the given one without regard to
// case; none when there is none or more than one.
std::optional<std::string> UniqueMatchIgnoringCase(const std::vector<std::string>& names, const std::string& name)
{
    const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    const std::string* match = nullptr;
    for (const std::string& candidate : names) {
        if (!SameNameIgnoringCase(candidate, name, wanted))
            continue;
        if (match)
            return std::nullopt;
        match = &candidate;
    }
    return match ? std::optional<std::string>(*match) : std::nullopt;
}

// The length of the control character at the start of text, 0 when none.
std::size_t ControlCharacterLength(std::string_view text)
{
    const auto byte = [&text](std::size_t index) { return static_cast<unsigned char>(text[index]); };
    if (byte(0) < 0x20 || byte(0) == 0x7F)
        return 1;
    return text.size() >= 2 && byte(0) == 0xC2 && byte(1) >= 0x80 && byte(1) <= 0x9F ? 2 : 0;
}

} // namespace

bool IsLocalLink(std::string_view link)
{
    const std::size_t colon = link.find(':');
    return colon == std::string_view::npos || colon <= 1 || FindIgnoringCase(link, "file:") != std::string_view::npos;
}

std::string TrimName(std::string_view name)
{
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    const auto first = std::find_if_not(name.begin(), name.end(), isBlank);
    const auto last = std::find_if_not(name.rbegin(), name.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

std::string LinkToPath(std::string_view link)
{
    std::string path = DecodePercents(link);
    if (path.find_first_of("/\\") != std::string::npos) {
        RemoveFirstFileScheme(path);
        std::replace(path.begin(), path.end(), '\\', '/');
        std::replace(path.begin(), path.end(), '|', ':');
    }
    return Cp1252ToUtf8IfNeeded(path);
}

std::string ServerLinkToPath(std::string_view link, std::string_view serverRoot)
{
    std::string path = LinkToPath(link);
    if (!path.empty() && path.front() == '/')
        path.insert(0, serverRoot);
    return path;
}

std::string ExpandLink(std::string_view name, std::string_view serverRoot, std::string_view base,
    std::string_view currentFile)
{
    const std::string path = ServerLinkToPath(TrimName(name), serverRoot);
    if (!path.empty() && path.front() == '/')
        return AbsoluteNormal(path);
    if (EqualsIgnoringCase(base, "dospath"))
        return path;
    // The folder and the name are joined as they are: the folder carries its
    // own final "/". A base that names a page stands for the page's folder.
    const std::string folder = FolderOf(base.empty() ? std::string(currentFile) : LinkToPath(base));
    return AbsoluteNormal(folder + path);
}

bool HasControlCharacter(std::string_view fileName)
{
    for (std::size_t index = 0; index < fileName.size(); ++index)
        if (ControlCharacterLength(fileName.substr(index)) > 0)
            return true;
    return false;
}

std::string EscapeControlCharacters(std::string_view fileName)
{
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string escaped;
    for (std::size_t index = 0; index < fileName.size();) {
        const std::size_t length = ControlCharacterLength(fileName.substr(index));
        if (length == 0) {
            escaped += fileName[index++];
            continue;
        }
        for (const char c : fileName.substr(index, length)) {
            const auto byte = static_cast<unsigned char>(c);
            escaped += {'\\', 'x', kHexDigits[byte >> 4], kHexDigits[byte & 0xF]};
        }
        index += length;
    }
    return escaped;
}

std::string ExpandLinkToFile(std::string_view name, std::string_view serverRoot, std::string_view base,
    std::string_view currentFile, TFileNameCase& fileNameCase)
{
    return fileNameCase.Resolve(ExpandLink(name, serverRoot, base, currentFile));
}

std::string FolderOf(std::string_view fileName)
{
    const std::size_t slash = fileName.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(fileName.substr(0, slash + 1));
}

std::string TFileNameCase::Resolve(const std::string& path)
{
    std::error_code error;
    if (path.empty() || fs::exists(path, error))
        return path;
    const fs::path wanted(path);
    fs::path resolved = wanted.root_path();
    for (const fs::path& part : wanted.relative_path()) {
        if (part.empty())
            continue;
        const fs::path exact = resolved / part;
        if (part == "." || part == ".." || fs::exists(exact, error)) {
            resolved = exact;
            continue;
        }
        const auto match = UniqueMatchIgnoringCase(Listing(resolved.empty() ? fs::path(".") : resolved), part.string());
        if (!match)
            return path;
        resolved /= *match;
    }
    return resolved.string();
}

const std::vector<std::string>& TFileNameCase::Listing(const fs::path& folder)
{
    const auto [entry, added] = listings_.try_emplace(folder.string());
    if (added) {
        std::error_code error;
        for (fs::directory_iterator item(folder, error), end; !error && item != end; item.increment(error))
            entry->second.push_back(item->path().filename().string());
    }
    return entry->second;
}

std::string ResolveFileNameCase(const std::string& path)
{
    return TFileNameCase().Resolve(path);
}

std::string LocateFileNamedByPage(const std::string& name, std::string_view pageFile)
{
    TFileNameCase fileNameCase;
    const std::string asWritten = fileNameCase.Resolve(name);
    std::error_code error;
    if (asWritten.empty() || asWritten.front() == '/' || fs::exists(asWritten, error) || FolderOf(pageFile).empty())
        return asWritten;
    const std::string besidePage = fileNameCase.Resolve(FolderOf(pageFile) + name);
    return fs::exists(besidePage, error) ? besidePage : asWritten;
}
