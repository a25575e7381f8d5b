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

void AppendEngineCharacter(char32_t character, std::string& out)
{
    if (const std::optional<unsigned char> byte = UnicodeToCp1252(character)) {
        out.push_back(static_cast<char>(*byte));
        return;
    }
    out.push_back(kWideLead);
    for (int shift = 14; shift >= 0; shift -= 7)
        out.push_back(static_cast<char>(0x80 | ((character >> shift) & 0x7F)));
}

std::string_view CutAtCharacter(std::string_view text, std::size_t limit)
{
    if (limit >= text.size())
        return text;
    for (std::size_t back = 1; back < kWideLength && back <= limit; ++back)
        if (WideCharacterAt(text, limit - back))
            return text.substr(0, limit - back);
    return text.substr(0, limit);
}

std::size_t EngineTextLength(std::string_view text)
{
    std::size_t length = 0;
    for (std::size_t index = 0; index < text.size(); ++length)
        index += WideCharacterAt(text, index) ? kWideLength : 1;
    return length;
}

QString Cp1252ToQString(std::string_view text)
{
    QString result(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* out = result.data();
    if (text.find(kWideLead) == std::string_view::npos) {
        for (char c : text)
            *out++ = QChar(Cp1252ToUnicode(static_cast<unsigned char>(c)));
        return result;
    }
    // A wide sequence is four bytes and at most two UTF-16 units.
    for (std::size_t index = 0; index < text.size();) {
        if (const std::optional<char32_t> wide = WideCharacterAt(text, index)) {
            for (const char16_t unit : QChar::fromUcs4(*wide))
                *out++ = QChar(unit);
            index += kWideLength;
        } else {
            *out++ = QChar(Cp1252ToUnicode(static_cast<unsigned char>(text[index++])));
        }
    }
    result.truncate(out - result.data());
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

std::string QStringToEngineText(QStringView text)
{
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar unit = text[index];
        if (unit.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate())
            AppendEngineCharacter(QChar::surrogateToUcs4(unit, text[++index]), result);
        else if (unit.isSurrogate())
            result.push_back(kStandIn);
        else
            AppendEngineCharacter(unit.unicode(), result);
    }
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
