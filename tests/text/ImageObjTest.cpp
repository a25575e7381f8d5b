// Inline images: attributes, sizing of pictures and placeholders, painting at
// their place in the line, image links and the cache entries they hold.

#include "engine/forms/FormControlObj.h"
#include "engine/images/AnimationNotes.h"
#include "engine/images/GifDecoder.h"
#include "engine/images/ImageMap.h"
#include "engine/text/ImageObj.h"
#include "tests/canvas/PaintRecorder.h"
#include "tests/images/GifBuilder.h"
#include "tests/text/TextTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A document with one section and solid-colour BMP files to show.
class ImageTest : public ::testing::Test {
protected:
    ImageTest() : section(doc.Add(doc.MakeSection())) {}

    std::string MakeBmp(const char* name, int width, int height, QRgb color)
    {
        QImage picture(width, height, QImage::Format_RGB32);
        picture.fill(color);
        const QString path = folder.filePath(name);
        EXPECT_TRUE(picture.save(path, "BMP"));
        return path.toStdString();
    }

    TImageObj& AddImage(TAttributeList attributes) { return section.AddImage(attributes, &doc.Document); }

    // Where a painting with the document's left edge at x puts the top left
    // of the page's only picture.
    QPoint PictureOrigin(int x = 0)
    {
        TPaintRecorder recorder(doc.Width + 2 * x, 200);
        {
            TCanvas canvas(&recorder);
            doc.Document.Paint(canvas, {0, 0, doc.Width + 2 * x, 200}, 0, x, doc.Width);
        }
        EXPECT_EQ(recorder.Pictures().size(), 1u);
        return recorder.Pictures().empty() ? QPoint() : recorder.Pictures().front().topLeft();
    }

    QTemporaryDir folder;
    TTextDocument doc;
    TSection& section;
};

} // namespace

TEST_F(ImageTest, AttributesAreReadWithTheirLimits)
{
    TImageObj& image = AddImage(Attributes({{TSymbol::HSpace, -30, "-30"},
                                            {TSymbol::Width, 150, "150%"},
                                            {TSymbol::Height, -4, "-4"},
                                            {TSymbol::UseMap, 0, " #Map1 "},
                                            {TSymbol::Align, 0, "absmiddle"},
                                            {TSymbol::Border, 0, "0"}}));
    EXPECT_EQ(image.HSpace, 20);
    EXPECT_EQ(image.SpecWidth, 0);
    EXPECT_EQ(image.SpecHeight, 1);
    EXPECT_TRUE(image.UsesMap);
    EXPECT_EQ(image.MapName, "MAP1");
    EXPECT_EQ(image.Align, TImageAlign::Middle);
    EXPECT_TRUE(image.NoBorder);
    EXPECT_EQ(AddImage(Attributes({})).HSpace, TImageObj::kDefaultHSpace);
}

TEST_F(ImageTest, PercentWidthsFollowTheAvailableWidth)
{
    const std::string bmp = MakeBmp("half.bmp", 40, 30, qRgb(255, 0, 0));
    TImageObj& image = AddImage(Attributes({{TSymbol::Src, 0, bmp}, {TSymbol::Width, 50, "50%"}}));
    section.ChangeLink(TSymbol::Href, doc.Document, TTextDocument::BodyFont(), {"a.htm", ""}, doc.Style);
    TImageObj& linked = AddImage(Attributes({{TSymbol::Src, 0, bmp}, {TSymbol::Width, 50, "50%"}}));
    doc.Layout(400);
    EXPECT_EQ(image.ImageWidth, 200);
    EXPECT_EQ(image.ImageHeight, 30);
    EXPECT_EQ(image.TotalWidth, 200);
    EXPECT_EQ(linked.TotalWidth, 202);
    EXPECT_TRUE(linked.Bordered);
    doc.Layout(600);
    EXPECT_EQ(image.ImageWidth, 300);
}

TEST_F(ImageTest, OneDimensionKeepsThePictureAspect)
{
    const std::string bmp = MakeBmp("wide.bmp", 40, 20, qRgb(0, 0, 255));
    TImageObj& byHeight = AddImage(Attributes({{TSymbol::Src, 0, bmp}, {TSymbol::Height, 40, "40"}}));
    TImageObj& byWidth = AddImage(Attributes({{TSymbol::Src, 0, bmp}, {TSymbol::Width, 20, "20"}}));
    TImageObj& both = AddImage(
        Attributes({{TSymbol::Src, 0, bmp}, {TSymbol::Width, 10, "10"}, {TSymbol::Height, 70, "70"}}));
    TImageObj& natural = AddImage(Attributes({{TSymbol::Src, 0, bmp}}));
    doc.Layout(400);
    EXPECT_EQ(byHeight.Kind, TPictureKind::Bitmap);
    EXPECT_EQ(QSize(byHeight.ImageWidth, byHeight.ImageHeight), QSize(80, 40));
    EXPECT_EQ(QSize(byWidth.ImageWidth, byWidth.ImageHeight), QSize(20, 10));
    EXPECT_EQ(QSize(both.ImageWidth, both.ImageHeight), QSize(10, 70));
    EXPECT_EQ(QSize(natural.ImageWidth, natural.ImageHeight), QSize(40, 20));
    EXPECT_TRUE(natural.SizeSettled);
}

