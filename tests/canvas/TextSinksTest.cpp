// The sinks of selected text: counting, copying into a buffer, the clipboard.

#include "engine/canvas/TextSinks.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <string>

namespace {

// A run as sections hold it: text with a control mark (2) and an image mark (4).
const std::string kMarkedRun = "ab\x02" "cd\x04" "e";

}  // namespace

TEST(TextSinks, CountSkipsMarksAndCountsLineEnds)
{
    SelTextCount count;
    count.AddText(kMarkedRun);
    EXPECT_EQ(count.Count(), 5);
    count.AddTextCR("xy", 2);
    count.AddText("\x04\x04", 2);
    EXPECT_EQ(count.Finish(), 9);
}

TEST(TextSinks, BufferCopiesUpToItsLengthLessTheTerminator)
{
    char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    SelTextBuf sink(buffer, 8);
    sink.AddTextCR(kMarkedRun);
    EXPECT_EQ(sink.Text(), "abcde\r\n");
    sink.AddText("more");  // no room left
    EXPECT_EQ(sink.Finish(), 8);
    EXPECT_STREQ(buffer, "abcde\r\n");

    // A buffer of no bytes takes nothing, not even the terminator.
    char untouched = '#';
    SelTextBuf empty(&untouched, 0);
    empty.AddText("abc");
    EXPECT_EQ(empty.Finish(), 1);
    EXPECT_EQ(untouched, '#');
}

TEST(TextSinks, ClipBufferPutsUnicodeOnTheClipboard)
{
    QGuiApplication::clipboard()->clear();
    ClipBuffer sink;
    sink.AddTextCR("Caf\xE9 \x80 5", 8);
    sink.AddText("\x93" "cit\xE9" "\x94\x04", 7);
    EXPECT_EQ(sink.Finish(), 17);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Café € 5\r\n“cité”"));
}

TEST(TextSinks, ClipBufferHoldsTheWholeSelection)
{
    const std::string line(1000, 'x');
    ClipBuffer sink;
    SelTextCount count;
    for (int index = 0; index < 40; ++index) {
        sink.AddText(line);
        count.AddText(line);
    }
    EXPECT_EQ(sink.Finish(), 40001);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString(40000, u'x'));
    EXPECT_EQ(count.Finish(), 40000);
}
