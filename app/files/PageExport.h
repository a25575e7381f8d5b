#pragma once
// Export of the shown page's source file under a new name: either a copy of
// its bytes ("Format HTML") or plain text ("Texte brut") made line by line by
// VireBalises, which drops markup and turns character names and numbers into
// characters of the page's own encoding (a UTF-8 page gives UTF-8 text).
// Works on the source text only.

#include "engine/base/TextEncoding.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class TExportFormat { Html, PlainText };

// The in-tag flag carried from one line to the next: 1 outside markup, 0
// inside, so that a tag spanning several lines is removed as a whole.
constexpr std::uint8_t kOutsideMarkup = 1;

// Converts one line in place; the flag is read and updated. &nbsp; becomes a
// space, &copy; "(c)", &#13; and &#10; a line end (CR LF); a character the
// encoding cannot hold becomes the stand-in.
void VireBalises(std::string& line, std::uint8_t& flag, TTextEncoding encoding = TTextEncoding::Windows1252);

// The export of a whole source text: the bytes unchanged, or the plain text
// with CR LF after every line.
std::string ExportPageText(std::string_view source, TExportFormat format);

// Why the target may not be written: it is the source file itself, under
// any spelling or link. Nothing when it may.
std::optional<std::string> SelfExportRefusal(const std::string& sourceFileName, const std::string& targetFileName);

// Reads the source file, exports it and writes the result over the target
// without ever leaving a half-written target. Returns a French message on
// failure, also when the target is the source file itself.
std::optional<std::string> ExportPageFile(const std::string& sourceFileName, const std::string& targetFileName,
                                          TExportFormat format);

// The page save dialog: its two filters, in this order, and its default
// extension.
constexpr const char* kSaveFilterHtml = "Format HTML (*.htm)";
constexpr const char* kSaveFilterText = "Texte brut (*.txt)";
constexpr const char* kSaveDefaultSuffix = "htm";

// The format chosen by the dialog's filter index (1 for HTML, 2 for text).
TExportFormat ExportFormatForFilter(int filterIndex);

// The name written for the name chosen in the dialog: with the text filter, a
// name without any "." gets ".txt"; with the HTML filter, a name whose last
// element has no extension gets the default one.
std::string ExportFileName(const std::string& chosenName, int filterIndex);
