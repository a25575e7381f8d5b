#pragma once
// Turning the references of pages ("file:///home/u/Page.htm", "img/a.gif",
// "/img/a.gif", "dir\page.htm") into file names of the local file system.
// File names are POSIX paths in UTF-8.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Whether a link names a local file: no colon at all, a drive letter's colon
// (one or two characters in), or a "file:" reference in any case. Anything
// else carries a scheme that the desktop handles.
bool IsLocalLink(std::string_view link);

// The text without leading and trailing characters of code 32 or below.
std::string TrimName(std::string_view name);

// Percent decoding, then, for a reference with "/" or "\": the first "file://"
// (any case) removed, "\" to "/", "|" to ":". Letter case is kept. A result
// that is not valid UTF-8 is taken as Windows-1252 and converted.
std::string LinkToPath(std::string_view link);

// LinkToPath, with the server root put before a result that begins with "/".
// The root is given without a trailing "/".
std::string ServerLinkToPath(std::string_view link, std::string_view serverRoot);

// The full file name a link in a page names. Absolute references go below
// the server root when one is set; relative ones are taken from the base
// (itself a link, up to and including its last "/") or, without a base, from
// the folder of the current file. A
// base equal to "DosPath" (any case) leaves relative names relative to the
// process's current folder. Expanded names are absolute and lexically normal.
std::string ExpandLink(std::string_view name, std::string_view serverRoot, std::string_view base,
    std::string_view currentFile);

// Whether a file name holds a control character: a byte below 32, DEL, or
// one of U+0080 to U+009F in UTF-8. Percent decoding can put them in a link,
// and no page names such a file on purpose: a NUL in particular would make the
// system open a shorter name than the one whose extension was looked at.
bool HasControlCharacter(std::string_view fileName);

// The name with each byte of its control characters written as \xNN, for
// messages.
std::string EscapeControlCharacters(std::string_view fileName);

// The folder part of a file name, with its final "/" ("" when there is none).
std::string FolderOf(std::string_view fileName);

// The letter-case fallback for file names: the path itself when it exists;
// else the path whose folders and name match it one by one without regard to
// letter case, when each level has exactly one such match; else the path
// unchanged. Pages written on case-blind systems often name their files in
// another case than the disk holds them. The object lists each folder once,
// since a page may name hundreds of missing files in one folder; Forget()
// drops the listings when the folders may have changed.
class TFileNameCase {
public:
    std::string Resolve(const std::string& path);
    void Forget() { listings_.clear(); }

private:
    const std::vector<std::string>& Listing(const std::filesystem::path& folder);
    std::map<std::string, std::vector<std::string>, std::less<>> listings_;
};

// The same with fresh listings.
std::string ResolveFileNameCase(const std::string& path);

// The file that a page's include or timed refresh names: the name as written,
// relative to the current folder; when no such file exists and the name is
// relative, the name beside the page (pageFile's folder). Both with the
// letter-case fallback; the name unchanged when neither exists. The current
// folder keeps priority for the pages that rely on it.
std::string LocateFileNamedByPage(const std::string& name, std::string_view pageFile);

// The file a link in a page names: ExpandLink, then the letter-case fallback.
// Pictures, backgrounds, sounds and linked files are all found this way.
std::string ExpandLinkToFile(std::string_view name, std::string_view serverRoot, std::string_view base,
    std::string_view currentFile, TFileNameCase& fileNameCase);
