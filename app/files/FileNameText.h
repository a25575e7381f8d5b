#pragma once
// File names are UTF-8 byte strings; the windows show them decoded as UTF-8,
// or as Windows-1252 when they are not valid UTF-8.

#include <QString>
#include <string>
#include <string_view>

QString FileNameForDisplay(std::string_view fileName);

// The same name as a Windows-1252 byte string, for messages built from the
// interface's texts (characters outside the code page become '?').
std::string FileNameForMessage(std::string_view fileName);
