#pragma once
// THtmlLexer turns HTML 3.2 source bytes (Windows-1252) into the symbol stream
// the document builder reads: one current symbol with its token text, the
// attribute list of the last tag that keeps attributes, and the heading level.
// One object serves one parse at a time.

#include "engine/base/RegularFile.h"
#include "engine/base/TextEncoding.h"
#include "engine/lexer/Symbols.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A page file that cannot be read: missing, no regular file, or larger than
// kMaxPageBytes. Nothing of the document has been built. The message shows
// control characters of the name as \xNN.
class EFileError : public std::runtime_error {
public:
    explicit EFileError(const std::string& fileName, TFileRefusal refusal = TFileRefusal::Missing);
    std::string FileName;
};

// Raised when the input ends inside a comment or declaration.
class EParseError : public std::runtime_error {
public:
    EParseError() : std::runtime_error("Open Comment at End of HTML File") {}
};

// Expands an include comment (<!--#COMMAND NAME="value" ... -->). It receives
// the command name as written, one NAME="value" line per attribute, and the
// name of the page file being read (empty for text in memory), and gives back
// the text to read in place of the comment (empty for nothing). The lexer
// keeps the returned text alive while it reads it.
using TIncludeType = std::function<std::string(const std::string& command, std::vector<std::string> params,
                                               const std::string& pageFile)>;

class THtmlLexer {
public:
    // The byte that marks the end of the input, as it is seen by the readers.
    static constexpr char kEndOfInput = 26;
    // Text runs are handed over in pieces of at most this many characters.
    static constexpr int kMaxTextRun = 100;
    // Longest tag name, token text and attribute name kept.
    static constexpr int kMaxNameLength = 150;

    THtmlLexer();
    ~THtmlLexer();
    THtmlLexer(const THtmlLexer&) = delete;
    THtmlLexer& operator=(const THtmlLexer&) = delete;

    // Start a parse: reset the state and fetch the first character (not yet
    // the first symbol). A file that cannot be read throws EFileError;
    // EParseError when the input opens an unclosed comment. A file's
    // encoding is decided first (a pass over its bytes that stops as soon as
    // the answer is known), and a UTF-8 or ISO-8859-15 file is converted to
    // Windows-1252 as it is read. Memory text is Windows-1252.
    void StartFile(const std::string& fileName);
    void StartMemory(std::string text);
    // The encoding the current file was decided to have.
    TTextEncoding FileEncoding() const { return Encoding; }

    // The handler stays set across parses; an empty function turns includes off.
    void SetIncludeHandler(TIncludeType handler) { IncludeHandler = std::move(handler); }
    // While set, text runs keep spaces and line ends as they are (PRE bodies).
    void SetPreformatted(bool preformatted) { Preformatted = preformatted; }
    bool IsPreformatted() const { return Preformatted; }
    // While set, "<!" does not open a comment (SCRIPT bodies given to a handler).
    void SetScriptMode(bool scriptMode) { ScriptMode = scriptMode; }
    bool IsScriptMode() const { return ScriptMode; }
    // While set, the character right after a SCRIPT start tag opens no
    // comment either, so that a body starting "<!--" reaches the script
    // reader whole. Set for parses whose scripts go to a handler; it stays
    // set across parses.
    void SetKeepScriptBodies(bool keep) { KeepScriptBodies = keep; }
    // The builder's first-item-in-cell flag: the builder sets it, and the
    // symbol reader clears it on content symbols (text, BR, H, HR, IMG, TABLE,
    // INPUT, TEXTAREA, SELECT).
    void SetFirstItem(bool firstItem) { FirstItem = firstItem; }
    bool IsFirstItem() const { return FirstItem; }

    // The symbol readers: normal mode, the TEXTAREA body and the SCRIPT body.
    TSymbol NextSymbol();
    TSymbol NextTextAreaSymbol();
    TSymbol NextScriptSymbol();

    // Raw readers for the builder's character-by-character bodies.
    // The next character, with comments skipped.
    void NextChar()
    {
        // Most bytes need no folding and open no comment: take them directly.
        if (Pushback < 0 && Cursor != End && IsPlainByte(*Cursor)) {
            Char = *Cursor++;
            Upper = Char >= 'a' && Char <= 'z' ? static_cast<unsigned char>(Char - 'a' + 'A') : Char;
            return;
        }
        NextCharFolding();
    }
    // Appends the current character and those after it to `out`, up to a
    // line end or the end of the input and while `out` is shorter than
    // `limit`; the first character not taken is current. Plain bytes are
    // taken straight from the input.
    void TakeLineText(std::string& out, std::size_t limit);
    void SkipWhiteSpace();
    bool CollectText(); // a text run into the token text; false when none
    void ReadEntity();  // current character "&": the entity's text into the token text

    TSymbol Symbol() const { return Current; }
    std::string_view TokenText() const { return {Token, static_cast<std::size_t>(TokenLength)}; }
    int HeadingLevel() const { return Level; }
    // The ID of the start tag just read, whatever the tag; empty for any
    // other symbol. Attribute lists are kept only by some tags, but any
    // element may be a link target.
    const std::string& ElementId() const { return IdRead; }
    const TAttributeList& Attributes() const { return AttributeList; }
    char CurrentChar() const { return static_cast<char>(Char); }
    char CurrentUpper() const { return static_cast<char>(Upper); }
    bool AtEnd() const { return Char == kEndOfInput; }

private:
    struct TFlagScope;

