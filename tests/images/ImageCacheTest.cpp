// The image cache (keys, ageing, fetching from files and from a request
// handler) and client-side image maps.

#include "engine/images/ImageCache.h"
#include "engine/images/ImageMap.h"
#include "tests/images/GifBuilder.h"
#include "tests/TestSupport.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class ImageCacheTest : public testing::Test {
protected:
    void SetUp() override
    {
        ZEF_REQUIRE_TESTDATA("malformed");
        ASSERT_TRUE(Folder.isValid());
    }

    // A copy of a test file under another name in a scratch folder.
    std::string Place(const std::string& source, const std::string& name)
    {
        const std::string target = (fs::path(Folder.path().toStdString()) / name).string();
        fs::copy_file(TestDataDir() / source, target);
        return target;
    }

    QTemporaryDir Folder;
    TImageCache Images;
};

TEST_F(ImageCacheTest, PlaceholdersAreSixteenPixelsSquare)
{
    EXPECT_EQ(Images.DefaultImage().size(), QSize(16, 16));
    EXPECT_EQ(Images.ErrorImage().size(), QSize(16, 16));
    EXPECT_EQ(Images.ErrorImageMask().format(), QImage::Format_Mono);
    EXPECT_EQ(Images.ErrorImageMask().pixelIndex(0, 0), 1);  // corner transparent
    EXPECT_EQ(Images.ErrorImageMask().pixelIndex(8, 8), 0);  // the page opaque
    EXPECT_EQ(TImageCache::ColorBits, 24);
    EXPECT_EQ(Images.Cache().AgeLimit(), 4);
}

// References differing only in case or surrounding blanks share one entry.
TEST_F(ImageCacheTest, ReferencesShareEntriesByKey)
{
    const std::string file = Place("malformed/bmp/bmp_base24.bmp", "pic.bmp");
    const TImageFetch first = Images.GetImage(file, TTransparency::None);
    ASSERT_FALSE(first.Picture.IsNull());
    EXPECT_FALSE(first.FromCache);
    std::string other = " \t" + file + "  ";
    std::transform(other.begin(), other.end(), other.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
    const TImageFetch second = Images.GetImage(other, TTransparency::None);
    EXPECT_TRUE(second.FromCache);
    EXPECT_EQ(second.Picture.Bitmap.cacheKey(), first.Picture.Bitmap.cacheKey());
    EXPECT_EQ(Images.Cache().Count(), 1);
    const TBitmapItem* item = Images.Cache().Find(ImageCacheKey(file));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Users, 2);
    Images.Cache().Release(other);
    EXPECT_EQ(item->Users, 1);
}

// Ageing frees unused entries past the limit; handing out starts the age again.
TEST_F(ImageCacheTest, AgeLimitFreesUnusedEntries)
{
    const std::string file = Place("malformed/bmp/bmp_base8.bmp", "a.bmp");
    ASSERT_FALSE(Images.GetImage(file, TTransparency::None).Picture.IsNull());
    TStringBitmapList& cache = Images.Cache();
    cache.SetAgeLimit(0);
    cache.Age();
    EXPECT_EQ(cache.Count(), 1); // still in use
    cache.Release(file);
    cache.Age();
    EXPECT_EQ(cache.Count(), 0);

    ASSERT_FALSE(Images.GetImage(file, TTransparency::None).Picture.IsNull());
    cache.Release(file);
    cache.SetAgeLimit(5);
    for (int load = 1; load <= 5; ++load)
        cache.Age();
    EXPECT_EQ(cache.Count(), 1);
    cache.Age();
    EXPECT_EQ(cache.Count(), 0);

    // A lower limit frees what is already older; a hand-out makes it young.
    ASSERT_FALSE(Images.GetImage(file, TTransparency::None).Picture.IsNull());
    cache.Release(file);
    cache.Age();
    cache.Age();
    EXPECT_TRUE(Images.GetImage(file, TTransparency::None).FromCache);
    EXPECT_EQ(cache.Find(ImageCacheKey(file))->Age, 0);
    cache.Release(file);
    cache.Age();
    cache.SetAgeLimit(0);
    EXPECT_EQ(cache.Count(), 0);
}

