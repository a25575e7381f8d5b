// The source editor's text: what it shows for a file's bytes, and the bytes it
// saves after edits the window tests cannot make by typing.

#include "app/files/SourceText.h"

#include <gtest/gtest.h>

TEST(SourceText, EditsInsideAWideCharacterOrPastTheEndStayWhole)
{
    // An ISO-8859-15 page shows its euro sign and saves it as it was.
    TSourceText latin9("<meta charset=iso-8859-15>\xA4\r\n\xA4");
    EXPECT_EQ(latin9.ShownText(), QString::fromUtf8("<meta charset=iso-8859-15>€\n€"));
    latin9.Replace(latin9.Length(), 0, u"\u20AC\u00A4\n");
    EXPECT_EQ(latin9.Bytes(), "<meta charset=iso-8859-15>\xA4\r\n\xA4\xA4?\r\n");

    // A cut through a character outside the Basic Multilingual Plane makes
    // it typed text; the rest of the file keeps its bytes.
    TSourceText utf8("\xEF\xBB\xBF" "a\xF0\x9F\x98\x80" "b\xC0\n");
    ASSERT_EQ(utf8.Length(), 6);
    utf8.Replace(2, 0, u"|");
    const QString smiley = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(utf8.ShownText(), QStringLiteral("a") + smiley.left(1) + QStringLiteral("|") + smiley.mid(1)
                                    + QString::fromUtf8("b\xEF\xBF\xBD\n"));
    utf8.Replace(2, 1, u"");
    EXPECT_EQ(utf8.Bytes(), "\xEF\xBB\xBF" "a\xF0\x9F\x98\x80" "b\xC0\n");
    // Positions past the end are clamped.
    utf8.Replace(100, 5, u"!");
    utf8.Replace(-3, 1, u"");
    EXPECT_EQ(utf8.Bytes(), "\xEF\xBB\xBF\xF0\x9F\x98\x80" "b\xC0\n!");
}