    void Reset();
    unsigned char RawByte()
    {
        return Cursor != End ? *Cursor++ : RefillRawByte();
    }
    unsigned char RefillRawByte();
    void DecideFileEncoding(const std::string& fileName);
    void FetchChar();
    void NextCharFolding();
    // Bytes that the character fetch passes on unchanged.
    static bool IsPlainByte(unsigned char c)
    {
        return c > kEndOfInput ? c != '<' : c != '\r' && c != '\n' && c != '\t' && c != kEndOfInput;
    }
    // Hands `keep` the current character and every following one that
    // `accept` takes, as pieces of text, and leaves the first one it refuses
    // current. Runs of plain bytes are taken straight from the input, without
    // a fetch each.
    template <typename Accept, typename Keep>
    void TakeWhile(Accept accept, Keep keep)
    {
        while (accept(Char)) {
            const char current = static_cast<char>(Char);
            keep(std::string_view(&current, 1));
            if (Pushback < 0) {
                const unsigned char* from = Cursor;
                while (from != End && IsPlainByte(*from) && accept(*from))
                    ++from;
                keep(std::string_view(reinterpret_cast<const char*>(Cursor), static_cast<std::size_t>(from - Cursor)));
                Cursor = from;
            }
            NextChar();
        }
    }
    void SkipCommentOrDeclaration();
    void SkipCommentBody();
    void SkipRawUpToDash();
    void ReadIncludeDirective();
    void StartInclude(std::string text);

    void ReadKeepingText(void (THtmlLexer::*reader)());
    void CollectTextRun();
    void TakeTextBytes(bool& inSpaces);
    void CollectTextAreaRun();
    void ReadTag();
    // Reads ASCII letters, and dashes when `dashes`, upper-cased into `name`,
    // which keeps the first kMaxNameLength; the first other character stays
    // current.
    std::string_view ReadUpperName(char* name, bool dashes);
    bool ReadAttribute(TAttribute& attribute);
    void ReadQuotedValue(TAttribute& attribute);
    void ReadNumberValue(TAttribute& attribute);
    void ReadWordValue(TAttribute& attribute);
    // Reads an entity (current character "&") and writes its text, at most
    // kMaxEntityText bytes ("&#x" and six digits and ";"), to the buffer;
    // returns the length. A line end (&#13;, &#10;) is written as it is, a
    // character Windows-1252 lacks as its wide sequence (Cp1252.h).
    static constexpr int kMaxEntityText = 10;
    int ReadEntityText(char* text);
    int ReadNumericReference(char* text, int length);
    bool AtWideCharacter() const;
    bool IsLetter() const { return Upper >= 'A' && Upper <= 'Z'; }
    bool IsDigit() const { return Char >= '0' && Char <= '9'; }

    void ThrowIfErrorPending() const
    {
        if (ErrorPending)
            throw EParseError();
    }
    void ClearToken() { TokenLength = 0; }
    void AppendToken(unsigned char c)
    {
        if (TokenLength < kMaxNameLength)
            Token[TokenLength++] = static_cast<char>(c);
    }
    void AppendToken(std::string_view text)
    {
        const std::size_t kept = std::min(text.size(), static_cast<std::size_t>(kMaxNameLength - TokenLength));
        std::copy_n(text.data(), kept, Token + TokenLength);
        TokenLength += static_cast<int>(kept);
    }

    // Input: the bytes in [Cursor, End) come from the active source.
    const unsigned char* Cursor = nullptr;
    const unsigned char* End = nullptr;
    std::string MemoryText;
    std::string FileName; // the page file being read, for the include handler
    std::unique_ptr<TRegularFile> File;
    std::vector<unsigned char> FileBuffer;
    TTextEncoding Encoding = TTextEncoding::Windows1252;
    // For a file that is not Windows-1252: its converter and the converted block.
    std::optional<TCp1252Converter> Converter;
    std::string ConvertedBuffer;
    // An include text being read, and where the interrupted source resumes.
    std::string IncludeText;
    bool IncludeActive = false;
    bool IncludeWide = false; // the include text was converted from UTF-8
    const unsigned char* ResumeCursor = nullptr;
    const unsigned char* ResumeEnd = nullptr;

    int Pushback = -1; // a byte to fetch again, or -1
    unsigned char Char = kEndOfInput;
    unsigned char Upper = kEndOfInput;
    bool CommentOpen = false;
    bool ReadingInclude = false;
    // A text run was cut short by an unclosed comment: it is delivered first,
    // and the error is raised on the next read.
    bool ErrorPending = false;

    TSymbol Current = TSymbol::EndOfInput;
    char Token[kMaxNameLength];
    int TokenLength = 0;
    int Level = 0;
    TAttributeList AttributeList;
    TAttribute AttributeRead;      // the attribute being read, kept for its text's room
    char AttributeName[kMaxNameLength];
    std::string_view AttributeNameRead; // upper case, in AttributeName, for include parameters
    std::string IdRead;

    bool Preformatted = false;
    bool ScriptMode = false;
    bool KeepScriptBodies = false;
    bool FirstItem = false;
    TIncludeType IncludeHandler;
};
