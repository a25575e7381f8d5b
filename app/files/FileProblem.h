#pragma once
// Why a file could not be read or written, in French: the system's error
// numbers become the interface's words instead of the C library's English
// ("No such file or directory") or Qt's "Unknown error". Every message about
// a failed file takes its cause from here. Texts are Windows-1252.

#include "engine/base/RegularFile.h"

#include <cstdint>
#include <optional>
#include <string>

// The cause for a system error number (errno): "fichier introuvable",
// "permission refusée", "disque plein", "c'est un dossier" ...
std::string FrenchCause(int errorNumber);

// The cause for a file that is not a regular one, from its stat mode: "c'est
// un dossier", "c'est un périphérique", "c'est un tube nommé" ...
std::string FileKindCause(unsigned mode);

// Why the file cannot be read; nothing when it can. Only regular files are
// read: a folder, a device or a pipe is refused with its own cause, and so
// is a file larger than the reader accepts.
std::optional<std::string> ReadProblem(const std::string& fileName, std::uint64_t maxBytes = kMaxPageBytes);

// The cause to give after a read failed: the problem above, or an
// input-output error when the file looks readable.
std::string WhyUnreadable(const std::string& fileName, std::uint64_t maxBytes = kMaxPageBytes);

// Why writing the file failed: the target and its folder are looked at
// first (a folder in the way, a missing or read-only folder), then the error
// number the failing call left (0 when unknown).
std::string WriteProblem(const std::string& fileName, int errorNumber);
