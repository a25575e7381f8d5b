// Font descriptions, faces, runs and the HTML size scale.

#include "engine/canvas/Fonts.h"
#include "engine/base/MulDiv.h"

#include <QGuiApplication>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr const char* kLiberationSerif = "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf";

}  // namespace

TEST(FontFaces, TimesNewRomanMeasuresAsLiberationSerif)
{
    const TMyFont font("Times New Roman", 12);
    ASSERT_EQ(font.PixelSize(), 16);
    EXPECT_EQ(font.Face().FamilyName(), "Liberation Serif");

    // The same file read directly, without any name matching.
    const QRawFont direct(QString(kLiberationSerif), 16);
    ASSERT_TRUE(direct.isValid());
    const TTextMetrics& metrics = font.Metrics();
    EXPECT_EQ(metrics.Ascent, static_cast<int>(std::ceil(direct.ascent())));
    EXPECT_EQ(metrics.Descent, static_cast<int>(std::ceil(direct.descent())));
    EXPECT_EQ(metrics.Height, metrics.Ascent + metrics.Descent);
    EXPECT_EQ(metrics.ExternalLeading, std::max(0, static_cast<int>(std::lround(direct.leading()))));
    EXPECT_EQ(metrics.Overhang, 0);
    EXPECT_EQ(metrics.Height, 19);
    for (const char16_t character : {u'A', u'W', u'i', u' ', u'\u00E9'}) {
        const QList<quint32> glyphs = direct.glyphIndexesForString(QString(QChar(character)));
        const QList<QPointF> advances = direct.advancesForGlyphIndexes(glyphs);
        const auto byte = static_cast<unsigned char>(character);
        EXPECT_EQ(font.Face().Advance(byte), std::lround(advances[0].x())) << int(byte);
    }
}

TEST(FontFaces, DesktopNamesResolveToTheirMetricCompatibleFonts)
{
    EXPECT_EQ(TMyFont("Arial", 10).Face().FamilyName(), "Liberation Sans");
    const TMyFont courier("Courier New", 10);
    EXPECT_EQ(courier.Face().FamilyName(), "Liberation Mono");
    EXPECT_EQ(courier.TextWidth("iiii"), courier.TextWidth("WWWW"));
    EXPECT_EQ(TMyFont("System", 10).Face().FamilyName(),
              TMyFont(QGuiApplication::font().family().toStdString(), 10).Face().FamilyName());
    // Bold is another face, wider.
    EXPECT_GT(TMyFont("Arial", 10, TFontStyle::Bold).TextWidth("Bold text"),
              TMyFont("Arial", 10).TextWidth("Bold text"));
    // A size a page makes absurd still gives a usable face.
    EXPECT_GT(TMyFont("Arial", 0).Metrics().Height, 0);
    EXPECT_GT(TMyFont("Arial", -40).Metrics().Height, 0);
}

TEST(FontFaces, FontsSharingACacheShareTheirFaces)
{
    auto cache = std::make_shared<TFontFaceCache>();
    TMyFont first("Arial", 12);
    TMyFont second("Arial", 12);
    first.SetFaceCache(cache);
    second.SetFaceCache(cache);
    EXPECT_EQ(&first.Face(), &second.Face());
    second.SetColor(clRed);  // colour is not part of the face
    EXPECT_EQ(&first.Face(), &second.Face());
    second.SetStyle(TFontStyle::Underline);
    EXPECT_EQ(&first.Face(), &second.Face());
    second.SetStyle(TFontStyle::Italic);
    EXPECT_NE(&first.Face(), &second.Face());
    EXPECT_EQ(cache->Count(), 2);
    // Copies keep the cache.
    TMyFont copy = second;
    copy.SetStyle({});
    EXPECT_EQ(&copy.Face(), &first.Face());
    EXPECT_EQ(cache->Count(), 2);
}

TEST(FontSizes, HtmlSizesGiveTheTwelfthsOfTheScale)
{
    const int proportional[7] = {8, 10, 12, 14, 18, 24, 36};
    const int fixed[7] = {7, 8, 10, 12, 15, 20, 30};
    for (int size = 1; size <= 7; ++size) {
        EXPECT_EQ(HtmlSizeTwelfths(size, TPitch::Proportional), proportional[size - 1]) << size;
        EXPECT_EQ(HtmlSizeTwelfths(size, TPitch::Fixed), fixed[size - 1]) << size;
    }
    EXPECT_EQ(HtmlSizeTwelfths(0, TPitch::Proportional), 8);
    EXPECT_EQ(HtmlSizeTwelfths(12, TPitch::Fixed), 30);

    TMyFont font;
    font.SetHtmlSize(12, 36);
    EXPECT_EQ(font.HtmlSize(), 36);
    EXPECT_EQ(font.Size(), 36);
    font.SetHtmlSize(10, 15);  // 12.5 points round up
    EXPECT_EQ(font.Size(), 13);
    font.SetHtmlSize(12, 36 * 3 / 4);  // a superscript of size 7
    EXPECT_EQ(font.Size(), 27);
}

