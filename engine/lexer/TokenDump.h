#pragma once
// The symbol stream of a page as text, one symbol per line, as the document
// builder sees it in normal mode: for looking at what the lexer makes of a
// page and for comparing it with expected output in tests.

#include <ostream>
#include <string>

// Writes the symbols of the file. Throws std::runtime_error when the file
// cannot be opened; a page that ends inside a comment ends with an error line.
void WriteTokenDumpOfFile(const std::string& fileName, std::ostream& out);

// The same for a page held in memory.
void WriteTokenDumpOfText(std::string text, std::ostream& out);