TEST_F(ImageCacheTest, FilesAreDecodedByContentAndName)
{
    // A PNG is recognised but gives no picture: the caller shows ErrorImage.
    const std::string png = (fs::path(Folder.path().toStdString()) / "p.png").string();
    QImage(4, 4, QImage::Format_RGB32).save(QString::fromStdString(png), "PNG");
    TImageFetch fetch = Images.GetImage(png, TTransparency::None);
    EXPECT_TRUE(fetch.Picture.IsNull());
    EXPECT_FALSE(fetch.NotYetAvailable);
    // GIF data counts as GIF only in a file named ".gif".
    EXPECT_TRUE(Images.GetImage(Place("malformed/gif/gif_base.gif", "picture.img"), TTransparency::None).Picture.IsNull());
    EXPECT_FALSE(Images.GetImage(Place("malformed/gif/gif_base.gif", "Picture.GIF"), TTransparency::None).Picture.IsNull());
    // A JPEG named ".gif" is shown: the GIF decoder fails, the content decides.
    fetch = Images.GetImage(Place("malformed/jpeg/jpeg_base.jpg", "photo.gif"), TTransparency::None);
    EXPECT_EQ(fetch.Picture.Bitmap.size(), QSize(64, 48));
    EXPECT_TRUE(Images.GetImage((fs::path(Folder.path().toStdString()) / "absent.gif").string(), TTransparency::None)
                    .Picture.IsNull());
    EXPECT_TRUE(Images.GetImage("", TTransparency::None).Picture.IsNull());
    EXPECT_EQ(Images.Cache().Count(), 2); // failures are not cached
}

// A PNG gives the error picture until PNG pictures are asked for; it is then
// cached like any still picture, and not handed out once they are refused
// again.
TEST_F(ImageCacheTest, PngPicturesFollowTheOption)
{
    const std::string png = (fs::path(Folder.path().toStdString()) / "Photo.png").string();
    QImage(6, 4, QImage::Format_RGB32).save(QString::fromStdString(png), "PNG");
    EXPECT_TRUE(Images.GetImage(png, TTransparency::None).Picture.IsNull());
    Images.SetPngPictures(TPngPictures::Decoded);
    TImageFetch fetch = Images.GetImage(png, TTransparency::None);
    EXPECT_EQ(fetch.Picture.Bitmap.size(), QSize(6, 4));
    EXPECT_FALSE(fetch.FromCache);
    EXPECT_TRUE(Images.GetImage(" " + png, TTransparency::None).FromCache);
    Images.SetPngPictures(TPngPictures::Refused);
    fetch = Images.GetImage(png, TTransparency::None);
    EXPECT_TRUE(fetch.Picture.IsNull());
    EXPECT_FALSE(fetch.FromCache);
    // Other pictures are handed out as before.
    const std::string bmp = Place("malformed/bmp/bmp_base24.bmp", "p.bmp");
    EXPECT_FALSE(Images.GetImage(bmp, TTransparency::None).FromCache);
    EXPECT_TRUE(Images.GetImage(bmp, TTransparency::None).FromCache);
}

TEST_F(ImageCacheTest, GifsBecomeBitmapsUnlessAnimated)
{
    ZEF_REQUIRE_TESTDATA("gif-suite");
    const std::string still = Place("gif-suite/gifs/static_transparent.gif", "still.gif");
    TImageFetch fetch = Images.GetImage(still, TTransparency::None);
    ASSERT_FALSE(fetch.Picture.IsNull());
    EXPECT_FALSE(fetch.Picture.IsAnimated());
    EXPECT_EQ(fetch.Transparency, TTransparency::Gif);
    EXPECT_FALSE(fetch.Mask.isNull());
    // The GIF's transparency comes back from the cache too.
    fetch = Images.GetImage(still, TTransparency::None);
    EXPECT_TRUE(fetch.FromCache);
    EXPECT_EQ(fetch.Transparency, TTransparency::Gif);

    fetch = Images.GetImage(Place("gif-suite/gifs/animated_loop.gif", "moving.gif"), TTransparency::LowerLeft);
    ASSERT_TRUE(fetch.Picture.IsAnimated());
    EXPECT_EQ(fetch.Picture.Gif->FrameCount(), 4);
    EXPECT_TRUE(fetch.Picture.Gif->Visible());
    EXPECT_TRUE(fetch.Mask.isNull());
}

