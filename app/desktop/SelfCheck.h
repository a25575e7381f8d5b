#pragma once
// The check of the program's own file. The build appends a trailer to the
// linked program: a magic word and the SHA-256 (64 lower-case hexadecimal
// digits) of every byte before the trailer. A program whose bytes no longer
// match may have been infected; the window program then warns and ends.

#include <filesystem>
#include <string_view>

class QWidget;

enum class TSelfCheck { Intact, Unreadable, NoTrailer, WrongDigest };

TSelfCheck CheckProgramFile(const std::filesystem::path& program);

// The magic word that opens the trailer (the same as the build's).
std::string_view DigestMagic();

// The running program's own file.
std::filesystem::path OwnProgramFile();

// Windows-1252.
extern const char* const kSelfCheckWarning;

// Checks the running program; when it is not intact, shows the warning in a
// message box and returns false: the caller then ends the program.
bool OwnProgramIsIntact(QWidget* parent);
