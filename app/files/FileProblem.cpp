#include "app/files/FileProblem.h"

#include "engine/base/Cp1252.h"
#include <array>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct TCause {
    int ErrorNumber;
    TCp1252Text<48> Text;
};

constexpr std::array<TCause, 17> kCauses{{
    {ENOENT, "fichier introuvable"},
    {EACCES, "permission refusée"},
    {EPERM, "permission refusée"},
    {ENOSPC, "disque plein"},
    {EDQUOT, "quota de disque dépassé"},
    {EISDIR, "c'est un dossier"},
    {ENOTDIR, "un élément du chemin n'est pas un dossier"},
    {EROFS, "disque en lecture seule"},
    {ENAMETOOLONG, "nom trop long"},
    {ELOOP, "trop de liens symboliques"},
    {EMFILE, "trop de fichiers ouverts"},
    {ENFILE, "trop de fichiers ouverts"},
    {EFBIG, "fichier trop grand"},
    {EIO, "erreur d'entrée-sortie"},
    {ENOMEM, "mémoire insuffisante"},
    {EBUSY, "fichier occupé"},
    {ETXTBSY, "fichier occupé"},
}};

constexpr TCp1252Text kDevice("c'est un périphérique");
constexpr TCp1252Text kFifo("c'est un tube nommé");
constexpr TCp1252Text kSocket("c'est une prise de communication");
constexpr TCp1252Text kPseudoFile("fichier virtuel du système (/proc, /sys), pas un fichier ordinaire");
constexpr TCp1252Text kMissingFolder("dossier introuvable");
constexpr TCp1252Text kNotRegular("ce n'est pas un fichier ordinaire");
constexpr TCp1252Text kUnknownWriteFailure("écriture impossible");
constexpr TCp1252Text kOtherError("erreur système ");

std::filesystem::path FolderOf(const std::string& fileName)
{
    const std::filesystem::path parent = std::filesystem::path(fileName).parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

} // namespace

std::string FrenchCause(int errorNumber)
{
    for (const TCause& cause : kCauses)
        if (cause.ErrorNumber == errorNumber)
            return cause.Text;
    return std::string(kOtherError) + std::to_string(errorNumber);
}

std::string FileKindCause(unsigned mode)
{
    if (S_ISDIR(mode))
        return FrenchCause(EISDIR);
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return kDevice;
    if (S_ISFIFO(mode))
        return kFifo;
    if (S_ISSOCK(mode))
        return kSocket;
    return kNotRegular;
}

std::optional<std::string> ReadProblem(const std::string& fileName, std::uint64_t maxBytes)
{
    if (fileName.empty())
        return FrenchCause(ENOENT);
    struct stat status {};
    if (::stat(fileName.c_str(), &status) != 0)
        return FrenchCause(errno);
    if (!S_ISREG(status.st_mode))
        return FileKindCause(status.st_mode);
    // Opening tells permissions apart from the rest as the reader will meet them.
    const int descriptor = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return FrenchCause(errno);
    ::close(descriptor);
    const TFileRefusal refusal = RegularFileRefusal(fileName, maxBytes);
    if (refusal == TFileRefusal::PseudoFile)
        return kPseudoFile;
    if (refusal == TFileRefusal::TooLarge)
        return FrenchCause(EFBIG);
    return std::nullopt;
}

std::string WhyUnreadable(const std::string& fileName, std::uint64_t maxBytes)
{
    return ReadProblem(fileName, maxBytes).value_or(FrenchCause(EIO));
}

std::string WriteProblem(const std::string& fileName, int errorNumber)
{
    std::error_code error;
    if (std::filesystem::is_directory(fileName, error))
        return FrenchCause(EISDIR);
    const std::filesystem::path folder = FolderOf(fileName);
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (error.value() == ENOENT)
        return kMissingFolder;
    if (error)
        return FrenchCause(error.value());
    if (!std::filesystem::is_directory(status))
        return FrenchCause(ENOTDIR);
    if (::access(folder.c_str(), W_OK) != 0)
        return FrenchCause(errno);
    return errorNumber != 0 ? FrenchCause(errorNumber) : kUnknownWriteFailure;
}