// A BMP asked for transparent gets a mask from its lower-left pixel; asked
// again, the cache hands out the same mask.
TEST_F(ImageCacheTest, TransparentStillPictureKeepsItsMask)
{
    const std::string file = Place("malformed/bmp/bmp_base24.bmp", "t.bmp");
    TImageFetch fetch = Images.GetImage(file, TTransparency::None);
    EXPECT_TRUE(fetch.Mask.isNull());
    fetch = Images.GetImage(file, TTransparency::LowerLeft);
    ASSERT_FALSE(fetch.Mask.isNull());
    EXPECT_EQ(fetch.Mask.pixelIndex(0, fetch.Mask.height() - 1), 1);
    const TImageFetch again = Images.GetImage(file, TTransparency::LowerLeft);
    EXPECT_EQ(again.Mask.cacheKey(), fetch.Mask.cacheKey());
    EXPECT_EQ(Images.Cache().Find(ImageCacheKey(file))->Transparency, TTransparency::LowerLeft);
}

// Twelve images of one animation cost one; a second animation that would
// pass the budget beside it shows its first frame; one no page uses any more
// gives way.
TEST_F(ImageCacheTest, AnimationsInUseShareOneMemoryBudget)
{
    const std::vector<std::uint8_t> bytes = TGifBuilder(4, 4)
                                                .Loop(0)
                                                .Control(1, 10)
                                                .Frame(0, 0, 4, 4, std::vector<std::uint8_t>(16, 1))
                                                .Control(1, 10)
                                                .Frame(0, 0, 4, 4, std::vector<std::uint8_t>(16, 2))
                                                .Finish();
    const QByteArray spin(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    const TImageRequest request = [&](const std::string&) { return &spin; };
    const std::int64_t oneAnimation = LoadGif(bytes).Image->AnimationBytes();
    Images.SetAnimationBudget(oneAnimation * 3 / 2);

    const TImageFetch first = Images.GetImage("a.gif", TTransparency::None, request);
    ASSERT_TRUE(first.Picture.IsAnimated());
    for (int use = 1; use < 12; ++use)
        EXPECT_EQ(Images.GetImage("a.gif", TTransparency::None, request).Picture.Gif, first.Picture.Gif);
    EXPECT_EQ(Images.AnimationBytes(), oneAnimation);

    const TImageFetch second = Images.GetImage("b.gif", TTransparency::None, request);
    EXPECT_FALSE(second.Picture.IsAnimated());
    EXPECT_EQ(second.Picture.Bitmap.size(), QSize(4, 4));
    EXPECT_EQ(Images.AnimationBytes(), oneAnimation);

    for (int use = 0; use < 12; ++use)
        Images.Cache().Release("a.gif");
    EXPECT_TRUE(Images.GetImage("c.gif", TTransparency::None, request).Picture.IsAnimated());
    EXPECT_EQ(Images.AnimationBytes(), oneAnimation);
    EXPECT_EQ(Images.Cache().Find(ImageCacheKey("a.gif")), nullptr);
}

TEST_F(ImageCacheTest, RequestHandlerSuppliesTheData)
{
    const std::string gifText = ReadFileBytes(TestDataDir() / "malformed/gif/gif_base.gif");
    const std::string jpegText = ReadFileBytes(TestDataDir() / "malformed/jpeg/jpeg_base.jpg");
    const QByteArray gif(gifText.data(), static_cast<qsizetype>(gifText.size()));
    const QByteArray jpeg(jpegText.data(), static_cast<qsizetype>(jpegText.size()));
    const QByteArray tiny = jpeg.left(10);
    std::vector<std::string> asked;
    const TImageRequest request = [&](const std::string& source) -> const QByteArray* {
        asked.push_back(source);
        if (source == "later.gif")
            return Images.WaitStream();
        if (source == "tiny.jpg")
            return &tiny;
        if (source == "data.gif")
            return &gif;
        if (source == "photo")
            return &jpeg;
        return nullptr;
    };
    TImageFetch fetch = Images.GetImage("later.gif", TTransparency::None, request);
    EXPECT_TRUE(fetch.Picture.IsNull());
    EXPECT_TRUE(fetch.NotYetAvailable);
    fetch = Images.GetImage("tiny.jpg", TTransparency::None, request); // below 20 bytes
    EXPECT_TRUE(fetch.Picture.IsNull());
    EXPECT_FALSE(fetch.NotYetAvailable);
    EXPECT_TRUE(Images.GetImage("none", TTransparency::None, request).Picture.IsNull());
    EXPECT_EQ(Images.GetImage("data.gif", TTransparency::None, request).Picture.Bitmap.size(), QSize(32, 24));
    fetch = Images.GetImage("photo", TTransparency::LowerLeft, request);
    EXPECT_EQ(fetch.Picture.Bitmap.size(), QSize(64, 48));
    EXPECT_EQ(fetch.Transparency, TTransparency::None);
    EXPECT_EQ(asked, (std::vector<std::string>{"later.gif", "tiny.jpg", "none", "data.gif", "photo"}));
    // Cached pictures do not ask again.
    EXPECT_TRUE(Images.GetImage("DATA.GIF", TTransparency::None, request).FromCache);
    EXPECT_EQ(asked.size(), 5u);
}

TAttributeList Area(std::initializer_list<std::pair<TSymbol, std::string>> attributes)
{
    TAttributeList list;
    for (const auto& [symbol, text] : attributes)
        list.Add({symbol, 0, text});
    return list;
}

std::string LinkAt(const TMapItem& map, int x, int y)
{
    TUrlTarget target;
    return map.LinkAt(x, y, target) ? target.Url + "|" + target.Target : "-";
}

TEST(ImageMap, ShapesAndCoordinates)
{
    TMapItem map;
    // "circle" is a circle by its first 4 letters: the box corner is outside.
    map.AddArea(Area({{TSymbol::Shape, "CIRCLE"}, {TSymbol::Coords, "10,10,5"}, {TSymbol::Href, "c.htm"},
                      {TSymbol::Target, "main"}}));
    EXPECT_EQ(LinkAt(map, 10, 14), "c.htm|main");
    EXPECT_EQ(LinkAt(map, 14, 14), "-");
    // Unknown shapes and no shape are rectangles; the right and bottom edges
    // belong to them; a fifth number is ignored.
    map.AddArea(Area({{TSymbol::Shape, "default"}, {TSymbol::Coords, " 20 , 0,30,10,99"}, {TSymbol::Href, "r.htm"}}));
    map.AddArea(Area({{TSymbol::Coords, "40,0,50,x"}, {TSymbol::Href, "s.htm"}}));
    EXPECT_EQ(LinkAt(map, 30, 10), "r.htm|");
    EXPECT_EQ(LinkAt(map, 31, 10), "-");
    EXPECT_EQ(LinkAt(map, 45, 0), "s.htm|"); // "x" reads 0: a one-row rectangle
    EXPECT_EQ(LinkAt(map, 45, 1), "-");
    // A polygon needs 6 numbers; a rectangle 4.
    map.AddArea(Area({{TSymbol::Shape, "poly"}, {TSymbol::Coords, "0,20,10,20,0"}, {TSymbol::Href, "p.htm"}}));
    map.AddArea(Area({{TSymbol::Coords, "0,0,5"}, {TSymbol::Href, "q.htm"}}));
    EXPECT_EQ(map.Areas.size(), 3u);
    map.AddArea(Area({{TSymbol::Shape, "polygon"}, {TSymbol::Coords, "0,20,10,20,0,30"}, {TSymbol::Href, "p.htm"}}));
    EXPECT_EQ(LinkAt(map, 2, 22), "p.htm|");
    EXPECT_EQ(LinkAt(map, 9, 29), "-");
    // Absurd coordinates are bounded instead of building huge regions.
    map.AddArea(Area({{TSymbol::Shape, "circ"}, {TSymbol::Coords, "0,0,2000000000"}}));
    EXPECT_EQ(map.Areas.size(), 5u);
}

// The first area holding the point decides, even when it has no link.
TEST(ImageMap, NoHrefHidesLaterAreas)
{
    TMapItem map;
    map.AddArea(Area({{TSymbol::Href, "x.htm"}, {TSymbol::NoHref, ""}, {TSymbol::Coords, "0,0,10,10"}}));
    map.AddArea(Area({{TSymbol::NoHref, ""}, {TSymbol::Href, "y.htm"}, {TSymbol::Coords, "5,0,20,10"}}));
    EXPECT_EQ(LinkAt(map, 7, 5), "-");
    EXPECT_EQ(LinkAt(map, 15, 5), "y.htm|");
    EXPECT_EQ(LinkAt(map, 25, 5), "-");
}

} // namespace
