#pragma once
// The check of the program's own file. The build appends a trailer to the
// linked program: a magic word and the SHA-256 (64 lower-case hexadecimal
// digits) of every byte before the trailer. A program whose bytes no longer
// match may have been infected; the window program then warns and ends.

#include <filesystem>
#include <functional>
#include <string_view>

class QObject;
class QWidget;

enum class TSelfCheck { Intact, Unreadable, NoTrailer, WrongDigest };

TSelfCheck CheckProgramFile(const std::filesystem::path& program);

// The same check on a worker thread, so that hashing a large program does not
// hold the interface up; `done` then runs on the thread of `context`, unless
// the context is gone by then.
void CheckProgramFileInBackground(const std::filesystem::path& program, QObject* context,
                                  std::function<void(TSelfCheck)> done);

// The magic word that opens the trailer (the same as the build's).
std::string_view DigestMagic();

// The running program's own file.
std::filesystem::path OwnProgramFile();

// Windows-1252.
extern const char* const kSelfCheckWarning;

// Shows the warning in a message box; the caller then ends the program.
void WarnProgramChanged(QWidget* parent);
