#include "LayoutFakes.h"

#include "engine/layout/BlockItems.h"
#include "engine/base/MulDiv.h"
#include "engine/lexer/Symbols.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// Colours compared as 8-bit RGB: palette colours carry more precision.
QRgb Rgb(TColor color)
{
    return ToQColor(color).rgb();
}

TAttributeList Attributes(std::initializer_list<TAttribute> attributes)
{
    TAttributeList list;
    for (const TAttribute& attribute : attributes)
        list.Add(attribute);
    return list;
}

class BlockItemsTest : public testing::Test {
protected:
    static constexpr int kWidth = 300;
    static constexpr TColor kPage = clWhite;

    TRecordingErrorBox errors;
    TSectionList document{nullptr, errors};
    TCanvas measuring;
    QImage picture{kWidth, 100, QImage::Format_RGB32};

    THorzLine& AddRule(std::initializer_list<TAttribute> attributes)
    {
        auto rule = std::make_unique<THorzLine>(Attributes(attributes));
        THorzLine& added = *rule;
        document.Add(std::move(rule));
        return added;
    }

    // Lays the document out at the picture's width and paints it on a page
    // of the given colour.
    void Render(TColor page = kPage, TRect clip = {0, 0, kWidth, 100})
    {
        document.Background = page;
        int position = 0;
        int maxWidth = 0;
        document.Layout(measuring, 0, kWidth, position, maxWidth);
        picture.fill(ToQColor(page));
        TCanvas canvas(&picture);
        document.Paint(canvas, clip, 0, 0, 2000);
    }

    QRgb At(int x, int y) const { return picture.pixel(x, y); }
};

int HeightAtBaseSize(std::unique_ptr<TSectionBase> item, int baseFontSize)
{
    TRecordingErrorBox errors;
    TSectionList document(nullptr, errors);
    document.BaseFontSize = baseFontSize;
    TSectionBase& added = *item;
    document.Add(std::move(item));
    return added.SectionHeight;
}

TEST(MulDiv, RoundsHalvesAwayFromZeroAndFailsLikeWindows)
{
    EXPECT_EQ(MulDiv(14, 10, 12), 12);
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(3, 1, -2), -2);
    EXPECT_EQ(MulDiv(1 << 30, 8, 4), -1); // does not fit
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(1 << 30, 1 << 20, 1 << 20), 1 << 30); // 64-bit intermediate
}

TEST(BlockItemHeights, SpacesScaleWithTheBaseFontSize)
{
    EXPECT_EQ(HeightAtBaseSize(std::make_unique<TParagraphSpace>(), 12), 14);
    EXPECT_EQ(HeightAtBaseSize(std::make_unique<TParagraphSpace>(), 10), 12); // 11.67 rounds up
    EXPECT_EQ(HeightAtBaseSize(std::make_unique<THeadingSpace>(1), 18), 24);

    const int expected[] = {8, 16, 12, 10, 8, 6, 4, 8}; // levels 0 to 7
    for (int level = 0; level <= 7; ++level)
        EXPECT_EQ(HeightAtBaseSize(std::make_unique<THeadingSpace>(level), 12), expected[level]) << level;
    EXPECT_EQ(HeightAtBaseSize(std::make_unique<THeadingSpace>(-3), 12), 8);
}

TEST(BlockItemHeights, RuleHeightGrowsWithItsThickness)
{
    auto rule = [](std::initializer_list<TAttribute> attributes) {
        return std::make_unique<THorzLine>(Attributes(attributes));
    };
    EXPECT_EQ(HeightAtBaseSize(rule({}), 12), 20);
    EXPECT_EQ(HeightAtBaseSize(rule({{TSymbol::Size, 5, "5"}}), 12), 23);
    EXPECT_EQ(HeightAtBaseSize(rule({{TSymbol::Size, 0, "0"}}), 12), 20);
    EXPECT_EQ(HeightAtBaseSize(rule({{TSymbol::Size, 21, "21"}}), 12), 20);
    EXPECT_EQ(HeightAtBaseSize(rule({{TSymbol::Size, 20, "20"}}), 6), 28);
}

