#pragma once
// Letter case and hexadecimal digits as markup, charset names and file names
// use them: only the ASCII letters fold, so Windows-1252 letters keep theirs.

#include <algorithm>
#include <string_view>

constexpr char ToLowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char ToUpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool IsAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

constexpr bool EqualsIgnoringCase(std::string_view text, std::string_view other)
{
    return text.size() == other.size()
        && std::equal(text.begin(), text.end(), other.begin(),
                      [](char a, char b) { return ToLowerAscii(a) == ToLowerAscii(b); });
}

// Where `word` first stands in `text`, letter case aside; npos when nowhere.
constexpr std::size_t FindIgnoringCase(std::string_view text, std::string_view word)
{
    const auto found = std::search(text.begin(), text.end(), word.begin(), word.end(),
                                   [](char a, char b) { return ToLowerAscii(a) == ToLowerAscii(b); });
    return found == text.end() ? std::string_view::npos : static_cast<std::size_t>(found - text.begin());
}

// 0 to 15 for a hexadecimal digit in either case, else -1.
constexpr int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char lower = ToLowerAscii(c);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}
