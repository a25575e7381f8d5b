#include "engine/base/CompactText.h"

#include <gtest/gtest.h>

#include <string>

// A section's text grows a piece at a time past the room kept in the object,
// loses pieces, and is trimmed when the section is complete.
TEST(CompactText, GrowsPastItsOwnRoomAndShrinksBack)
{
    TCompactText text;
    std::string expected;
    EXPECT_TRUE(text.empty());
    const std::string pieces[] = {" ", "1234567", "8", "9abcdefghij", std::string(3000, 'x')};
    for (const std::string& piece : pieces) {
        text.append(piece);
        expected += piece;
        ASSERT_TRUE(text.View() == expected) << "after " << expected.size() << " bytes";
    }
    text.erase(20, 2990);
    expected.erase(20, 2990);
    EXPECT_EQ(text.View(), expected);
    text.erase(5, 100000); // past the end: up to the end
    expected.erase(5);
    EXPECT_EQ(text.View(), expected);
    text.shrink_to_fit();
    EXPECT_EQ(text.View(), expected);
    EXPECT_EQ(text.back(), '4');

    // Text appended from itself survives the move to a larger room.
    TCompactText doubled("abcdefgh");
    doubled.append(doubled.View());
    EXPECT_EQ(doubled.View(), "abcdefghabcdefgh");
    doubled.append(doubled.View());
    EXPECT_EQ(doubled.View(), "abcdefghabcdefghabcdefghabcdefgh");
}

TEST(CompactText, CopiesAndMovesKeepTheirOwnText)
{
    for (const std::string& original : {std::string("42"), std::string(100, 'z')}) {
        TCompactText source(original);
        TCompactText copy(source);
        copy.append("!");
        EXPECT_EQ(source.View(), original);
        TCompactText moved(std::move(copy));
        EXPECT_EQ(moved.View(), original + "!");
        TCompactText assigned;
        assigned = std::move(moved);
        EXPECT_EQ(assigned.View(), original + "!");
        assigned = source;
        EXPECT_EQ(assigned.View(), original);
        assigned = std::string_view("short");
        EXPECT_EQ(assigned.View(), "short");
    }
}
