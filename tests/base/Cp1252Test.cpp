#include "engine/base/Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, HighRangeMapsToTypographicCharacters)
{
    EXPECT_EQ(Cp1252ToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(Cp1252ToUnicode(0x92), u'\u2019');
    EXPECT_EQ(Cp1252ToUnicode(0x9F), u'\u0178');
    EXPECT_EQ(Cp1252ToUnicode(0x81), u'\u0081');
    EXPECT_EQ(Cp1252ToUnicode(0xE9), u'\u00E9');
}

TEST(Cp1252, RoundTripsEveryByte)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all.push_back(static_cast<char>(byte));
    EXPECT_EQ(QStringToCp1252(Cp1252ToQString(all)), all);
}

TEST(Cp1252, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(QStringToCp1252(u"été \u4E2D\u0085"), "\xE9t\xE9 ??");
}

TEST(Cp1252, EngineTextKeepsEveryCharacterAsAWideSequence)
{
    const QString text = QStringLiteral("été \u4E2D\U0001F600 \u0085");
    const std::string engine = QStringToEngineText(text);
    EXPECT_EQ(engine, "\xE9t\xE9 \x01\x81\x9C\xAD\x01\x87\xEC\x80 \x01\x80\x81\x85");
    EXPECT_EQ(Cp1252ToQString(engine), text);
    EXPECT_EQ(EngineTextLength(engine), 8u);
    // A sequence is never cut; a lone surrogate is the stand-in; a lead
    // before anything but three high bytes is the control character it is.
    EXPECT_EQ(CutAtCharacter(engine, 6), "\xE9t\xE9 ");
    EXPECT_EQ(CutAtCharacter(engine, 9), "\xE9t\xE9 \x01\x81\x9C\xAD");
    EXPECT_EQ(QStringToEngineText(QString(QChar(0xD800))), "?");
    EXPECT_EQ(Cp1252ToQString("\x01\x80 \x01\x80\x80\x80"), QStringLiteral("\u0001\u20AC \u0001\u20AC\u20AC\u20AC"));
}

TEST(Cp1252, FileNamesKeepValidUtf8AndConvertTheRest)
{
    EXPECT_EQ(Cp1252ToUtf8IfNeeded("caf\xC3\xA9.htm"), "caf\xC3\xA9.htm");
    EXPECT_EQ(Cp1252ToUtf8IfNeeded("caf\xE9.htm"), "caf\xC3\xA9.htm");
    EXPECT_FALSE(IsValidUtf8("\xE9t\xE9"));
}