TEST_F(ImageTest, PlaceholdersMakeRoomForTheirAltText)
{
    TImageObj& withAlt = AddImage(Attributes({{TSymbol::Alt, 0, "A photograph"}}));
    TImageObj& bare = AddImage(Attributes({}));
    TImageObj& missing = AddImage(Attributes({{TSymbol::Src, 0, folder.filePath("none.bmp").toStdString()}}));
    doc.Layout(400);
    const int altWidth = TMyFont("Arial", 8).TextWidth("A photograph");
    EXPECT_EQ(withAlt.Kind, TPictureKind::ErrorImage);
    EXPECT_EQ(withAlt.ImageWidth, altWidth + 2 + 24);
    EXPECT_EQ(withAlt.ImageHeight, 24);
    EXPECT_FALSE(withAlt.SizeSettled);
    EXPECT_EQ(QSize(bare.ImageWidth, bare.ImageHeight), QSize(24, 24));
    EXPECT_EQ(missing.Kind, TPictureKind::ErrorImage);

    // With images off every image is a placeholder box.
    const std::string bmp = MakeBmp("off.bmp", 100, 80, qRgb(0, 255, 0));
    TImageObj& off = AddImage(Attributes({{TSymbol::Src, 0, bmp}, {TSymbol::Alt, 0, "Off"}}));
    doc.Document.ShowImages = false;
    doc.Layout(400);
    EXPECT_EQ(off.Kind, TPictureKind::None);
    EXPECT_EQ(off.ImageWidth, std::max(16, TMyFont("Arial", 8).TextWidth("Off") + 2 + 24));
    EXPECT_EQ(off.ImageHeight, 24);
}

TEST_F(ImageTest, APictureIsPaintedAtItsPlaceOnTheBaseline)
{
    const std::string bmp = MakeBmp("red.bmp", 40, 20, qRgb(255, 0, 0));
    section.AddText("ab");
    TImageObj& image = AddImage(Attributes({{TSymbol::Src, 0, bmp}}));
    section.AddText("cd");
    doc.Layout(400);
    const QImage painted = doc.Paint(60, 10);

    const LineRec& line = section.Lines[0];
    const int left = 10 + TTextDocument::WidthOf(section, "ab");
    const int baseline = line.Top + line.SpaceBefore + line.TextHeight - line.Descent;
    EXPECT_EQ(PictureOrigin(10), QPoint(left, baseline - 20));
    EXPECT_EQ(painted.pixel(left, baseline - 20), qRgb(255, 0, 0));
    EXPECT_EQ(painted.pixel(left + 39, baseline - 1), qRgb(255, 0, 0));
    EXPECT_NE(painted.pixel(left + 40, baseline - 1), qRgb(255, 0, 0));
    EXPECT_NE(painted.pixel(left, baseline), qRgb(255, 0, 0));
    // The text after the image stands on the same baseline.
    int inkAbove = 0;
    int inkBelow = 0;
    for (int y = 0; y < painted.height(); ++y)
        for (int x = left + 41; x < left + 41 + TTextDocument::WidthOf(section, "cd"); ++x)
            if (IsDark(painted.pixel(x, y)))
                ++(y < baseline ? inkAbove : inkBelow);
    EXPECT_GT(inkAbove, 10);
    EXPECT_EQ(inkBelow, 0);

    TImageObj* hit = nullptr;
    int xIn = 0;
    int yIn = 0;
    ASSERT_TRUE(section.ImageAt(10, left + 5, baseline - 20 + 3, yIn, xIn, hit));
    EXPECT_EQ(hit, &image);
    EXPECT_EQ(QPoint(xIn, yIn), QPoint(5, 3));
    EXPECT_FALSE(section.ImageAt(10, left + 40, baseline - 20 + 3, yIn, xIn, hit));
}

TEST_F(ImageTest, AServerMapInALinkAddsThePointToTheUrl)
{
    const std::string bmp = MakeBmp("map.bmp", 50, 40, qRgb(0, 128, 0));
    section.ChangeLink(TSymbol::Href, doc.Document, TTextDocument::BodyFont(), {"/cgi/map", ""}, doc.Style);
    TImageObj& image = AddImage(Attributes({{TSymbol::Src, 0, bmp}, {TSymbol::IsMap, 0, ""}}));
    doc.Layout(400);
    ASSERT_TRUE(image.Bordered);
    const QPoint origin = PictureOrigin();
    TImageFormControlObj* control = nullptr;
    TUrlTarget target;
    ASSERT_TRUE(section.LinkAt(doc.Measure, 0, origin.x() + 10, origin.y() + 7, control, target));
    EXPECT_EQ(target.Url, "/cgi/map?10,7");
    EXPECT_EQ(control, nullptr);
}

