#pragma once
// The encodings of the files pages are made of. The engine works on
// Windows-1252 bytes; each file's encoding is decided once, when it is read,
// and a UTF-8 or ISO-8859-15 file is converted to Windows-1252 on its way to
// the lexer. The file itself is never changed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// ISO-8859-1, US-ASCII, undeclared 8-bit text and every other declared set
// are read as Windows-1252, byte for byte.
enum class TTextEncoding : std::uint8_t { Windows1252, Latin9, Utf8 };

// Decides a file's encoding from its bytes, given in order in blocks of any
// size. UTF-8 when the file starts with the byte-order mark, or declares it in
// a META tag (http-equiv Content-Type with "charset=utf-8", or CHARSET, in any
// letter case, quoted or not) found before the first BODY tag or within the
// first 4 KB, or when it declares nothing and its bytes are valid UTF-8 with
// at least one multi-byte sequence. ISO-8859-15 when declared. Windows-1252
// otherwise.
class TEncodingDetector {
public:
    // Returns true once further bytes cannot change the decision.
    bool Feed(std::string_view bytes);
    // The decision for the bytes fed so far, taken as the whole file.
    TTextEncoding Encoding() const;

private:
    enum class TScan : std::uint8_t { Text, Tag, Comment };
    enum class TDeclared : std::uint8_t { Nothing, Windows1252, Latin9, Utf8 };

    void ScanHead(unsigned char byte);
    void ExamineTag();
    bool HeadScanned() const;
    void Validate(std::string_view bytes);

    std::uint64_t Position = 0;
    bool ByteOrderMark = false;
    TDeclared Declared = TDeclared::Nothing;
    // The head scan: the tag being read (cut at a length no declaration
    // needs), the dashes before a possible comment end, and whether the first
    // BODY tag has been met.
    TScan Scan = TScan::Text;
    std::string TagText;
    int Dashes = 0;
    bool BodySeen = false;
    // UTF-8 validity: the start of a sequence cut by the end of a block.
    std::string Unfinished;
    bool Invalid = false;
    bool MultiByte = false;
};

TTextEncoding DetectEncoding(std::string_view wholeFile);

// Converts a file's bytes to the engine's text as they are read, block by
// block: each character with a Windows-1252 byte becomes that byte, any other
// one its wide sequence (Cp1252.h), and every byte that is not part of a
// valid UTF-8 sequence the stand-in; nothing merges with its neighbour. A
// leading byte-order mark is dropped. The output is at most twice as long as
// the input, and no block ends inside a wide sequence.
class TCp1252Converter {
public:
    explicit TCp1252Converter(TTextEncoding encoding) : Encoding(encoding) {}

    // Appends the converted block; a UTF-8 sequence cut by the block's end is
    // finished with the next block.
    void Convert(std::string_view block, std::string& out);
    // The end of the file: a sequence left unfinished gives one stand-in per byte.
    void Finish(std::string& out);

private:
    void ConvertUtf8(std::string_view bytes, std::string& out, bool last);

    TTextEncoding Encoding;
    std::string Unfinished;
    bool AtStart = true;
};

std::string ConvertToCp1252(std::string_view wholeFile, TTextEncoding encoding);

// One character read from the start of some bytes: a whole UTF-8 sequence, or
// one byte. `Valid` is false for a byte that starts no valid UTF-8 sequence
// (its Character is then U+FFFD).
struct TDecodedCharacter {
    char32_t Character;
    std::size_t Length;
    bool Valid;
};

// `bytes` must not be empty.
TDecodedCharacter DecodeCharacter(std::string_view bytes, TTextEncoding encoding);

// Appends the character in the encoding: its UTF-8 bytes, or its byte in the
// 8-bit code page, or the stand-in when that has none.
void AppendEncoded(char32_t character, TTextEncoding encoding, std::string& out);

// The byte-order mark that starts some UTF-8 files.
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