TEST(BlockItemAttributes, RuleReadsItsAttributes)
{
    const THorzLine plain(Attributes({}));
    EXPECT_EQ(plain.Thickness, 2);
    EXPECT_FALSE(plain.Width.has_value());
    EXPECT_EQ(plain.Align, THorzLineAlign::Centre);
    EXPECT_FALSE(plain.Color.has_value());
    EXPECT_FALSE(plain.NoShade);

    const THorzLine rule(Attributes({{TSymbol::Align, 0, "RIGHT"},
                                     {TSymbol::Width, 40, "40%"},
                                     {TSymbol::Color, 0, "#00FF00"},
                                     {TSymbol::NoShade, 0, ""}}));
    EXPECT_EQ(rule.Align, THorzLineAlign::Right);
    EXPECT_EQ(rule.Width, 40);
    EXPECT_TRUE(rule.WidthIsPercent);
    EXPECT_EQ(rule.Color, clLime);
    EXPECT_TRUE(rule.NoShade);

    EXPECT_FALSE(THorzLine(Attributes({{TSymbol::Width, 150, "150%"}})).Width.has_value());
    EXPECT_FALSE(THorzLine(Attributes({{TSymbol::Width, 0, "0"}})).Width.has_value());
    EXPECT_EQ(THorzLine(Attributes({{TSymbol::Width, 150, "150"}})).Width, 150);
    EXPECT_FALSE(THorzLine(Attributes({{TSymbol::Color, 0, "notacolour"}})).Color.has_value());
    // Only the first ten characters are compared.
    EXPECT_EQ(THorzLine(Attributes({{TSymbol::Align, 0, "left      x"}})).Align, THorzLineAlign::Centre);
    EXPECT_EQ(THorzLine(Attributes({{TSymbol::Align, 0, "Left"}})).Align, THorzLineAlign::Left);
}

// The rule is 20 pixels high with its 2-pixel groove at rows 9 to 11.
TEST_F(BlockItemsTest, FullWidthGrooveStaysTenPixelsIn)
{
    AddRule({});
    Render();
    const QRgb shadow = Rgb(clBtnShadow);
    const QRgb silver = Rgb(clSilver);
    const QRgb page = Rgb(kPage);
    EXPECT_EQ(At(9, 9), page);
    EXPECT_EQ(At(10, 9), shadow);
    EXPECT_EQ(At(150, 9), shadow);
    EXPECT_EQ(At(10, 10), shadow);
    EXPECT_EQ(At(150, 10), page);
    EXPECT_EQ(At(150, 11), silver);
    EXPECT_EQ(At(290, 10), silver);
    EXPECT_EQ(At(291, 10), page);
    EXPECT_EQ(At(150, 8), page);
    EXPECT_EQ(At(150, 12), page);
}

TEST_F(BlockItemsTest, WidthAboveAHundredPercentIsFullWidth)
{
    AddRule({{TSymbol::Width, 150, "150%"}});
    Render();
    EXPECT_EQ(At(9, 9), Rgb(kPage));
    EXPECT_EQ(At(10, 9), Rgb(clBtnShadow));
    EXPECT_EQ(At(290, 10), Rgb(clSilver));
    EXPECT_EQ(At(291, 10), Rgb(kPage));
}

TEST_F(BlockItemsTest, PercentageAndPixelWidthsWithEachAlignment)
{
    struct Case {
        TAttribute Width;
        const char* Align;
        int Left;
        int Right; // the right edge column, drawn by the light pen
    };
    const Case cases[] = {
        {{TSymbol::Width, 50, "50%"}, "center", 75, 225},
        {{TSymbol::Width, 100, "100"}, "left", 0, 100},
        {{TSymbol::Width, 100, "100"}, "right", 200, 300},
        {{TSymbol::Width, 33, "33%"}, "left", 0, 99},
        {{TSymbol::Width, 51, "51"}, "middle", 124, 175}, // odd space: (300 - 51) / 2
    };
    for (const Case& c : cases) {
        document.Clear();
        AddRule({c.Width, {TSymbol::Align, 0, c.Align}});
        Render();
        SCOPED_TRACE(c.Width.Text + " " + c.Align);
        if (c.Left > 0) {
            EXPECT_EQ(At(c.Left - 1, 9), Rgb(kPage));
        }
        EXPECT_EQ(At(c.Left, 9), Rgb(clBtnShadow));
        if (c.Right < kWidth) {
            EXPECT_EQ(At(c.Right, 10), Rgb(clSilver));
            EXPECT_EQ(At(c.Right + 1, 10), Rgb(kPage));
        }
    }
}

