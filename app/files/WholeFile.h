#pragma once
// Reading and writing whole files. A write never leaves a half-written file:
// the bytes go to a temporary file in the same folder, which is then renamed
// over the target, so readers see either the old contents or the new ones.

#include "engine/base/RegularFile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The file's bytes; nothing when the name is empty, names no regular file
// (devices, FIFOs, sockets and folders are refused without waiting), the file
// holds more than `maxBytes` or cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& fileName, std::uint64_t maxBytes = kMaxPageBytes);

// Returns nothing on success, or a French message naming the file and the
// cause on failure; after a failure the old file (if any) is left whole. The
// name is used as the bytes it is. Through symbolic links the file they name
// is replaced, or made when it does not exist; a replaced file keeps its
// permission bits. A target that is not a regular file (a device, a FIFO, a
// socket, a folder) or a loop of links is refused and left as it is.
std::optional<std::string> WriteFileAtomically(const std::string& fileName, std::string_view bytes);

// Hands the file's bytes on block by block; false once writing failed.
using TBlockSink = std::function<bool(std::string_view block)>;
// Writes the blocks `produce` hands to the sink, so that the bytes are never
// held whole; `produce` returns a message of its own to give the file up.
std::optional<std::string> WriteFileAtomically(
    const std::string& fileName, const std::function<std::optional<std::string>(const TBlockSink&)>& produce);
