#include "engine/base/Cp1252.h"

#include <QByteArrayView>

#include <array>

namespace {

// 0x80..0x9F: the only range where Windows-1252 differs from Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

std::optional<unsigned char> UnicodeToCp1252(char32_t character)
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

char Cp1252OrStandIn(char32_t character)
{
    const std::optional<unsigned char> byte = UnicodeToCp1252(character);
    return byte ? static_cast<char>(*byte) : kStandIn;
}

char16_t Cp1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kHighControls[byte - 0x80];
    return byte;
}

QString Cp1252ToQString(std::string_view text)
{
    QString result(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* out = result.data();
    for (char c : text)
        *out++ = QChar(Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return result;
}

std::string QStringToCp1252(QStringView text)
{
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text)
        result.push_back(Cp1252OrStandIn(c.unicode()));
    return result;
}

bool IsValidUtf8(std::string_view text)
{
    return QByteArrayView(text.data(), static_cast<qsizetype>(text.size())).isValidUtf8();
}

std::string Cp1252ToUtf8IfNeeded(std::string_view reference)
{
    if (IsValidUtf8(reference))
        return std::string(reference);
    return Cp1252ToQString(reference).toStdString();
}
