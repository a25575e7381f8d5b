#include "app/search/PageFolder.h"

#include "engine/base/RegularFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>

namespace {

using TFileIdentity = std::pair<dev_t, ino_t>;

class TFolderWalk {
public:
    explicit TFolderWalk(TPageFolderListing& listing) : listing_(listing) {}

    void Walk(const std::string& folder)
    {
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            Skip(folder, std::strerror(errno ? errno : ENOTDIR));
            return;
        }
        if (!seen_.insert({info.st_dev, info.st_ino}).second)
            return;
        std::error_code error;
        std::filesystem::directory_iterator entries(folder, error);
        if (error) {
            Skip(folder, error.message());
            return;
        }
        std::vector<std::string> names;
        for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
            if (error)
                break;
            names.push_back(entries->path().filename().string());
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            Visit(folder == "/" ? "/" + name : folder + "/" + name);
    }

private:
    void Visit(const std::string& path)
    {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            // A link to nothing is no page; a page of another kind is said.
            if (HasPageExtension(path))
                Skip(path, std::strerror(errno));
            return;
        }
        if (S_ISDIR(info.st_mode)) {
            Walk(path);
            return;
        }
        if (!HasPageExtension(path))
            return;
        if (!S_ISREG(info.st_mode)) {
            Skip(path, "pas un fichier ordinaire");
            return;
        }
        if (static_cast<std::uint64_t>(info.st_size) > kMaxPageBytes) {
            Skip(path, "trop grand");
            return;
        }
        if (!seen_.insert({info.st_dev, info.st_ino}).second)
            return;
        const std::int64_t modified =
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
        listing_.Pages.push_back({path, static_cast<std::int64_t>(info.st_size), modified});
    }

    void Skip(const std::string& path, std::string reason) { listing_.Skipped.push_back({path, std::move(reason)}); }

    TPageFolderListing& listing_;
    // Folders and files already met, by device and inode: a link leads to
    // each once.
    std::set<TFileIdentity> seen_;
};

bool EndsWithIgnoringCase(const std::string& text, std::string_view end)
{
    if (text.size() < end.size())
        return false;
    return std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
}

} // namespace

std::string NormalFolder(const std::string& folder)
{
    std::string normal = std::filesystem::absolute(folder).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

bool HasPageExtension(const std::string& fileName)
{
    return EndsWithIgnoringCase(fileName, ".htm") || EndsWithIgnoringCase(fileName, ".html") ||
           EndsWithIgnoringCase(fileName, ".txt");
}

TPageFolderListing ListPageFolder(const std::string& folder)
{
    TPageFolderListing listing;
    TFolderWalk(listing).Walk(NormalFolder(folder));
    std::sort(listing.Pages.begin(), listing.Pages.end(),
              [](const TFoundPage& a, const TFoundPage& b) { return a.Path < b.Path; });
    return listing;
}

std::string RelativeToFolder(const std::string& path, const std::string& folder)
{
    const std::string prefix = folder == "/" ? folder : folder + "/";
    return path.starts_with(prefix) ? path.substr(prefix.size()) : path;
}
