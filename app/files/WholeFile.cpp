#include "app/files/WholeFile.h"

#include "app/files/FileNameText.h"
#include "app/files/FileProblem.h"
#include "engine/base/Cp1252.h"

#include <cerrno>
#include <optional>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Windows-1252, like every text of the interface.
constexpr TCp1252Text kCannotWrite("Impossible d'écrire le fichier ");

// Names a temporary file may take before the folder is deemed unwritable.
constexpr int kTemporaryNameTries = 100;

std::string FailureMessage(const std::string& fileName, int errorNumber)
{
    return std::string(kCannotWrite) + FileNameForMessage(fileName) + " : " + WriteProblem(fileName, errorNumber);
}

// Links followed before a chain is taken for a loop, as the system does.
constexpr int kMaxLinkHops = 40;

// The file a save writes: the name itself or, through symbolic links, the
// file they name (which a dangling link makes). `Refusal` says why there is
// none: not a regular file, or links that never end.
struct TSaveTarget {
    fs::path Path;
    std::optional<std::string> Refusal;
};

fs::path LinkDestination(const fs::path& link)
{
    std::error_code error;
    const fs::path destination = fs::read_symlink(link, error);
    return destination.is_absolute() ? destination : link.parent_path() / destination;
}

TSaveTarget ResolveSaveTarget(const std::string& fileName)
{
    fs::path path = fileName;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat status {};
        // Missing, or out of reach: the temporary file's creation will say why.
        if (::lstat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode))
            return {path, std::nullopt};
        if (!S_ISLNK(status.st_mode))
            return {path, FileKindCause(status.st_mode)};
        path = LinkDestination(path);
    }
    return {path, FrenchCause(ELOOP)};
}

// A new file beside the target, removed again unless it is renamed over it.
class TTemporaryFile {
public:
    explicit TTemporaryFile(const fs::path& target)
    {
        const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
        std::random_device seed;
        std::mt19937 random(seed());
        for (int attempt = 0; attempt < kTemporaryNameTries && Descriptor < 0; ++attempt) {
            Path = folder / (".zefweb-" + std::to_string(random()) + ".tmp");
            // 0666 less the umask: what a new file made by the program gets.
            Descriptor = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (Descriptor < 0 && errno != EEXIST)
                break;
        }
        OpenError = Descriptor < 0 ? errno : 0;
    }
    ~TTemporaryFile()
    {
        if (Descriptor >= 0)
            ::close(Descriptor);
        if (!Renamed)
            ::unlink(Path.c_str());
    }
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    // 0, or the error number of the failed step; each step runs only after
    // the previous ones succeeded.
    int OpenError = 0;
    int Write(std::string_view bytes);
    int TakeModeOf(const fs::path& target);
    int RenameOver(const fs::path& target);

private:
    fs::path Path;
    int Descriptor = -1;
    bool Renamed = false;
};

int TTemporaryFile::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(Descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// A replaced file keeps its permission bits, and its owner where the system
// allows it.
int TTemporaryFile::TakeModeOf(const fs::path& target)
{
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0)
        return 0;
    if (::fchown(Descriptor, old.st_uid, old.st_gid) != 0) {
        // Only the superuser may give a file away; the group may still be
        // kept when the user belongs to it.
        [[maybe_unused]] const int groupOnly = ::fchown(Descriptor, static_cast<uid_t>(-1), old.st_gid);
    }
    return ::fchmod(Descriptor, old.st_mode & 07777) == 0 ? 0 : errno;
}

int TTemporaryFile::RenameOver(const fs::path& target)
{
    // The bytes reach the disk before the name does: a full disk shows here
    // on some file systems, and a crash never leaves an empty file.
    if (::fsync(Descriptor) != 0)
        return errno;
    const int descriptor = Descriptor;
    Descriptor = -1;
    if (::close(descriptor) != 0)
        return errno;
    if (::rename(Path.c_str(), target.c_str()) != 0)
        return errno;
    Renamed = true;
    return 0;
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& fileName, std::uint64_t maxBytes)
{
    return ReadRegularFile(fileName, maxBytes);
}

std::optional<std::string> WriteFileAtomically(
    const std::string& fileName, const std::function<std::optional<std::string>(const TBlockSink&)>& produce)
{
    const TSaveTarget target = ResolveSaveTarget(fileName);
    if (target.Refusal)
        return std::string(kCannotWrite) + FileNameForMessage(fileName) + " : " + *target.Refusal;
    TTemporaryFile file(target.Path);
    int error = file.OpenError;
    if (error == 0) {
        const std::optional<std::string> abandoned = produce([&](std::string_view block) {
            error = file.Write(block);
            return error == 0;
        });
        if (abandoned && error == 0)
            return abandoned;
    }
    if (error == 0)
        error = file.TakeModeOf(target.Path);
    if (error == 0)
        error = file.RenameOver(target.Path);
    if (error != 0)
        return FailureMessage(fileName, error);
    return std::nullopt;
}

std::optional<std::string> WriteFileAtomically(const std::string& fileName, std::string_view bytes)
{
    return WriteFileAtomically(fileName, [bytes](const TBlockSink& write) -> std::optional<std::string> {
        write(bytes);
        return std::nullopt;
    });
}
