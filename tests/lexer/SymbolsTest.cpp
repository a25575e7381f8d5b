// The vocabulary tables, colours and alignment keywords.

#include "engine/lexer/Lexer.h"

#include <gtest/gtest.h>

namespace {

TEST(Symbols, EveryTagNameLeadsBackToItsSymbols)
{
    for (int index = 0; index < kTagCount; ++index) {
        const auto symbol = static_cast<TSymbol>(index);
        EXPECT_EQ(LookupTag(TagName(symbol), false), symbol) << TagName(symbol);
        const TSymbol end = LookupTag(TagName(symbol), true);
        EXPECT_EQ(end, EndTagOf(symbol)) << TagName(symbol);
        EXPECT_EQ(IsEndTag(end), index < kTagsWithEnd) << TagName(symbol);
    }
    EXPECT_EQ(LookupTag("TR", true), TSymbol::TrEnd);
    EXPECT_EQ(LookupTag("LI", true), TSymbol::UnknownTag);
    EXPECT_EQ(LookupTag("td", false), TSymbol::UnknownTag); // names arrive in upper case
    EXPECT_FALSE(KeepsAttributes(TSymbol::TdEnd));
}

TEST(Symbols, AttributeNamesShareWrapAndSelectedWithTheTags)
{
    int named = 0;
    for (int value = 0; value <= static_cast<int>(TSymbol::LineEnd); ++value) {
        const auto symbol = static_cast<TSymbol>(value);
        if (AttributeName(symbol).empty())
            continue;
        EXPECT_EQ(LookupAttribute(AttributeName(symbol)), symbol) << AttributeName(symbol);
        ++named;
    }
    EXPECT_EQ(named, kAttributeCount);
    EXPECT_EQ(LookupAttribute("WRAP"), LookupTag("WRAP", false));
    EXPECT_EQ(LookupAttribute("SELECTED"), LookupTag("SELECTED", false));
    EXPECT_EQ(LookupAttribute("HTTP-EQUIV"), TSymbol::HttpEquiv);
    EXPECT_EQ(LookupAttribute("FILE"), TSymbol::UnknownAttribute);
}

TEST(Symbols, EntitiesCoverHtml4WithLatin1InCodeOrder)
{
    EXPECT_EQ(LookupEntity("quot"), U'"');
    EXPECT_EQ(LookupEntity("nbsp"), U'\xA0');
    EXPECT_EQ(LookupEntity("frac34"), U'\xBE');
    EXPECT_EQ(LookupEntity("AElig"), U'\xC6');
    EXPECT_EQ(LookupEntity("aelig"), U'\xE6');
    EXPECT_EQ(LookupEntity("ETH"), U'\xD0');
    EXPECT_EQ(LookupEntity("yuml"), U'\xFF');
    EXPECT_EQ(LookupEntity("Amp"), std::nullopt);
    // A few of each further set, at both ends of the table's hash slots.
    EXPECT_EQ(LookupEntity("apos"), U'\'');
    EXPECT_EQ(LookupEntity("Yuml"), U'\u0178');
    EXPECT_EQ(LookupEntity("sigmaf"), U'\u03C2');
    EXPECT_EQ(LookupEntity("thetasym"), U'\u03D1');
    EXPECT_EQ(LookupEntity("rsquo"), U'\u2019');
    EXPECT_EQ(LookupEntity("lArr"), U'\u21D0');
    EXPECT_EQ(LookupEntity("larr"), U'\u2190');
    EXPECT_EQ(LookupEntity("diams"), U'\u2666');
    EXPECT_EQ(LookupEntity("Euro"), std::nullopt);
}

TEST(Symbols, ParseColor)
{
    EXPECT_EQ(ParseColor("#00ff00"), clLime);
    EXPECT_EQ(ParseColor("lime"), clLime);
    EXPECT_EQ(ParseColor("Lime"), clLime);
    EXPECT_EQ(ParseColor("FF0000"), clRed);
    EXPECT_EQ(ParseColor("#FF0000"), clRed);
    EXPECT_EQ(ParseColor("Fuchsia"), clFuchsia);
    EXPECT_EQ(ParseColor("#123456"), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(ParseColor("#FF123456"), RGB(0x12, 0x34, 0x56)); // high bits ignored
    EXPECT_EQ(ParseColor("#zz"), std::nullopt);
    EXPECT_EQ(ParseColor("#"), std::nullopt);
    EXPECT_EQ(ParseColor(""), std::nullopt);
    EXPECT_EQ(ParseColor("#123456789"), std::nullopt);
}

TAttributeList AttributesOf(std::string tag)
{
    THtmlLexer lexer;
    lexer.StartMemory(std::move(tag));
    lexer.NextSymbol();
    return lexer.Attributes();
}

TEST(Symbols, AlignmentReaders)
{
    EXPECT_EQ(ReadParaAlign(AttributesOf("<P ALIGN=Right>"), TParaAlign::Left), TParaAlign::Right);
    EXPECT_EQ(ReadParaAlign(AttributesOf("<P ALIGN=CENTER>"), TParaAlign::Left), TParaAlign::Centre);
    EXPECT_EQ(ReadParaAlign(AttributesOf("<P ALIGN=justify>"), TParaAlign::Centre), TParaAlign::Centre);
    EXPECT_EQ(ReadParaAlign(AttributesOf("<P>"), TParaAlign::Right), TParaAlign::Right);
    EXPECT_EQ(ReadCellAlign(AttributesOf("<TD ALIGN=left>")), TCellAlign::Left);
    EXPECT_EQ(ReadCellAlign(AttributesOf("<TD ALIGN=middle>")), TCellAlign::None);
    EXPECT_EQ(ReadCellAlign(AttributesOf("<TD>")), TCellAlign::None);
    EXPECT_EQ(ReadVertAlign(AttributesOf("<TD VALIGN=Baseline>"), TVertAlign::Middle), TVertAlign::Top);
    EXPECT_EQ(ReadVertAlign(AttributesOf("<TD VALIGN=bottom>"), TVertAlign::Middle), TVertAlign::Bottom);
    EXPECT_EQ(ReadVertAlign(AttributesOf("<TD VALIGN=center>"), TVertAlign::Bottom), TVertAlign::Bottom);
}

} // namespace
