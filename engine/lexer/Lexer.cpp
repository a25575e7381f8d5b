#include "engine/lexer/Lexer.h"

#include "engine/base/AsciiText.h"
#include "engine/base/Cp1252.h"
#include "engine/lexer/LinkNames.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Files are read in blocks of this size.
constexpr std::size_t kFileBufferSize = 64 * 1024;

// A signed decimal number that fits 32 bits, else 0.
std::int32_t DecimalOrZero(std::string_view text)
{
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty() ? value : 0;
}

void TrimControls(std::string& text)
{
    const auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isControl).base();
    text.erase(last, text.end());
    // A wide character's lead is no control.
    std::size_t first = 0;
    while (first < text.size() && isControl(text[first]) && !WideCharacterAt(text, first))
        ++first;
    text.erase(0, first);
}

// The numeric value of a quoted attribute: a percent sign at the end is
// allowed ("50%"), anything else that is not a number gives 0.
std::int32_t QuotedNumber(std::string_view text)
{
    const auto percent = text.find('%');
    if (percent != std::string_view::npos && percent + 1 == text.size())
        text.remove_suffix(1);
    return DecimalOrZero(text);
}

// The ASCII letters upper-cased, and 0 for every other byte.
constexpr std::array<char, 256> kUpperNameBytes = [] {
    std::array<char, 256> table{};
    for (int letter = 'A'; letter <= 'Z'; ++letter) {
        table[static_cast<std::size_t>(letter)] = static_cast<char>(letter);
        table[static_cast<std::size_t>(letter - 'A' + 'a')] = static_cast<char>(letter);
    }
    return table;
}();

// Bytes that a text run takes as they are, in either mode.
constexpr std::array<bool, 256> kOrdinaryTextBytes = [] {
    std::array<bool, 256> table{};
    for (int byte = '!'; byte < 256; ++byte)
        table[static_cast<std::size_t>(byte)] = byte != '&' && byte != '<' && byte != '>';
    return table;
}();

#if defined(__SSE2__)
// Most text is words with one space between them: 16 bytes at a time, the
// longest start of a block that holds only ordinary text and spaces is
// copied, where spaces fold none touching another or the space that ends the
// token. The whole block is stored, since the token has room for it, and the
// bytes past the stop are overwritten later. Gives back where it stopped.
const unsigned char* CopyWordBlocks(const unsigned char* from, const unsigned char* end, char*& to, char* full,
                                    bool folding, bool& inSpaces)
{
    constexpr int kBlock = 16;
    const __m128i firstOrdinary = _mm_set1_epi8('!');
    while (end - from >= kBlock && full - to >= kBlock) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i aboveSpace = _mm_cmpeq_epi8(_mm_max_epu8(bytes, firstOrdinary), bytes);
        const __m128i markup = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('&')),
            _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('<')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('>'))));
        const auto ordinary = static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(markup, aboveSpace)));
        const auto space = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '))));
        unsigned stop = ~(ordinary | space) & 0xFFFFu;
        if (folding)
            stop |= space & ((space << 1) | (inSpaces ? 1u : 0u));
        const int taken = stop == 0 ? kBlock : std::countr_zero(stop);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), bytes);
        to += taken;
        from += taken;
        if (taken > 0)
            inSpaces = folding && ((space >> (taken - 1)) & 1u) != 0;
        if (taken < kBlock)
            break;
    }
    return from;
}
#else
const unsigned char* CopyWordBlocks(const unsigned char* from, const unsigned char*, char*&, char*, bool, bool&)
{
    return from;
}
#endif

bool IsContentSymbol(TSymbol symbol)
{
    switch (symbol) {
    case TSymbol::Br:
    case TSymbol::H:
    case TSymbol::Hr:
    case TSymbol::Img:
    case TSymbol::Table:
    case TSymbol::Input:
    case TSymbol::TextArea:
    case TSymbol::Select:
    case TSymbol::TextRun:
        return true;
    default:
        return false;
    }
}

} // namespace

