#pragma once
// Conversion between the engine's Windows-1252 byte strings and Qt's Unicode
// strings. Document text and interface texts stay one byte per character; they
// become Unicode only where they meet Qt (drawing, widgets, clipboard, dialogs).

#include <QString>
#include <optional>
#include <string>
#include <string_view>

// Shown in place of a character Windows-1252 cannot hold, and of a byte that
// is no character of the file's encoding.
constexpr char kStandIn = '?';

// The Unicode character for one Windows-1252 byte. The five bytes the code page
// leaves undefined map to the C1 control of the same value, as Windows does.
char16_t Cp1252ToUnicode(unsigned char byte);

// The Windows-1252 byte of a Unicode character, when the code page has one
// (the five undefined bytes stand for the C1 controls of the same value).
std::optional<unsigned char> UnicodeToCp1252(char32_t character);
// The same, or kStandIn.
char Cp1252OrStandIn(char32_t character);

QString Cp1252ToQString(std::string_view text);

// Characters outside Windows-1252 become kStandIn.
std::string QStringToCp1252(QStringView text);

// File names are UTF-8; a reference that is not valid UTF-8 is taken as
// Windows-1252 and converted.
std::string Cp1252ToUtf8IfNeeded(std::string_view reference);
bool IsValidUtf8(std::string_view text);