TEST_F(ImageTest, AClientMapGivesTheLinkOfTheAreaUnderThePoint)
{
    auto map = std::make_unique<TMapItem>();
    map->MapName = "NAV";
    map->AddArea(Attributes({{TSymbol::Href, 0, "left.htm"}, {TSymbol::Coords, 0, "0,0,9,29"}}));
    doc.Document.MapList.push_back(std::move(map));
    AddImage(Attributes({{TSymbol::Width, 40, "40"}, {TSymbol::Height, 30, "30"}, {TSymbol::UseMap, 0, "#nav"}}));
    doc.Layout(400);
    const QPoint origin = PictureOrigin();
    TImageFormControlObj* control = nullptr;
    TUrlTarget target;
    ASSERT_TRUE(section.LinkAt(doc.Measure, 0, origin.x() + 5, origin.y() + 5, control, target));
    EXPECT_EQ(target.Url, "left.htm");
    EXPECT_FALSE(section.LinkAt(doc.Measure, 0, origin.x() + 20, origin.y() + 5, control, target));
}

TEST_F(ImageTest, AnImageControlIsFoundWithoutBeingClicked)
{
    TImageFormControlObj control(&doc.Document, nullptr, 0);
    control.Name = "map";
    section.AddImageControl(control, Attributes({{TSymbol::Width, 30, "30"}, {TSymbol::Height, 30, "30"}}),
                            &doc.Document);
    doc.Layout(400);
    const QPoint origin = PictureOrigin();
    TImageFormControlObj* clicked = nullptr;
    TUrlTarget target;
    ASSERT_TRUE(section.LinkAt(doc.Measure, 0, origin.x() + 12, origin.y() + 4, clicked, target));
    EXPECT_EQ(clicked, &control);
    // The pointer over the picture is no click: no point is recorded.
    EXPECT_EQ(control.XClick, -1);
    EXPECT_EQ(control.YClick, -1);
}

TEST_F(ImageTest, DestroyingImagesReleasesTheirCacheEntry)
{
    const std::string bmp = MakeBmp("shared.bmp", 8, 8, qRgb(1, 2, 3));
    AddImage(Attributes({{TSymbol::Src, 0, bmp}}));
    AddImage(Attributes({{TSymbol::Src, 0, bmp}}));
    doc.Layout(400);
    TBitmapItem* entry = doc.Cache.Cache().Find(ImageCacheKey(bmp));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Users, 2);
    doc.Document.Clear();
    EXPECT_EQ(entry->Users, 0);
}

// The images of one animation share its frames and show the same frame:
// each change repaints every place it was drawn.
TEST_F(ImageTest, ImagesOfOneAnimationShareItAndRepaintTogether)
{
    const std::vector<std::uint8_t> pixels(16, 1);
    const std::vector<std::uint8_t> data = TGifBuilder(4, 4)
                                               .Loop(0)
                                               .Control(1, 10)
                                               .Frame(0, 0, 4, 4, pixels)
                                               .Control(1, 10)
                                               .Frame(0, 0, 4, 4, std::vector<std::uint8_t>(16, 2))
                                               .Finish();
    const QString path = folder.filePath("spin.gif");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(data.data()), static_cast<qint64>(data.size()));
    file.close();

    TImageObj& first = AddImage(Attributes({{TSymbol::Src, 0, path.toStdString()}}));
    TImageObj& second = AddImage(Attributes({{TSymbol::Src, 0, path.toStdString()}}));
    doc.Layout(400);
    ASSERT_EQ(first.Kind, TPictureKind::Animated);
    ASSERT_EQ(second.Kind, TPictureKind::Animated);
    EXPECT_EQ(first.Gif.get(), second.Gif.get());
    EXPECT_EQ(doc.Cache.AnimationBytes(), first.Gif->AnimationBytes());
    EXPECT_EQ(doc.Document.AnimatedImages.size(), 2u);
    EXPECT_EQ(QSize(second.ImageWidth, second.ImageHeight), QSize(4, 4));
    EXPECT_FALSE(second.PaletteCopy().isNull());

    // A view's painting notes both places of the one picture.
    TAnimationNotes drawn;
    {
        QImage page(doc.Width, 40, QImage::Format_RGB32);
        TCanvas canvas(&page);
        canvas.AnimationNotes = &drawn;
        doc.Document.Paint(canvas, {0, 0, doc.Width, 40}, 0, 0, doc.Width);
    }
    const std::vector<TRect>& places = drawn.Places(*first.Gif);
    ASSERT_EQ(places.size(), 2u);
    EXPECT_NE(places[0], places[1]);
    constexpr std::int64_t kLater = std::int64_t{1} << 50; // past any delay of the real clock
    EXPECT_FALSE(first.Gif->AnimationStep(kLater));        // the first due tick only starts
    EXPECT_TRUE(first.Gif->AnimationStep(kLater + 100));
    EXPECT_EQ(first.Gif->CurrentFrame(), 2);
}
