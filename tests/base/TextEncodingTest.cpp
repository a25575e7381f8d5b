// Deciding a file's encoding and converting it to Windows-1252, whole and in
// blocks cut anywhere, as the lexer reads files.

#include "engine/base/TextEncoding.h"
#include "engine/base/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using enum TTextEncoding;

// The decision for the bytes given whole, checked against the one for the
// same bytes given one at a time.
TTextEncoding Detected(const std::string& bytes)
{
    TEncodingDetector byteByByte;
    for (const char byte : bytes)
        byteByByte.Feed(std::string_view(&byte, 1));
    const TTextEncoding whole = DetectEncoding(bytes);
    EXPECT_EQ(byteByByte.Encoding(), whole) << bytes;
    return whole;
}

// The conversion of the bytes whole, checked against the conversion of the
// same bytes in blocks of every size up to 7.
std::string Converted(const std::string& bytes, TTextEncoding encoding = Utf8)
{
    const std::string whole = ConvertToCp1252(bytes, encoding);
    for (std::size_t blockSize = 1; blockSize <= 7; ++blockSize) {
        TCp1252Converter converter(encoding);
        std::string inBlocks;
        for (std::size_t start = 0; start < bytes.size(); start += blockSize)
            converter.Convert(std::string_view(bytes).substr(start, blockSize), inBlocks);
        converter.Finish(inBlocks);
        EXPECT_EQ(inBlocks, whole) << "blocks of " << blockSize;
    }
    return whole;
}

const std::string kHead = "<HTML><HEAD><TITLE>t</TITLE>";
const std::string kUtf8Text = "Caf\xC3\xA9 \xE2\x80\x9C" "a\xC2\xA0" "b\xE2\x80\x9D";