TEST_F(BlockItemsTest, TheLightEdgeIsTheHighlightOnAColouredPage)
{
    const TColor page = RGB(0x20, 0x40, 0x60);
    ASSERT_NE(Rgb(clBtnHighlight), Rgb(clSilver));
    AddRule({});
    Render(page);
    EXPECT_EQ(At(150, 9), Rgb(clBtnShadow));
    EXPECT_EQ(At(150, 11), Rgb(clBtnHighlight));
    EXPECT_EQ(At(150, 10), Rgb(page));
}

TEST_F(BlockItemsTest, NoShadeDrawsBothEdgesBlack)
{
    AddRule({{TSymbol::NoShade, 0, ""}, {TSymbol::Size, 4, "4"}});
    Render();
    // 22 high, so the 4-pixel groove runs from row 9 to row 13.
    EXPECT_EQ(At(150, 9), Rgb(clBlack));
    EXPECT_EQ(At(150, 13), Rgb(clBlack));
    EXPECT_EQ(At(10, 11), Rgb(clBlack));
    EXPECT_EQ(At(290, 11), Rgb(clBlack));
    EXPECT_EQ(At(150, 11), Rgb(kPage));
}

TEST_F(BlockItemsTest, ColouredRuleIsAFilledBar)
{
    AddRule({{TSymbol::Color, 0, "red"}, {TSymbol::Size, 4, "4"}});
    Render(RGB(0x20, 0x40, 0x60));
    const QRgb red = Rgb(clRed);
    EXPECT_EQ(At(10, 9), red);
    EXPECT_EQ(At(150, 11), red);
    EXPECT_EQ(At(289, 12), red);
    EXPECT_NE(At(290, 12), red);
    EXPECT_NE(At(150, 13), red);
    EXPECT_NE(At(150, 8), red);
}

TEST_F(BlockItemsTest, RuleFollowsTheIndentAndTheScrollOffset)
{
    TFakeItem& image = AddFake(document, 0);
    image.FloatHeight = 60;
    image.FloatWidth = 50;
    AddRule({});
    document.YOffset = 5;
    Render();
    // Drawn 5 pixels higher, starting 10 pixels right of the float.
    EXPECT_EQ(At(59, 4), Rgb(kPage));
    EXPECT_EQ(At(60, 4), Rgb(clBtnShadow));
    EXPECT_EQ(At(150, 6), Rgb(clSilver));
}

TEST_F(BlockItemsTest, NothingIsDrawnOutsideTheClip)
{
    AddRule({{TSymbol::Color, 0, "red"}});
    Render(kPage, {0, 30, kWidth, 100}); // the rule lies above the clip
    EXPECT_EQ(At(150, 9), Rgb(kPage));

    Render(kPage, {0, 0, kWidth, 0}); // the rule starts at the clip bottom
    EXPECT_EQ(At(150, 9), Rgb(kPage));
}

TEST_F(BlockItemsTest, BlockItemsCopyAsLineBreaks)
{
    AddFake(document, 10, "a");
    document.Add(std::make_unique<TParagraphSpace>());
    AddRule({});
    document.Add(std::make_unique<THeadingSpace>(1));
    AddFake(document, 10, "b");
    int position = 0;
    int maxWidth = 0;
    document.Layout(measuring, 0, kWidth, position, maxWidth);
    document.SelectionBegin = 0;
    document.SelectionEnd = 2;
    EXPECT_EQ(document.SelectionLength(), 1 + 3 * 2 + 1);
}

} // namespace
