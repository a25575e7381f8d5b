#include "engine/base/TextEncoding.h"
#include "engine/base/AsciiText.h"

#include "engine/base/Cp1252.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

// Declarations are looked for before the first BODY tag, and at least in the
// first 4 KB (some pages put their META tags after BODY).
constexpr std::uint64_t kHeadScanBytes = 4096;
// A META tag that declares a set is short; longer tags are read only as far
// as this.
constexpr std::size_t kMaxTagText = 1024;

// ISO-8859-15 differs from ISO-8859-1 in eight places; its other bytes are
// read as Windows-1252 bytes, as ISO-8859-1 pages are.
struct TLatin9Difference {
    unsigned char Byte;
    char32_t Character;
    unsigned char Cp1252Byte;
    char32_t Latin1Character; // the character ISO-8859-15 dropped for it
};

constexpr std::array<TLatin9Difference, 8> kLatin9Differences = {{
    {0xA4, 0x20AC, 0x80, 0xA4}, {0xA6, 0x0160, 0x8A, 0xA6}, {0xA8, 0x0161, 0x9A, 0xA8},
    {0xB4, 0x017D, 0x8E, 0xB4}, {0xB8, 0x017E, 0x9E, 0xB8}, {0xBC, 0x0152, 0x8C, 0xBC},
    {0xBD, 0x0153, 0x9C, 0xBD}, {0xBE, 0x0178, 0x9F, 0xBE},
}};

constexpr std::array<unsigned char, 256> kLatin9ToCp1252 = [] {
    std::array<unsigned char, 256> table{};
    for (std::size_t byte = 0; byte < table.size(); ++byte)
        table[byte] = static_cast<unsigned char>(byte);
    for (const TLatin9Difference& difference : kLatin9Differences)
        table[difference.Byte] = difference.Cp1252Byte;
    return table;
}();

char32_t Latin9ToUnicode(unsigned char byte)
{
    for (const TLatin9Difference& difference : kLatin9Differences)
        if (difference.Byte == byte)
            return difference.Character;
    return Cp1252ToUnicode(byte);
}

std::optional<unsigned char> UnicodeToLatin9(char32_t character)
{
    for (const TLatin9Difference& difference : kLatin9Differences) {
        if (difference.Character == character)
            return difference.Byte;
        if (difference.Latin1Character == character)
            return std::nullopt;
    }
    return UnicodeToCp1252(character);
}

// ---- UTF-8 sequences ----

// Text is mostly ASCII: it is stepped over eight bytes at a time.
constexpr std::size_t kWordBytes = sizeof(std::uint64_t);
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

std::uint64_t LoadWord(const unsigned char* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, kWordBytes);
    return word;
}

// The first byte at or after `from` that is not ASCII, or `end`.
const unsigned char* SkipAscii(const unsigned char* from, const unsigned char* end)
{
    while (end - from >= static_cast<std::ptrdiff_t>(kWordBytes) && (LoadWord(from) & kHighBits) == 0)
        from += kWordBytes;
    while (from < end && *from < 0x80)
        ++from;
    return from;
}

constexpr int kInvalid = 0;
constexpr int kIncomplete = -1;

// The length of the valid UTF-8 sequence at `bytes`, kInvalid when the first
// byte starts none (over-long forms, surrogates and values above U+10FFFF
// included), kIncomplete when the bytes end inside a valid beginning.
int SequenceLength(const unsigned char* bytes, std::size_t available)
{
    const unsigned char lead = bytes[0];
    if (lead < 0x80)
        return 1;
    int length;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return kInvalid;
    }
    for (int index = 1; index < length; ++index) {
        if (static_cast<std::size_t>(index) >= available)
            return kIncomplete;
        const unsigned char next = bytes[index];
        if (next < (index == 1 ? low : 0x80) || next > (index == 1 ? high : 0xBF))
            return kInvalid;
    }
    return length;
}