TEST(EncodingDecision, ThreeWaysAPageIsUtf8)
{
    // The byte-order mark, whatever follows.
    EXPECT_EQ(Detected("\xEF\xBB\xBF<P>plain"), Utf8);
    EXPECT_EQ(Detected("\xEF\xBB\xBF<META CHARSET=iso-8859-1>caf\xE9"), Utf8);
    // A declaration in any letter case, quoted or not.
    EXPECT_EQ(Detected(kHead + "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">caf\xE9"),
              Utf8);
    EXPECT_EQ(Detected(kHead + "<meta http-equiv=content-type content='text/html;CHARSET=UTF-8' />x"), Utf8);
    EXPECT_EQ(Detected(kHead + "<Meta Charset = Utf-8>"), Utf8);
    // A head longer than 4 KB still counts up to the first BODY tag.
    EXPECT_EQ(Detected(kHead + "<STYLE>" + std::string(6000, 'x') + "</STYLE><meta charset=\"utf-8\"><BODY>"),
              Utf8);
    // Nothing declared, valid UTF-8 with a multi-byte sequence.
    EXPECT_EQ(Detected("<P>" + kUtf8Text), Utf8);
}

TEST(EncodingDecision, WaysAPageStaysWindows1252)
{
    EXPECT_EQ(Detected("<P>plain ASCII only"), Windows1252);
    EXPECT_EQ(Detected("<P>caf\xE9 cr\xE8me \x93quoted\x94"), Windows1252);
    // A sequence cut by the end of the file, an over-long form, a surrogate.
    EXPECT_EQ(Detected("<P>" + kUtf8Text + "\xE2\x80"), Windows1252);
    EXPECT_EQ(Detected("<P>" + kUtf8Text + "\xC0\xAF"), Windows1252);
    EXPECT_EQ(Detected("<P>" + kUtf8Text + "\xED\xA0\x80"), Windows1252);
    // Any declared set wins over valid UTF-8 bytes; ISO-8859-15 is its own.
    EXPECT_EQ(Detected(kHead + "<META CHARSET=ISO-8859-1>" + kUtf8Text), Windows1252);
    EXPECT_EQ(Detected(kHead + "<META CHARSET=windows-1252>" + kUtf8Text), Windows1252);
    EXPECT_EQ(Detected(kHead + "<META CHARSET=koi8-r>" + kUtf8Text), Windows1252);
    EXPECT_EQ(Detected(kHead + "<META HTTP-EQUIV=Content-Type CONTENT=\"text/html; charset=ISO-8859-15\">\xA4"),
              Latin9);
    // Declarations in comments, in other tags, or after BODY past 4 KB do not count.
    EXPECT_EQ(Detected(kHead + "<!-- <META CHARSET=utf-8> -->caf\xE9"), Windows1252);
    EXPECT_EQ(Detected(kHead + "<META NAME=charset CONTENT=\"charset=utf-8\">caf\xE9"), Windows1252);
    EXPECT_EQ(Detected(kHead + "<BODY>" + std::string(5000, 'x') + "<META CHARSET=utf-8>caf\xE9"), Windows1252);
    EXPECT_EQ(Detected(kHead + "<BODY>short<META CHARSET=utf-8>caf\xE9"), Utf8);
}

TEST(EncodingDecision, StopsReadingOnceTheAnswerIsKnown)
{
    TEncodingDetector declared;
    EXPECT_TRUE(declared.Feed(kHead + "<META CHARSET=utf-8>"));
    TEncodingDetector invalid;
    EXPECT_FALSE(invalid.Feed(kHead + "<BODY>caf\xE9"));
    EXPECT_TRUE(invalid.Feed(std::string(5000, 'x')));
    // Valid UTF-8 must be read to its end before it can be trusted.
    TEncodingDetector valid;
    EXPECT_FALSE(valid.Feed(kHead + "<BODY>" + std::string(5000, 'x') + kUtf8Text));
}

TEST(Utf8Conversion, EveryCharacterBecomesOneByteAndNothingAfterABadSequenceIsLost)
{
    // Characters with a Windows-1252 byte, and wide sequences for those
    // without (U+2603, U+1F600, U+03B1).
    EXPECT_EQ(Converted("\xEF\xBB\xBF" + kUtf8Text + " \xE2\x82\xAC \xC5\x93 \xE2\x98\x83 \xF0\x9F\x98\x80 \xCE\xB1."),
              "Caf\xE9 \x93" "a\xA0" "b\x94 \x80 \x9C \x01\x80\xCC\x83 \x01\x87\xEC\x80 \x01\x80\x87\xB1.");
    EXPECT_EQ(Cp1252ToQString(Converted("\xE2\x98\x83\xF0\x9F\x98\x80\xCE\xB1")), QStringLiteral("\u2603\U0001F600\u03B1"));
    // A truncated sequence, an over-long one, a lone continuation byte, a
    // surrogate and a byte that never starts one: a stand-in per byte, and the
    // text around them whole.
    EXPECT_EQ(Converted("a\xE2\x82" "b\xC0\xAF" "c\x80" "d\xED\xA0\x80" "e\xFF" "f"), "a??b??c?d???e?f");
    // A sequence cut by the end of the file.
    EXPECT_EQ(Converted("end\xF0\x9F\x98"), "end???");
    // Only a leading byte-order mark is dropped; another one is a character.
    EXPECT_EQ(Converted("a\xEF\xBB\xBF"), "a\x01\x83\xFD\xFF");
    EXPECT_EQ(Converted("\xEF\xBB"), "??");
}

TEST(Utf8Conversion, Latin9MapsItsEightCharacters)
{
    EXPECT_EQ(Converted("\xA4\xA6\xA8\xB4\xB8\xBC\xBD\xBE \xE9\xA0\x92", Latin9),
              "\x80\x8A\x9A\x8E\x9E\x8C\x9C\x9F \xE9\xA0\x92");
    EXPECT_EQ(Converted("caf\xE9\x80", Windows1252), "caf\xE9\x80");
}

TEST(Utf8Conversion, CharactersWrittenBackInEachEncoding)
{
    std::string out;
    for (const char32_t character : {U'a', U'\xE9', U'\u20AC', U'\U0001F600', U'\u2603'})
        AppendEncoded(character, Utf8, out);
    EXPECT_EQ(out, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xE2\x98\x83");
    out.clear();
    for (const char32_t character : {U'\xE9', U'\u20AC', U'\xA4', U'\u2603'})
        AppendEncoded(character, Latin9, out);
    EXPECT_EQ(out, "\xE9\xA4??");
    const TDecodedCharacter euro = DecodeCharacter("\xE2\x82\xAC!", Utf8);
    EXPECT_EQ(euro.Character, U'\u20AC');
    EXPECT_EQ(euro.Length, 3u);
    EXPECT_FALSE(DecodeCharacter("\xE2\x82", Utf8).Valid);
}

} // namespace
