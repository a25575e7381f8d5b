#include "engine/base/RegularFile.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// File systems whose files the kernel makes up when they are read.
constexpr std::array<decltype(statfs::f_type), 16> kPseudoFileSystems = {
    PROC_SUPER_MAGIC,  SYSFS_MAGIC,  DEBUGFS_MAGIC,    TRACEFS_MAGIC,  SECURITYFS_MAGIC, CGROUP_SUPER_MAGIC,
    CGROUP2_SUPER_MAGIC, BPF_FS_MAGIC, PSTOREFS_MAGIC, EFIVARFS_MAGIC, DEVPTS_SUPER_MAGIC, NSFS_MAGIC,
    BINFMTFS_MAGIC,    SELINUX_MAGIC, 0x62656570 /* configfs */, 0x65735543 /* fusectl */,
};

bool IsPseudoFileSystem(const struct statfs& system)
{
    return std::find(kPseudoFileSystems.begin(), kPseudoFileSystems.end(), system.f_type) !=
           kPseudoFileSystems.end();
}

TFileRefusal RefusalOf(const struct stat& status, const struct statfs& system, std::uint64_t maxBytes)
{
    if (!S_ISREG(status.st_mode))
        return TFileRefusal::Missing;
    if (IsPseudoFileSystem(system))
        return TFileRefusal::PseudoFile;
    return static_cast<std::uint64_t>(status.st_size) > maxBytes ? TFileRefusal::TooLarge : TFileRefusal::None;
}

} // namespace

TFileRefusal RegularFileRefusal(const std::string& fileName, std::uint64_t maxBytes)
{
    // The system reads a name up to its first NUL: a name holding one (a
    // page's "a%00.gif") would open a shorter name than the one asked for.
    struct stat status {};
    struct statfs system {};
    if (fileName.empty() || fileName.find('\0') != std::string::npos || ::stat(fileName.c_str(), &status) != 0 ||
        ::statfs(fileName.c_str(), &system) != 0)
        return TFileRefusal::Missing;
    return RefusalOf(status, system, maxBytes);
}

TRegularFile::TRegularFile(const std::string& fileName, std::uint64_t maxBytes)
{
    refusal_ = RegularFileRefusal(fileName, maxBytes);
    if (refusal_ != TFileRefusal::None)
        return;
    // O_NONBLOCK: should a FIFO have taken the file's place, opening it does
    // not wait for a writer. It changes nothing for a regular file.
    const int descriptor = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        refusal_ = TFileRefusal::Missing;
        return;
    }
    struct stat status {};
    struct statfs system {};
    const bool known = ::fstat(descriptor, &status) == 0 && ::fstatfs(descriptor, &system) == 0;
    refusal_ = known ? RefusalOf(status, system, maxBytes) : TFileRefusal::Missing;
    if (refusal_ != TFileRefusal::None) {
        ::close(descriptor);
        return;
    }
    descriptor_ = descriptor;
    size_ = static_cast<std::uint64_t>(status.st_size);
    maxBytes_ = maxBytes;
    bytesLeft_ = maxBytes;
}

TRegularFile::~TRegularFile()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

std::size_t TRegularFile::Read(std::span<unsigned char> buffer)
{
    if (descriptor_ < 0 || readFailed_)
        return 0;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), bytesLeft_));
    while (wanted > 0) {
        const ssize_t count = ::read(descriptor_, buffer.data(), wanted);
        if (count >= 0) {
            bytesLeft_ -= static_cast<std::uint64_t>(count);
            return static_cast<std::size_t>(count);
        }
        if (errno != EINTR) {
            readFailed_ = true;
            return 0;
        }
    }
    return 0;
}

bool TRegularFile::Rewind()
{
    if (descriptor_ < 0 || readFailed_ || ::lseek(descriptor_, 0, SEEK_SET) != 0)
        return false;
    bytesLeft_ = maxBytes_;
    return true;
}

std::optional<std::string> ReadRegularFile(const std::string& fileName, std::uint64_t maxBytes,
                                           TFileRefusal* refusal)
{
    TRegularFile file(fileName, maxBytes);
    if (refusal)
        *refusal = file.Refusal();
    if (!file.IsOpen())
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
    const auto into = [&file](char* start, std::size_t count) {
        return file.Read({reinterpret_cast<unsigned char*>(start), count});
    };
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const std::size_t count = into(bytes.data() + filled, bytes.size() - filled);
        if (count == 0)
            break;
        filled += count;
    }
    if (filled < bytes.size()) {
        bytes.resize(filled);
    } else {
        // The file may have grown since it was measured: it is read up to the limit.
        char more[4096];
        while (const std::size_t count = into(more, sizeof more))
            bytes.append(more, count);
    }
    if (file.ReadFailed())
        return std::nullopt;
    return bytes;
}