char32_t SequenceValue(const unsigned char* bytes, int length)
{
    constexpr std::array<unsigned char, 5> kLeadBits = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t value = bytes[0] & kLeadBits[static_cast<std::size_t>(length)];
    for (int index = 1; index < length; ++index)
        value = (value << 6) | (bytes[index] & 0x3F);
    return value;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// A two-byte sequence (U+0080 to U+07FF) at `bytes`, or 0.
char32_t TwoByteValue(const unsigned char* bytes, const unsigned char* end)
{
    if (bytes[0] < 0xC2 || bytes[0] > 0xDF || end - bytes < 2 || !IsContinuation(bytes[1]))
        return 0;
    return static_cast<char32_t>((bytes[0] & 0x1F) << 6 | (bytes[1] & 0x3F));
}

// A three-byte sequence whose lead byte allows any continuation bytes (all
// but E0 and ED, which exclude over-long forms and surrogates).
bool IsPlainThreeByteSequence(const unsigned char* bytes, const unsigned char* end)
{
    return bytes[0] >= 0xE1 && bytes[0] <= 0xEF && bytes[0] != 0xED && end - bytes >= 3 && IsContinuation(bytes[1])
        && IsContinuation(bytes[2]);
}

// U+2000 to U+203F (E2 80 80 to E2 80 BF), where pages take their quotes,
// dashes and ellipses from: their Windows-1252 bytes, or the stand-in for
// those the code page lacks.
constexpr std::array<char, 64> kPunctuationBytes = [] {
    std::array<char, 64> table{};
    table.fill(kStandIn);
    constexpr std::array<std::pair<int, unsigned char>, 15> kBytes = {{
        {0x13, 0x96}, {0x14, 0x97}, {0x18, 0x91}, {0x19, 0x92}, {0x1A, 0x82}, {0x1C, 0x93}, {0x1D, 0x94},
        {0x1E, 0x84}, {0x20, 0x86}, {0x21, 0x87}, {0x22, 0x95}, {0x26, 0x85}, {0x30, 0x89}, {0x39, 0x8B},
        {0x3A, 0x9B},
    }};
    for (const auto& [offset, byte] : kBytes)
        table[static_cast<std::size_t>(offset)] = static_cast<char>(byte);
    return table;
}();

// Writes the character's Windows-1252 byte, or its wide sequence, at `to`
// and returns the end of what it wrote.
char* PutCharacter(char32_t character, char* to)
{
    if (const std::optional<unsigned char> byte = UnicodeToCp1252(character)) {
        *to++ = static_cast<char>(*byte);
        return to;
    }
    *to++ = kWideLead;
    for (int shift = 14; shift >= 0; shift -= 7)
        *to++ = static_cast<char>(0x80 | ((character >> shift) & 0x7F));
    return to;
}

// Converts UTF-8 to the engine's text up to the first sequence the bytes end
// inside, and returns where that starts; with `last` such a sequence is
// converted too, one stand-in per byte. Appends at most two bytes per byte
// read (a two-byte sequence may become a four-byte wide sequence).
const unsigned char* ConvertUtf8Run(const unsigned char* from, const unsigned char* end, std::string& out, bool last)
{
    const std::size_t start = out.size();
    out.resize(start + 2 * static_cast<std::size_t>(end - from));
    char* to = out.data() + start;
    while (from < end) {
        // The output never runs ahead of the input, so whole words fit.
        while (end - from >= static_cast<std::ptrdiff_t>(kWordBytes) && (LoadWord(from) & kHighBits) == 0) {
            std::memcpy(to, from, kWordBytes);
            from += kWordBytes;
            to += kWordBytes;
        }
        while (from < end && *from < 0x80)
            *to++ = static_cast<char>(*from++);
        if (from == end)
            break;
        // Latin-1 letters are the most frequent: two bytes, read directly;
        // then typographic punctuation.
        if (const char32_t value = TwoByteValue(from, end)) {
            if (value >= 0xA0 && value <= 0xFF)
                *to++ = static_cast<char>(value);
            else
                to = PutCharacter(value, to);
            from += 2;
            continue;
        }
        if (from[0] == 0xE2 && IsPlainThreeByteSequence(from, end) && from[1] == 0x80
            && kPunctuationBytes[from[2] & 0x3F] != kStandIn) {
            *to++ = kPunctuationBytes[from[2] & 0x3F];
            from += 3;
            continue;
        }
        const int length = SequenceLength(from, static_cast<std::size_t>(end - from));
        if (length == kIncomplete && !last)
            break;
        if (length <= 0) {
            *to++ = kStandIn;
            ++from;
            continue;
        }
        to = PutCharacter(SequenceValue(from, length), to);
        from += length;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return from;
}

// ---- META declarations ----

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

std::size_t SkipSpaces(std::string_view text, std::size_t index)
{
    while (index < text.size() && IsSpace(text[index]))
        ++index;
    return index;
}

struct TTagAttribute {
    std::string_view Name;
    std::string_view Value;
};

// Reads the attribute at `index` of a tag's text; false at the end.
bool ReadTagAttribute(std::string_view tag, std::size_t& index, TTagAttribute& attribute)
{
    while (index < tag.size() && (IsSpace(tag[index]) || tag[index] == '/'))
        ++index;
    if (index >= tag.size())
        return false;
    const std::size_t nameStart = index;
    while (index < tag.size() && !IsSpace(tag[index]) && tag[index] != '=' && tag[index] != '/')
        ++index;
    attribute.Name = tag.substr(nameStart, index - nameStart);
    attribute.Value = {};
    index = SkipSpaces(tag, index);
    if (index >= tag.size() || tag[index] != '=')
        return true;
    index = SkipSpaces(tag, index + 1);
    if (index < tag.size() && (tag[index] == '"' || tag[index] == '\'')) {
        const std::size_t close = tag.find(tag[index], index + 1);
        const std::size_t end = close == std::string_view::npos ? tag.size() : close;
        attribute.Value = tag.substr(index + 1, end - index - 1);
        index = end + 1;
    } else {
        const std::size_t valueStart = index;
        while (index < tag.size() && !IsSpace(tag[index]))
            ++index;
        attribute.Value = tag.substr(valueStart, index - valueStart);
    }
    return true;
}

// The set named after "charset=" in a Content-Type value, or empty.
std::string_view CharsetOfContentType(std::string_view content)
{
    const std::size_t charset = FindIgnoringCase(content, "charset");
    if (charset == std::string_view::npos)
        return {};
    std::size_t index = SkipSpaces(content, charset + 7);
    if (index >= content.size() || content[index] != '=')
        return {};
    index = SkipSpaces(content, index + 1);
    if (index < content.size() && (content[index] == '"' || content[index] == '\''))
        ++index;
    const std::size_t end = std::min(content.size(), content.find_first_of(" \t\r\n;\"'", index));
    return content.substr(index, end - index);
}

} // namespace

// ---- TEncodingDetector ----

bool TEncodingDetector::Feed(std::string_view bytes)
{
    for (std::size_t index = 0; Position + index < kUtf8ByteOrderMark.size() && index < bytes.size(); ++index)
        ByteOrderMark = bytes[index] == kUtf8ByteOrderMark[Position + index] && (Position + index == 0 || ByteOrderMark);
    for (std::size_t index = 0; index < bytes.size() && Declared == TDeclared::Nothing; ++index) {
        // Between tags only the next "<" matters: a text file without one
        // is passed over at memory speed.
        if (Scan == TScan::Text && (index = bytes.find('<', index)) == std::string_view::npos)
            break;
        if (BodySeen && Position + index >= kHeadScanBytes)
            break;
        ScanHead(static_cast<unsigned char>(bytes[index]));
    }
    if (!Invalid)
        Validate(bytes);
    Position += bytes.size();
    const bool markComplete = ByteOrderMark && Position >= kUtf8ByteOrderMark.size();
    return markComplete || Declared != TDeclared::Nothing || (HeadScanned() && Invalid);
}

bool TEncodingDetector::HeadScanned() const
{
    return BodySeen && Position >= kHeadScanBytes;
}

TTextEncoding TEncodingDetector::Encoding() const
{
    if (ByteOrderMark && Position >= kUtf8ByteOrderMark.size())
        return TTextEncoding::Utf8;
    switch (Declared) {
    case TDeclared::Utf8:
        return TTextEncoding::Utf8;
    case TDeclared::Latin9:
        return TTextEncoding::Latin9;
    case TDeclared::Windows1252:
        return TTextEncoding::Windows1252;
    case TDeclared::Nothing:
        break;
    }
    // Windows-1252 text practically never forms a valid multi-byte sequence.
    return !Invalid && Unfinished.empty() && MultiByte ? TTextEncoding::Utf8 : TTextEncoding::Windows1252;
}

// Tags are read from "<" to ">", comments from "<!--" to "-->".
void TEncodingDetector::ScanHead(unsigned char byte)
{
    switch (Scan) {
    case TScan::Text:
        if (byte == '<') {
            TagText.assign(1, '<');
            Scan = TScan::Tag;
        }
        break;
    case TScan::Tag:
        if (byte == '-' && TagText == "<!-") {
            Scan = TScan::Comment;
            Dashes = 0;
        } else if (byte == '>') {
            ExamineTag();
            Scan = TScan::Text;
        } else if (TagText.size() < kMaxTagText) {
            TagText.push_back(static_cast<char>(byte));
        }
        break;
    case TScan::Comment:
        if (byte == '>' && Dashes >= 2)
            Scan = TScan::Text;
        Dashes = byte == '-' ? Dashes + 1 : 0;
        break;
    }
}

void TEncodingDetector::ExamineTag()
{
    const std::string_view tag(TagText);
    std::size_t index = 1;
    while (index < tag.size() && ((tag[index] >= 'a' && tag[index] <= 'z') || (tag[index] >= 'A' && tag[index] <= 'Z')))
        ++index;
    const std::string_view name = tag.substr(1, index - 1);
    if (EqualsIgnoringCase(name, "body")) {
        BodySeen = true;
        return;
    }
    if (!EqualsIgnoringCase(name, "meta"))
        return;
    std::string_view charset;
    std::string_view content;
    bool contentType = false;
    TTagAttribute attribute;
    while (ReadTagAttribute(tag, index, attribute)) {
        if (EqualsIgnoringCase(attribute.Name, "charset"))
            charset = attribute.Value;
        else if (EqualsIgnoringCase(attribute.Name, "content"))
            content = attribute.Value;
        else if (EqualsIgnoringCase(attribute.Name, "http-equiv"))
            contentType = EqualsIgnoringCase(attribute.Value, "content-type");
    }
    if (charset.empty() && contentType)
        charset = CharsetOfContentType(content);
    while (!charset.empty() && IsSpace(charset.back()))
        charset.remove_suffix(1);
    charset = charset.substr(std::min(charset.size(), SkipSpaces(charset, 0)));
    if (charset.empty())
        return;
    if (EqualsIgnoringCase(charset, "utf-8") || EqualsIgnoringCase(charset, "utf8"))
        Declared = TDeclared::Utf8;
    else if (EqualsIgnoringCase(charset, "iso-8859-15") || EqualsIgnoringCase(charset, "iso8859-15")
             || EqualsIgnoringCase(charset, "iso_8859-15") || EqualsIgnoringCase(charset, "latin-9")
             || EqualsIgnoringCase(charset, "latin9"))
        Declared = TDeclared::Latin9;
    else
        Declared = TDeclared::Windows1252;
}

void TEncodingDetector::Validate(std::string_view bytes)
{
    auto from = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto end = from + bytes.size();
    // A sequence cut by the last block is finished with the first bytes of
    // this one.
    while (!Unfinished.empty() && from < end) {
        Unfinished.push_back(static_cast<char>(*from++));
        const int length =
            SequenceLength(reinterpret_cast<const unsigned char*>(Unfinished.data()), Unfinished.size());
        if (length == kInvalid) {
            Invalid = true;
            return;
        }
        if (length > 0)
            Unfinished.clear();
    }
    while (from < end) {
        from = SkipAscii(from, end);
        if (from == end)
            return;
        MultiByte = true;
        if (TwoByteValue(from, end) != 0) {
            from += 2;
            continue;
        }
        if (IsPlainThreeByteSequence(from, end)) {
            from += 3;
            continue;
        }
        const int length = SequenceLength(from, static_cast<std::size_t>(end - from));
        if (length == kInvalid) {
            Invalid = true;
            return;
        }
        if (length == kIncomplete) {
            Unfinished.assign(reinterpret_cast<const char*>(from), static_cast<std::size_t>(end - from));
            return;
        }
        from += length;
    }
}

TTextEncoding DetectEncoding(std::string_view wholeFile)
{
    TEncodingDetector detector;
    detector.Feed(wholeFile);
    return detector.Encoding();
}

// ---- TCp1252Converter ----

void TCp1252Converter::Convert(std::string_view block, std::string& out)
{
    switch (Encoding) {
    case TTextEncoding::Windows1252:
        out.append(block);
        return;
    case TTextEncoding::Latin9:
        for (const char byte : block)
            out.push_back(static_cast<char>(kLatin9ToCp1252[static_cast<unsigned char>(byte)]));
        return;
    case TTextEncoding::Utf8:
        ConvertUtf8(block, out, false);
        return;
    }
}

void TCp1252Converter::Finish(std::string& out)
{
    if (Encoding == TTextEncoding::Utf8)
        ConvertUtf8({}, out, true);
}

void TCp1252Converter::ConvertUtf8(std::string_view bytes, std::string& out, bool last)
{
    // The byte-order mark is looked for in the first three bytes of the file,
    // however the blocks cut them.
    if (AtStart) {
        const std::size_t taken = std::min(bytes.size(), kUtf8ByteOrderMark.size() - Unfinished.size());
        Unfinished.append(bytes.substr(0, taken));
        bytes.remove_prefix(taken);
        if (Unfinished.size() < kUtf8ByteOrderMark.size() && !last)
            return;
        AtStart = false;
        if (Unfinished == kUtf8ByteOrderMark)
            Unfinished.clear();
    }
    // Bytes kept from the last block (at most three) are converted with the
    // first bytes of this one; a sequence needs at most three more.
    if (!Unfinished.empty()) {
        const std::size_t kept = Unfinished.size();
        const std::string glued = Unfinished + std::string(bytes.substr(0, 3));
        const auto start = reinterpret_cast<const unsigned char*>(glued.data());
        const std::size_t stop =
            static_cast<std::size_t>(ConvertUtf8Run(start, start + glued.size(), out, last) - start);
        Unfinished.clear();
        if (stop < kept) {
            // Only a block too short to finish the sequence leaves it open.
            Unfinished = glued.substr(stop);
            return;
        }
        bytes.remove_prefix(std::min(bytes.size(), stop - kept));
    }
    const auto start = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto end = start + bytes.size();
    const unsigned char* stop = ConvertUtf8Run(start, end, out, last);
    Unfinished.assign(reinterpret_cast<const char*>(stop), static_cast<std::size_t>(end - stop));
}

std::string ConvertToCp1252(std::string_view wholeFile, TTextEncoding encoding)
{
    TCp1252Converter converter(encoding);
    std::string out;
    converter.Convert(wholeFile, out);
    converter.Finish(out);
    return out;
}

// ---- Single characters ----

TDecodedCharacter DecodeCharacter(std::string_view bytes, TTextEncoding encoding)
{
    const auto first = reinterpret_cast<const unsigned char*>(bytes.data());
    switch (encoding) {
    case TTextEncoding::Windows1252:
        return {Cp1252ToUnicode(*first), 1, true};
    case TTextEncoding::Latin9:
        return {Latin9ToUnicode(*first), 1, true};
    case TTextEncoding::Utf8:
        break;
    }
    const int length = SequenceLength(first, bytes.size());
    if (length <= 0)
        return {0xFFFD, 1, false};
    return {SequenceValue(first, length), static_cast<std::size_t>(length), true};
}

void AppendEncoded(char32_t character, TTextEncoding encoding, std::string& out)
{
    if (encoding == TTextEncoding::Utf8) {
        const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
        if (surrogate || character > 0x10FFFF) {
            out.push_back(kStandIn);
        } else if (character < 0x80) {
            out.push_back(static_cast<char>(character));
        } else if (character < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (character >> 6)));
            out.push_back(static_cast<char>(0x80 | (character & 0x3F)));
        } else if (character < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (character >> 12)));
            out.push_back(static_cast<char>(0x80 | ((character >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (character & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (character >> 18)));
            out.push_back(static_cast<char>(0x80 | ((character >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((character >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (character & 0x3F)));
        }
        return;
    }
    const std::optional<unsigned char> byte =
        encoding == TTextEncoding::Latin9 ? UnicodeToLatin9(character) : UnicodeToCp1252(character);
    out.push_back(byte ? static_cast<char>(*byte) : kStandIn);
}