TEST(FontSizes, MulDivRoundsHalfAwayFromZero)
{
    EXPECT_EQ(MulDiv(12, 96, 72), 16);
    EXPECT_EQ(MulDiv(10, 96, 72), 13);  // 13.33
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(3, 1, -2), -2);
    EXPECT_EQ(MulDiv(2000000000, 3, 2), -1);  // does not fit
    EXPECT_EQ(MulDiv(1000000, 1000000, 1000000), 1000000);
    EXPECT_EQ(MulDiv(5, 3, 0), -1);
}

TEST(FontRuns, DefaultsFollowPitchAndLink)
{
    TFontDefaults defaults;
    defaults.FontName = "Arial";
    defaults.FixedFontName = "Courier New";
    defaults.BaseFontSize = 10;
    defaults.Charset = 0;
    defaults.FontColor = clBlack;
    defaults.LinkColor = clBlue;

    TFontObj plain(TMyFont("Times New Roman", 30));
    plain.Font().SetHtmlSize(12, 18);
    plain.ApplyDefaults(defaults);
    EXPECT_EQ(plain.Font().Name(), "Arial");
    EXPECT_EQ(plain.Font().Size(), 15);
    EXPECT_EQ(plain.Font().Charset(), 0);
    EXPECT_EQ(plain.Font().Color(), clBlack | kPaletteRelative);

    TFontObj link(TMyFont("Times New Roman", 12));
    link.Font().SetFixedPitch(true);
    link.Link.Set("page.htm", "frame");
    link.ApplyDefaults(defaults);
    EXPECT_EQ(link.Font().Name(), "Courier New");
    EXPECT_EQ(link.Font().Size(), 10);
    EXPECT_EQ(link.Font().Color(), clBlue | kPaletteRelative);
    EXPECT_EQ(link.Font().Face().FamilyName(), "Liberation Mono");
}

TEST(FontRuns, MetricsFollowEveryChangeOfTheFont)
{
    TFontObj run(TMyFont("Times New Roman", 12));
    EXPECT_EQ(run.Height(), 19);
    EXPECT_EQ(run.LineHeight(), run.Height() + run.Font().Metrics().ExternalLeading);
    EXPECT_EQ(run.Overhang(), 0);

    run.Font().SetSize(24);
    const TMyFont large("Times New Roman", 24);
    EXPECT_EQ(run.Height(), large.Metrics().Height);
    EXPECT_EQ(run.Descent(), large.Metrics().Descent);
    EXPECT_GT(run.Height(), 30);

    run.Font().SetName("Courier New");
    EXPECT_EQ(run.Height(), TMyFont("Courier New", 24).Metrics().Height);

    run.SetFont(TMyFont("Arial", 8));
    EXPECT_EQ(run.LineHeight(), TMyFont("Arial", 8).Metrics().Height + TMyFont("Arial", 8).Metrics().ExternalLeading);
}

TEST(FontRuns, ListFindsTheRunOfATextIndex)
{
    TFontList runs;
    EXPECT_EQ(runs.IndexAt(3), 0);
    runs.Add(0, std::make_shared<TFontObj>(TMyFont()));
    runs.Add(10, std::make_shared<TFontObj>(TMyFont()));
    runs.Add(25, std::make_shared<TFontObj>(TMyFont()));
    EXPECT_EQ(runs.Count(), 3);
    EXPECT_EQ(runs.IndexAt(0), 0);
    EXPECT_EQ(runs.IndexAt(9), 0);
    EXPECT_EQ(runs.IndexAt(10), 1);
    EXPECT_EQ(runs.IndexAt(24), 1);
    EXPECT_EQ(runs.IndexAt(1000), 2);
    EXPECT_EQ(runs.LastStart(), 25);
}

TEST(FontRuns, LinkTargetReplacesOnlyWhatIsGiven)
{
    TUrlTarget link;
    link.Set("a.htm", "top");
    link.Set("b.htm");
    EXPECT_EQ(link.Url, "b.htm");
    EXPECT_EQ(link.Target, "top");
    link.Set(std::nullopt, "main");
    EXPECT_EQ(link.Url, "b.htm");
    EXPECT_EQ(link.Target, "main");
    link.Clear();
    EXPECT_EQ(link, TUrlTarget());
}
