#pragma once
// Conversion between the engine's Windows-1252 byte strings and Qt's Unicode
// strings. Document text and interface texts stay one byte per character; they
// become Unicode only where they meet Qt (drawing, widgets, clipboard, dialogs).
//
// A character the code page lacks travels in the same strings as a wide
// character: kWideLead and three bytes that carry seven bits of its code each,
// their high bit set. No Windows-1252 text holds that lead before three such
// bytes in practice (the lexer drops control bytes from text), so pages that
// fit the code page keep their bytes, and the lexer, the builder and attribute
// values carry every other character without a second kind of string. Text
// sections keep one byte per character: the lead, with the code beside it.

#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
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
constexpr std::optional<unsigned char> UnicodeToCp1252(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<unsigned char>(character);
    // Converted text meets these often (quotes, dashes): a switch, not a search.
    switch (character) {
    case 0x20AC: return 0x80;
    case 0x201A: return 0x82;
    case 0x0192: return 0x83;
    case 0x201E: return 0x84;
    case 0x2026: return 0x85;
    case 0x2020: return 0x86;
    case 0x2021: return 0x87;
    case 0x02C6: return 0x88;
    case 0x2030: return 0x89;
    case 0x0160: return 0x8A;
    case 0x2039: return 0x8B;
    case 0x0152: return 0x8C;
    case 0x017D: return 0x8E;
    case 0x2018: return 0x91;
    case 0x2019: return 0x92;
    case 0x201C: return 0x93;
    case 0x201D: return 0x94;
    case 0x2022: return 0x95;
    case 0x2013: return 0x96;
    case 0x2014: return 0x97;
    case 0x02DC: return 0x98;
    case 0x2122: return 0x99;
    case 0x0161: return 0x9A;
    case 0x203A: return 0x9B;
    case 0x0153: return 0x9C;
    case 0x017E: return 0x9E;
    case 0x0178: return 0x9F;
    // The five bytes the code page leaves undefined.
    case 0x81: case 0x8D: case 0x8F: case 0x90: case 0x9D: return static_cast<unsigned char>(character);
    default: return std::nullopt;
    }
}
// The same, or kStandIn.
char Cp1252OrStandIn(char32_t character);

// The lead byte of a wide character and the length of the whole sequence.
constexpr char kWideLead = 1;
constexpr std::size_t kWideLength = 4;

// Appends the character's Windows-1252 byte, or its wide sequence.
void AppendEngineCharacter(char32_t character, std::string& out);
// The character of the wide sequence that starts at `index`, if one does.
inline std::optional<char32_t> WideCharacterAt(std::string_view text, std::size_t index)
{
    if (index + kWideLength > text.size() || text[index] != kWideLead)
        return std::nullopt;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[index + k]); };
    if ((byte(1) & byte(2) & byte(3)) < 0x80)
        return std::nullopt;
    const char32_t character = (char32_t{byte(1) & 0x7Fu} << 14) | (char32_t{byte(2) & 0x7Fu} << 7) | (byte(3) & 0x7Fu);
    const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
    if (character > 0x10FFFF || surrogate || UnicodeToCp1252(character))
        return std::nullopt;
    return character;
}
// The longest start of the text of at most `limit` bytes that cuts no wide sequence.
std::string_view CutAtCharacter(std::string_view text, std::size_t limit);
// The characters the text holds, a wide sequence counting one.
std::size_t EngineTextLength(std::string_view text);

// Wide sequences become their characters.
QString Cp1252ToQString(std::string_view text);

// Characters outside Windows-1252 become kStandIn.
std::string QStringToCp1252(QStringView text);
// Characters outside Windows-1252 become wide sequences.
std::string QStringToEngineText(QStringView text);

// File names are UTF-8; a reference that is not valid UTF-8 is taken as
// Windows-1252 and converted.
std::string Cp1252ToUtf8IfNeeded(std::string_view reference);
bool IsValidUtf8(std::string_view text);

// An interface text written in UTF-8 in the source, where it reads and is
// found as it is shown, turned into Windows-1252 bytes when the program is
// compiled: `constexpr TCp1252Text kCaption("Propriétés");`. A character
// the code page lacks does not compile.
template <std::size_t Capacity>
class TCp1252Text {
public:
    template <std::size_t N>
        requires(N <= Capacity)
    consteval TCp1252Text(const char (&utf8)[N])
    {
        for (std::size_t index = 0; index + 1 < N;) {
            const char32_t character = NextCharacter(utf8, index);
            const std::optional<unsigned char> byte = UnicodeToCp1252(character);
            if (!byte)
                throw std::logic_error("no Windows-1252 byte for this character");
            bytes_[size_++] = static_cast<char>(*byte);
        }
    }

    constexpr const char* c_str() const { return bytes_.data(); }
    constexpr std::string_view View() const { return {bytes_.data(), size_}; }
    constexpr operator std::string_view() const { return View(); }
    operator std::string() const { return std::string(View()); }

private:
    template <std::size_t N>
    static consteval char32_t NextCharacter(const char (&utf8)[N], std::size_t& index)
    {
        const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(utf8[at]); };
        const unsigned char lead = byte(index);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t character = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int k = 1; k < length; ++k)
            character = (character << 6) | (byte(index + static_cast<std::size_t>(k)) & 0x3F);
        index += static_cast<std::size_t>(length);
        return character;
    }

    std::array<char, Capacity> bytes_{};
    std::size_t size_ = 0;
};

template <std::size_t N>
TCp1252Text(const char (&)[N]) -> TCp1252Text<N>;
