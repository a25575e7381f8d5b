#pragma once
// Reading and writing whole files. A write never leaves a half-written file:
// the bytes go to a temporary file in the same folder, which is then renamed
// over the target, so readers see either the old contents or the new ones.

#include "engine/base/RegularFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The file's bytes; nothing when the name is empty, names no regular file
// (devices, FIFOs, sockets and folders are refused without waiting), the file
// holds more than `maxBytes` or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& fileName, std::uint64_t maxBytes = kMaxPageBytes);

// Returns nothing on success, or a French message naming the file and the
// cause on failure; after a failure the old file (if any) is left whole. The
// name is used as the bytes it is. Through a symbolic link the file it names
// is replaced; a replaced file keeps its permission bits.
std::optional<std::string> WriteFileAtomically(const std::string& fileName, std::string_view bytes);

// Lines end at CR LF, CR or LF; the line ends are not part of the lines, and a
// final line end does not start an empty last line.
std::vector<std::string> SplitTextLines(std::string_view bytes);
