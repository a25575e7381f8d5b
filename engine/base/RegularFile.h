#pragma once
// Reading the files that pages and people name. Only regular files are read:
// a device, a FIFO, a socket or a folder could block the viewer or never end,
// so each is refused as a missing file is. The check comes before the file is
// opened, the file is opened without waiting, and the opened file is checked
// again, so that nothing swapped in between is read. Each kind of file has a
// size limit, checked before anything is read.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// Pages and plain-text files: ten times the 100 MB text files people open,
// while the document built from a page stays within a desktop's memory.
constexpr std::uint64_t kMaxPageBytes = std::uint64_t{1} << 30;
// Files included into a page: far above any text a page inserts.
constexpr std::uint64_t kMaxIncludeBytes = std::uint64_t{64} << 20;
// Picture files: an uncompressed 64-megapixel BMP, the largest picture the
// decoders accept, takes 256 MB.
constexpr std::uint64_t kMaxPictureBytes = std::uint64_t{512} << 20;

// Why a file was not opened. PseudoFile: a file of /proc, /sys or another
// file system the kernel makes up as it is read (its size says nothing, and
// it may hold the process's secrets or never end).
enum class TFileRefusal : std::uint8_t { None, Missing, TooLarge, PseudoFile };

// Missing when the name is empty or names no regular file; PseudoFile on a
// made-up file system; TooLarge when it holds more than `maxBytes`. Nothing
// is opened.
TFileRefusal RegularFileRefusal(const std::string& fileName, std::uint64_t maxBytes);

// A regular file open for reading from its start.
class TRegularFile {
public:
    TRegularFile(const std::string& fileName, std::uint64_t maxBytes);
    ~TRegularFile();
    TRegularFile(const TRegularFile&) = delete;
    TRegularFile& operator=(const TRegularFile&) = delete;

    bool IsOpen() const { return descriptor_ >= 0; }
    TFileRefusal Refusal() const { return refusal_; }
    // The size when it was opened.
    std::uint64_t Size() const { return size_; }
    // Fills the buffer from the next bytes; 0 at the end, after a read error
    // or once `maxBytes` were read (a file that grows is read to the limit).
    std::size_t Read(std::span<unsigned char> buffer);
    bool ReadFailed() const { return readFailed_; }
    // Goes back to the start, to read the file a second time (after its
    // encoding has been decided); false when that fails.
    bool Rewind();

private:
    int descriptor_ = -1;
    TFileRefusal refusal_ = TFileRefusal::Missing;
    std::uint64_t size_ = 0;
    std::uint64_t maxBytes_ = 0;
    std::uint64_t bytesLeft_ = 0;
    bool readFailed_ = false;
};

// The whole file, or nothing when it is refused or cannot be read; `refusal`,
// when given, says why.
std::optional<std::string> ReadRegularFile(const std::string& fileName, std::uint64_t maxBytes,
                                           TFileRefusal* refusal = nullptr);