// Sets a flag for the length of a scope and restores its earlier value, also
// when the parse is aborted.
struct THtmlLexer::TFlagScope {
    explicit TFlagScope(bool& flag) : Flag(flag), Saved(flag) { flag = true; }
    ~TFlagScope() { Flag = Saved; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;
    bool& Flag;
    bool Saved;
};

namespace {

// A file of /proc or /sys is there, but never shown: saying it cannot be
// found would be untrue.
constexpr TCp1252Text kPseudoFileRefused("Fichier virtuel du système, refusé : ");
constexpr TCp1252Text kFileTooLarge("Fichier trop gros : ");
constexpr TCp1252Text kFileNotFound("Fichier introuvable : ");

std::string FileErrorText(TFileRefusal refusal)
{
    switch (refusal) {
    case TFileRefusal::TooLarge: return std::string(kFileTooLarge);
    case TFileRefusal::PseudoFile: return std::string(kPseudoFileRefused);
    default: return std::string(kFileNotFound);
    }
}

} // namespace

EFileError::EFileError(const std::string& fileName, TFileRefusal refusal)
    : std::runtime_error(FileErrorText(refusal) + EscapeControlCharacters(fileName)),
      FileName(fileName)
{
}

THtmlLexer::THtmlLexer() = default;
THtmlLexer::~THtmlLexer() = default;

void THtmlLexer::Reset()
{
    Cursor = End = nullptr;
    MemoryText.clear();
    FileName.clear();
    File.reset();
    Encoding = TTextEncoding::Windows1252;
    Converter.reset();
    ConvertedBuffer.clear();
    IncludeText.clear();
    IncludeActive = false;
    ResumeCursor = ResumeEnd = nullptr;
    Pushback = -1;
    Char = Upper = kEndOfInput;
    CommentOpen = false;
    ReadingInclude = false;
    ErrorPending = false;
    Current = TSymbol::EndOfInput;
    TokenLength = 0;
    Level = 0;
    AttributeList.Clear();
    Preformatted = false;
    ScriptMode = false;
    FirstItem = false;
}

void THtmlLexer::StartFile(const std::string& fileName)
{
    Reset();
    auto file = std::make_unique<TRegularFile>(fileName, kMaxPageBytes);
    if (!file->IsOpen())
        throw EFileError(fileName, file->Refusal());
    File = std::move(file);
    FileName = fileName;
    FileBuffer.resize(kFileBufferSize);
    DecideFileEncoding(fileName);
    NextChar();
}

// Reads the file as far as the decision needs, then goes back to its start.
void THtmlLexer::DecideFileEncoding(const std::string& fileName)
{
    TEncodingDetector detector;
    for (;;) {
        const std::size_t count = File->Read(FileBuffer);
        if (count == 0
            || detector.Feed(std::string_view(reinterpret_cast<const char*>(FileBuffer.data()), count)))
            break;
    }
    if (!File->Rewind())
        throw EFileError(fileName);
    Encoding = detector.Encoding();
    if (Encoding != TTextEncoding::Windows1252)
        Converter.emplace(Encoding);
}

void THtmlLexer::StartMemory(std::string text)
{
    Reset();
    MemoryText = std::move(text);
    Cursor = reinterpret_cast<const unsigned char*>(MemoryText.data());
    End = Cursor + MemoryText.size();
    NextChar();
}

// The slow path of RawByte: the include text is used up, the file buffer is
// empty, or the input has ended (then every call answers the end marker).
unsigned char THtmlLexer::RefillRawByte()
{
    if (IncludeActive) {
        IncludeActive = false;
        Cursor = ResumeCursor;
        End = ResumeEnd;
        return RawByte();
    }
    while (File) {
        const std::size_t count = File->Read(FileBuffer);
        if (!Converter) {
            if (count == 0)
                break;
            Cursor = FileBuffer.data();
            End = Cursor + count;
            return *Cursor++;
        }
        ConvertedBuffer.clear();
        if (count > 0) {
            Converter->Convert(std::string_view(reinterpret_cast<const char*>(FileBuffer.data()), count),
                               ConvertedBuffer);
        } else {
            Converter->Finish(ConvertedBuffer);
            Converter.reset();
            File.reset();
        }
        if (!ConvertedBuffer.empty()) {
            Cursor = reinterpret_cast<const unsigned char*>(ConvertedBuffer.data());
            End = Cursor + ConvertedBuffer.size();
            return *Cursor++;
        }
    }
    return static_cast<unsigned char>(kEndOfInput);
}

// One character with line ends folded: CR, LF, CR LF and LF CR each give one
// CR; a tab gives a space.
void THtmlLexer::FetchChar()
{
    unsigned char c;
    if (Pushback >= 0) {
        c = static_cast<unsigned char>(Pushback);
        Pushback = -1;
    } else {
        c = RawByte();
    }
    if (c == '\n' || c == '\r') {
        const unsigned char partner = c == '\n' ? '\r' : '\n';
        if (Cursor != End) {
            Cursor += *Cursor == partner ? 1 : 0;
        } else {
            const unsigned char next = RawByte();
            if (next != partner)
                Pushback = next;
        }
        c = '\r';
    } else if (c == '\t') {
        c = ' ';
    }
    Char = c;
    Upper = c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
    if (c == kEndOfInput && (CommentOpen || ErrorPending))
        throw EParseError();
}

void THtmlLexer::NextCharFolding()
{
    for (;;) {
        FetchChar();
        if (Char != '<' || ScriptMode)
            return;
        // The fetch keeps no pushback after a "<", so the byte after it is
        // the next one of the input.
        if (Cursor != End) {
            if (*Cursor != '!')
                return;
            ++Cursor;
        } else if (const unsigned char next = RawByte(); next != '!') {
            Pushback = next;
            return;
        }
        SkipCommentOrDeclaration();
    }
}

// Entered after "<!"; leaves the closing ">" current.
void THtmlLexer::SkipCommentOrDeclaration()
{
    TFlagScope open(CommentOpen);
    FetchChar();
    if (Char == '-') {
        FetchChar();
        if (Char == '-') {
            FetchChar();
            // Include comments are not expanded inside include texts, nor
            // inside the parameters of another include comment.
            if (Char == '#' && IncludeHandler && !IncludeActive && !ReadingInclude)
                ReadIncludeDirective();
            else
                SkipCommentBody();
            return;
        }
    }
    while (Char != '>')
        FetchChar();
}

// A comment ends at "--" followed, after optional spaces and line ends, by ">".
void THtmlLexer::SkipCommentBody()
{
    for (;;) {
        while (Char != '-') {
            SkipRawUpToDash();
            FetchChar();
        }
        FetchChar();
        if (Char != '-')
            continue;
        while (Char == '-')
            FetchChar();
        while (Char == ' ' || Char == '\r')
            FetchChar();
        if (Char == '>')
            return;
    }
}

// Inside a comment nothing is read but the dashes: the bytes before the next
// one (or the end marker) are passed over at once. Their line ends need no
// folding, since nothing of them is kept.
void THtmlLexer::SkipRawUpToDash()
{
    if (Pushback >= 0)
        return;
    const unsigned char* from = Cursor;
    while (from != End && *from != '-' && *from != kEndOfInput)
        ++from;
    Cursor = from;
}

void THtmlLexer::ReadIncludeDirective()
{
    TFlagScope including(ReadingInclude);
    std::string command;
    NextChar();
    while (IsLetter()) {
        command += static_cast<char>(Char);
        NextChar();
    }
    std::vector<std::string> params;
    TAttribute attribute;
    while (ReadAttribute(attribute))
        params.push_back(std::string(AttributeNameRead) + "=\"" + attribute.Text + "\"");
    SkipCommentBody();
    std::string text = IncludeHandler(command, std::move(params), FileName);
    if (!text.empty())
        StartInclude(std::move(text));
}

// An included file has its own encoding, decided on its own bytes.
void THtmlLexer::StartInclude(std::string text)
{
    ResumeCursor = Cursor;
    ResumeEnd = End;
    const TTextEncoding encoding = DetectEncoding(text);
    IncludeWide = encoding == TTextEncoding::Utf8;
    IncludeText = encoding == TTextEncoding::Windows1252 ? std::move(text) : ConvertToCp1252(text, encoding);
    Cursor = reinterpret_cast<const unsigned char*>(IncludeText.data());
    End = Cursor + IncludeText.size();
    IncludeActive = true;
}

void THtmlLexer::TakeLineText(std::string& out, std::size_t limit)
{
    do {
        out += static_cast<char>(Char);
        if (Pushback < 0 && out.size() < limit) {
            const unsigned char* const stop = Cursor + std::min<std::size_t>(limit - out.size(), End - Cursor);
            const unsigned char* from = Cursor;
            while (from != stop && IsPlainByte(*from))
                ++from;
            out.append(reinterpret_cast<const char*>(Cursor), static_cast<std::size_t>(from - Cursor));
            Cursor = from;
        }
        NextChar();
    } while (Char != '\r' && Char != kEndOfInput && out.size() < limit);
}

void THtmlLexer::SkipWhiteSpace()
{
    TakeWhile([](unsigned char c) { return c == ' ' || c == '\r'; }, [](std::string_view) {});
}

TSymbol THtmlLexer::NextSymbol()
{
    ClearToken();
    Level = 0;
    IdRead.clear();
    if (Char == kEndOfInput) {
        ThrowIfErrorPending();
        Current = TSymbol::EndOfInput;
    } else if (Char == '<') {
        ReadTag();
    } else if (Char == '&') {
        ReadEntity();
        // A line end written as a reference is white space like any other,
        // and kept as a line end where text runs keep them.
        if (TokenText() == "\r" && !Preformatted)
            Token[0] = ' ';
    } else if (!CollectText()) {
        AppendToken(Char);
        Current = TSymbol::OtherChar;
        NextChar();
    }
    if (IsContentSymbol(Current))
        FirstItem = false;
    return Current;
}

// The current character is a wide character's lead when the source is
// converted text or text in memory (Windows-1252 pages hold no wide
// sequences) and the three bytes after it, not yet fetched, carry one.
bool THtmlLexer::AtWideCharacter() const
{
    const bool wideSource = IncludeActive ? IncludeWide : Encoding == TTextEncoding::Utf8 || !File;
    if (!wideSource || Pushback >= 0 || End - Cursor < static_cast<std::ptrdiff_t>(kWideLength - 1))
        return false;
    // The lead may have come from the pushback: the sequence is rebuilt.
    std::array<char, kWideLength> sequence{kWideLead};
    std::copy_n(Cursor, kWideLength - 1, sequence.begin() + 1);
    return WideCharacterAt(std::string_view(sequence.data(), sequence.size()), 0).has_value();
}

void THtmlLexer::ReadTag()
{
    NextChar();
    bool endTag = false;
    if (Char == '/') {
        endTag = true;
        NextChar();
    } else if (!IsLetter()) {
        // A "<" that starts no tag is shown as text.
        AppendToken('<');
        Current = TSymbol::TextRun;
        return;
    }
    char name[kMaxNameLength];
    Current = LookupTag(ReadUpperName(name, false), endTag);
    SkipWhiteSpace();
    if ((Current == TSymbol::H || Current == TSymbol::HEnd) && Char >= '1' && Char <= '6') {
        Level = Char - '0';
        NextChar();
    }
    // Attributes of the tags that do not keep them are read and dropped, so
    // the list still holds those of the last tag that kept them.
    const bool keeps = KeepsAttributes(Current);
    if (keeps)
        AttributeList.Clear();
    while (ReadAttribute(AttributeRead)) {
        if (AttributeRead.Symbol == TSymbol::Id && !endTag && IdRead.empty())
            IdRead = AttributeRead.Text;
        if (keeps)
            AttributeList.AddReusing(AttributeRead);
    }
    while (Char != '>' && Char != kEndOfInput)
        NextChar();
    if (Char != '>')
        return;
    if (Current == TSymbol::Script && KeepScriptBodies) {
        TFlagScope script(ScriptMode);
        NextChar();
    } else {
        NextChar();
    }
}

std::string_view THtmlLexer::ReadUpperName(char* name, bool dashes)
{
    int length = 0;
    const auto take = [&](unsigned char c) {
        const char upper = kUpperNameBytes[c];
        if (upper == 0 && !(dashes && c == '-'))
            return false;
        if (length < kMaxNameLength)
            name[length++] = upper != 0 ? upper : '-';
        return true;
    };
    while (take(Char)) {
        // Letters and dashes need no folding: the rest of the name is taken
        // straight from the input.
        if (Pushback < 0) {
            const unsigned char* from = Cursor;
            while (from != End && take(*from))
                ++from;
            Cursor = from;
        }
        NextChar();
    }
    return {name, static_cast<std::size_t>(length)};
}

bool THtmlLexer::ReadAttribute(TAttribute& attribute)
{
    SkipWhiteSpace();
    if (!IsLetter())
        return false;
    AttributeNameRead = ReadUpperName(AttributeName, true);
    attribute.Symbol = LookupAttribute(AttributeNameRead);
    attribute.Value = attribute.Symbol == TSymbol::Border ? 1 : 0; // a bare BORDER is 1 wide
    attribute.Text.clear();
    SkipWhiteSpace();
    if (Char != '=')
        return true;
    NextChar();
    SkipWhiteSpace();
    if (Char == '"' || Char == '\'')
        ReadQuotedValue(attribute);
    else if (Char == '+' || Char == '-' || IsDigit())
        ReadNumberValue(attribute);
    else
        ReadWordValue(attribute);
    return true;
}

// Up to the same quote; line ends inside are dropped, entities decoded.
void THtmlLexer::ReadQuotedValue(TAttribute& attribute)
{
    const unsigned char quote = Char;
    std::string& text = attribute.Text;
    NextChar();
    while (Char != quote && Char != kEndOfInput) {
        if (Char == '\r') {
            NextChar();
        } else if (Char == '&') {
            char entity[kMaxEntityText];
            const std::string_view decoded(entity, static_cast<std::size_t>(ReadEntityText(entity)));
            if (decoded != "\r") // dropped like the line ends written as such
                text += decoded;
        } else {
            TakeWhile([quote](unsigned char c) { return c != quote && c != '\r' && c != '&' && c != kEndOfInput; },
                      [&text](std::string_view piece) { text += piece; });
        }
    }
    if (Char == quote)
        NextChar();
    TrimControls(text);
    attribute.Value = QuotedNumber(text);
}

// A sign or digit starts a number; a "%" after it joins the text ("50%").
void THtmlLexer::ReadNumberValue(TAttribute& attribute)
{
    std::string& text = attribute.Text;
    if (Char == '+' || Char == '-') {
        text += static_cast<char>(Char);
        NextChar();
    }
    TakeWhile([](unsigned char c) { return c != ' ' && c != '\r' && c != kEndOfInput && c != '%' && c != '>'; },
              [&text](std::string_view piece) { text += piece; });
    SkipWhiteSpace();
    attribute.Value = DecimalOrZero(text);
    if (Char == '%') {
        text += '%';
        NextChar();
    }
}

void THtmlLexer::ReadWordValue(TAttribute& attribute)
{
    std::string& text = attribute.Text;
    TakeWhile([](unsigned char c) { return c != ' ' && c != '\r' && c != kEndOfInput && c != '>'; },
              [&text](std::string_view piece) { text += piece; });
}

void THtmlLexer::ReadEntity()
{
    ClearToken();
    char entity[kMaxEntityText];
    AppendToken(std::string_view(entity, static_cast<std::size_t>(ReadEntityText(entity))));
    Current = TSymbol::TextRun;
}

namespace {

// Writes the text a character reference stands for and returns its length,
// or 0 when it stands for none: 9 is a space, 10 and 13 are a line end (CR,
// as the character fetch folds every line end), 32 to 255 the byte itself, a
// character above 255 its Windows-1252 byte or its wide sequence, a
// surrogate or a number beyond Unicode the stand-in. Other control codes
// stand for nothing.
int WriteReferenced(std::int32_t value, char* text)
{
    if (value == 9) {
        text[0] = ' ';
        return 1;
    }
    if (value == 10 || value == 13) {
        text[0] = '\r';
        return 1;
    }
    if (value >= 32 && value <= 255) {
        text[0] = static_cast<char>(value);
        return 1;
    }
    if (value < 32)
        return 0;
    if ((value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
        text[0] = kStandIn;
        return 1;
    }
    std::string written;
    AppendEngineCharacter(static_cast<char32_t>(value), written);
    std::copy(written.begin(), written.end(), text);
    return static_cast<int>(written.size());
}

} // namespace

// Numeric references take up to 6 decimal or hexadecimal digits and named
// ones up to 8 letters or digits; what is not a known character is given back
// as written, and the digits or letters beyond the limit stay in the input.
int THtmlLexer::ReadEntityText(char* text)
{
    NextChar();
    int length = 0;
    text[length++] = '&';
    if (Char == '#') {
        text[length++] = '#';
        NextChar();
        return ReadNumericReference(text, length);
    }
    int nameChars = 0;
    while (nameChars < kMaxEntityName && (IsLetter() || IsDigit())) {
        text[length++] = static_cast<char>(Char);
        ++nameChars;
        NextChar();
    }
    if (nameChars == kMaxEntityName && (IsLetter() || IsDigit()))
        return length;
    const bool semicolon = Char == ';';
    if (semicolon)
        NextChar();
    if (const auto character = LookupEntity(std::string_view(text + 1, static_cast<std::size_t>(nameChars))))
        return WriteReferenced(static_cast<std::int32_t>(*character), text);
    if (semicolon)
        text[length++] = ';';
    return length;
}

// Entered after "&#": decimal digits, or "x" (any case) and hexadecimal ones.
int THtmlLexer::ReadNumericReference(char* text, int length)
{
    constexpr int kMaxDigits = 6;
    int base = 10;
    if (Upper == 'X') {
        base = 16;
        text[length++] = static_cast<char>(Char);
        NextChar();
    }
    const auto digitValue = [&] { return base == 16 ? HexDigitValue(Upper) : IsDigit() ? Char - '0' : -1; };
    std::int32_t value = 0;
    int digits = 0;
    for (int digit = digitValue(); digits < kMaxDigits && digit >= 0; digit = digitValue()) {
        text[length++] = static_cast<char>(Char);
        value = value * base + digit;
        ++digits;
        NextChar();
    }
    if (digits == kMaxDigits && digitValue() >= 0)
        return length;
    const bool semicolon = Char == ';';
    if (semicolon)
        NextChar();
    if (const int written = digits > 0 ? WriteReferenced(value, text) : 0)
        return written;
    if (semicolon)
        text[length++] = ';';
    return length;
}

// Outside preformatted mode a run of spaces and line ends becomes one space.
// Runs a text reader. When an unclosed comment ends the input in the middle
// of a run, the text read so far is still delivered, and the error is raised
// on the next read, so that the page keeps all its text.
void THtmlLexer::ReadKeepingText(void (THtmlLexer::*reader)())
{
    try {
        (this->*reader)();
    } catch (const EParseError&) {
        if (TokenLength == 0)
            throw;
        ErrorPending = true;
        Char = Upper = kEndOfInput;
        Cursor = End;
        Pushback = -1;
    }
}

bool THtmlLexer::CollectText()
{
    ClearToken();
    ReadKeepingText(&THtmlLexer::CollectTextRun);
    if (TokenLength == 0)
        return false;
    Current = TSymbol::TextRun;
    return true;
}

void THtmlLexer::CollectTextRun()
{
    bool inSpaces = false; // the token ends with the space that stands for a run of them
    for (;;) {
        const unsigned char c = Char;
        if (!Preformatted && (c == ' ' || c == '\r')) {
            if (!inSpaces) {
                if (TokenLength == kMaxTextRun)
                    return;
                Token[TokenLength++] = ' ';
                inSpaces = true;
            }
        } else if (c == kWideLead && AtWideCharacter()) {
            // A wide character stays whole in one run; the wide characters
            // right after it are taken straight from the input.
            if (TokenLength + static_cast<int>(kWideLength) > kMaxTextRun)
                return;
            Token[TokenLength++] = kWideLead;
            std::copy_n(Cursor, kWideLength - 1, Token + TokenLength);
            TokenLength += static_cast<int>(kWideLength - 1);
            Cursor += kWideLength - 1;
            while (TokenLength + static_cast<int>(kWideLength) <= kMaxTextRun
                   && WideCharacterAt(std::string_view(reinterpret_cast<const char*>(Cursor),
                                                       std::min<std::size_t>(kWideLength, End - Cursor)), 0)) {
                std::copy_n(Cursor, kWideLength, Token + TokenLength);
                TokenLength += static_cast<int>(kWideLength);
                Cursor += kWideLength;
            }
            inSpaces = false;
        } else {
            if (TokenLength == kMaxTextRun || (c < 32 && c != '\r') || c == '&' || c == '<' || c == '>')
                return;
            Token[TokenLength++] = static_cast<char>(c);
            inSpaces = false;
        }
        TakeTextBytes(inSpaces);
        NextChar();
    }
}

// Ordinary text bytes and white space need no fetch of their own: they are
// taken straight from the input. Outside preformatted text every white space
// byte is one more of a run that becomes one space, so line ends need no
// folding there either.
void THtmlLexer::TakeTextBytes(bool& inSpaces)
{
    if (Pushback >= 0)
        return;
    const bool folding = !Preformatted;
    bool spaces = inSpaces;
    const unsigned char* from = Cursor;
    char* to = Token + TokenLength;
    char* const full = Token + kMaxTextRun;
    // After the blocks stop, one byte is taken on its own: a line end, a tab,
    // a space that folds, or one of the last bytes of the input or token.
    for (;; ++from) {
        from = CopyWordBlocks(from, End, to, full, folding, spaces);
        if (from == End)
            break;
        const unsigned char c = *from;
        if (kOrdinaryTextBytes[c]) {
            if (to == full)
                break;
            *to++ = static_cast<char>(c);
            spaces = false;
        } else if (c == ' ' || c == '\t' || (folding && (c == '\r' || c == '\n'))) {
            if (!spaces) {
                if (to == full)
                    break;
                *to++ = ' ';
                spaces = folding;
            }
        } else {
            break;
        }
    }
    Cursor = from;
    TokenLength = static_cast<int>(to - Token);
    inSpaces = spaces;
}

TSymbol THtmlLexer::NextTextAreaSymbol()
{
    ClearToken();
    Level = 0;
    IdRead.clear();
    if (Char == kEndOfInput) {
        ThrowIfErrorPending();
        Current = TSymbol::EndOfInput;
    } else if (Char == '\r') {
        Current = TSymbol::LineEnd;
        NextChar();
    } else if (Char == '<') {
        // The closing tag may carry spaces or attributes before its ">".
        while (Char != ' ' && Char != '\r' && Char != '>' && Char != kEndOfInput
            && TokenLength < kMaxNameLength) {
            AppendToken(Char);
            NextChar();
        }
        Current = EqualsIgnoringCase(TokenText(), "</textarea") ? TSymbol::TextAreaEnd : TSymbol::UnknownTag;
    } else if (Char == '&') {
        ReadEntity();
        if (TokenText() == "\r") {
            ClearToken();
            Current = TSymbol::LineEnd;
        }
    } else {
        ReadKeepingText(&THtmlLexer::CollectTextAreaRun);
        Current = TSymbol::TextRun;
    }
    return Current;
}

void THtmlLexer::CollectTextAreaRun()
{
    TakeWhile(
        [this](unsigned char c) {
            return TokenLength < kMaxTextRun && c != '\r' && c != kEndOfInput && c != '&' && c != '<';
        },
        [this](std::string_view piece) { AppendToken(piece); });
}

TSymbol THtmlLexer::NextScriptSymbol()
{
    constexpr int kMaxEndTagChars = 7; // "/script"
    ClearToken();
    Level = 0;
    IdRead.clear();
    if (Char == kEndOfInput) {
        ThrowIfErrorPending();
        Current = TSymbol::EndOfInput;
    } else if (Char == '\r') {
        Current = TSymbol::LineEnd;
        NextChar();
    } else if (Char == '<') {
        AppendToken('<');
        NextChar();
        for (int count = 0; count < kMaxEndTagChars && (Char == '/' || IsLetter()); ++count) {
            AppendToken(Char);
            NextChar();
        }
        if (Char == '>') {
            AppendToken('>');
            NextChar();
        }
        Current = EqualsIgnoringCase(TokenText(), "</script>") ? TSymbol::ScriptEnd : TSymbol::UnknownTag;
    } else {
        // Script text is passed on as written: entities are not decoded.
        TakeWhile([this](unsigned char c) { return TokenLength < kMaxTextRun && c != '\r' && c != kEndOfInput && c != '<'; },
                  [this](std::string_view piece) { AppendToken(piece); });
        Current = TSymbol::TextRun;
    }
    return Current;
}
