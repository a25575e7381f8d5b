// The GIF decoder against the external GIF suite (every composed frame pixel
// for pixel) and the malformed GIF files.

#include "engine/images/GifDecoder.h"
#include "tests/TestSupport.h"
#include "tests/images/ImageCompare.h"

#include <QImage>
#include <QString>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

QImage Composed(const TGIFImage& image)
{
    return WithMask(image.WorkImage(), image.WorkMask());
}

QImage LoadPng(const fs::path& path)
{
    return QImage(QString::fromStdString(path.string()));
}

TGifLoadResult LoadFile(const fs::path& path)
{
    return LoadGif(path);
}

// Frame K of the suite is the canvas after frame K is drawn, before its
// disposal: frames are composed one after the other from the first.
TEST(GifSuite, EveryComposedFrameMatchesTheSuite)
{
    ZEF_REQUIRE_TESTDATA("gif-suite");
    const fs::path folder = TestDataDir() / "gif-suite" / "gifs";
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".gif")
            continue;
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        TGifLoadResult loaded = LoadFile(entry.path());
        ASSERT_TRUE(loaded.Image) << static_cast<int>(loaded.Error);
        TGIFImage& image = *loaded.Image;
        if (fs::exists(folder / "frames" / (name + ".png"))) {
            EXPECT_TRUE(loaded.Still);
            EXPECT_EQ(CompareImages(Composed(image), LoadPng(folder / "frames" / (name + ".png")), 0,
                                    TCompareArea::ExpectedArea), "");
            ++compared;
            continue;
        }
        EXPECT_FALSE(loaded.Still);
        for (int k = 0; fs::exists(folder / "frames" / (name + "-" + std::to_string(k) + ".png")); ++k) {
            SCOPED_TRACE(k);
            image.SetCurrentFrame(k + 1);
            ASSERT_EQ(image.CurrentFrame(), k + 1);
            const QImage expected = LoadPng(folder / "frames" / (name + "-" + std::to_string(k) + ".png"));
            EXPECT_EQ(CompareImages(Composed(image), expected, 0, TCompareArea::ExpectedArea), "");
            ++compared;
        }
    }
    EXPECT_EQ(compared, 46);
}

TEST(GifSuite, DelaysLoopCountsAndInterlacingAreRead)
{
    ZEF_REQUIRE_TESTDATA("gif-suite");
    const fs::path folder = TestDataDir() / "gif-suite" / "gifs";
    const TGifLoadResult variable = LoadFile(folder / "animated_loop_variable_delay.gif");
    ASSERT_TRUE(variable.Image);
    EXPECT_EQ(variable.Image->LoopCount(), 0);
    EXPECT_EQ(variable.Image->Frame(3).Delay, 100);
    EXPECT_EQ(variable.Image->Frame(4).Delay, 1000);
    const TGifLoadResult once = LoadFile(folder / "animated_noloop.gif");
    ASSERT_TRUE(once.Image);
    EXPECT_EQ(once.Image->LoopCount(), 1);
    EXPECT_TRUE(once.Image->Frame(2).HasLocalTable);
    const TGifLoadResult interlaced = LoadFile(folder / "animated_loop_interlaced.gif");
    ASSERT_TRUE(interlaced.Image);
    EXPECT_TRUE(interlaced.Image->Frame(1).Interlaced);
    // The off-screen first frame enlarges the picture to hold it.
    const TGifLoadResult outside = LoadFile(folder / "animated_transparent_loop_frames_out_of_bounds.gif");
    ASSERT_TRUE(outside.Image);
    EXPECT_EQ(outside.Image->Width(), 300);
    EXPECT_EQ(outside.Image->Height(), 110);
}

fs::path Malformed(const std::string& name)
{
    return TestDataDir() / "malformed" / "gif" / name;
}

QImage ExpectedMalformed(const std::string& name)
{
    return LoadPng(TestDataDir() / "malformed" / "expected" / name);
}

TEST(GifMalformed, ValidFilesAndEdgeCasesMatchTheirPictures)
{
    ZEF_REQUIRE_TESTDATA("malformed");
    const std::pair<const char*, const char*> cases[] = {
        {"gif_base.gif", "gif_base.png"},
        {"gif_lzw_no_end_code.gif", "gif_base.png"},
        {"gif_lzw_excess_pixels.gif", "gif_base.png"},
        {"gif_no_trailer.gif", "gif_base.png"},
        {"gif_lzw_longest_chain.gif", "gif_lzw_longest_chain.png"},
        {"gif_frame_larger_than_screen.gif", "gif_frame_larger_than_screen.png"},
        {"gif_screen_zero_size.gif", "gif_base.png"},
        {"gif_interlaced_heights.gif", "gif_interlaced_heights.png"},
        {"gif_bad_block_introducer.gif", "gif_base.png"},
        {"gif_netscape_short.gif", "gif_base.png"},
        {"gif_netscape_loop_65535.gif", "gif_base.png"},
        {"gif_gce_wrong_size.gif", "gif_base.png"},
    };
    for (const auto& [file, picture] : cases) {
        SCOPED_TRACE(file);
        TGifLoadResult loaded = LoadFile(Malformed(file));
        ASSERT_TRUE(loaded.Image) << static_cast<int>(loaded.Error);
        TGIFImage& image = *loaded.Image;
        // The final composite.
        for (int frame = 2; frame <= image.FrameCount(); ++frame)
            image.SetCurrentFrame(frame);
        EXPECT_EQ(CompareImages(Composed(image), ExpectedMalformed(picture), 0, TCompareArea::ExpectedArea), "");
    }
    const TGifLoadResult loop = LoadFile(Malformed("gif_netscape_loop_65535.gif"));
    ASSERT_TRUE(loop.Image);
    EXPECT_EQ(loop.Image->LoopCount(), 65535);
}

// The first 256 frames play; the rest is ignored without an error.
TEST(GifMalformed, ThreeHundredFramesStopAtTheFrameCap)
{
    ZEF_REQUIRE_TESTDATA("malformed");
    TGifLoadResult loaded = LoadFile(Malformed("gif_300_frames.gif"));
    ASSERT_TRUE(loaded.Image);
    TGIFImage& image = *loaded.Image;
    EXPECT_EQ(image.FrameCount(), kMaxGifFrames);
    for (int frame = 2; frame <= image.FrameCount(); ++frame)
        image.SetCurrentFrame(frame);
    // The frames fill the 20 x 15 screen pixel by pixel, row by row: 256 of
    // them cover the first 12 rows and 16 pixels of the 13th.
    const QImage expected = ExpectedMalformed("gif_300_frames.png");
    const QImage composed = Composed(image);
    for (int index = 0; index < kMaxGifFrames; ++index) {
        const int x = index % 20;
        const int y = index / 20;
        EXPECT_EQ(composed.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
    }
}

TEST(GifMalformed, BrokenFilesAreRefusedOrPartial)
{
    ZEF_REQUIRE_TESTDATA("malformed");
    const char* refused[] = {
        "gif_trunc_signature.gif", "gif_trunc_screen.gif", "gif_trunc_gct.gif", "gif_no_image.gif",
        "gif_trunc_extension.gif", "gif_lzw_min_code_size_0.gif", "gif_lzw_min_code_size_1.gif",
        "gif_lzw_min_code_size_12.gif", "gif_lzw_min_code_size_255.gif", "gif_huge_dimensions.gif",
        "gif_huge_screen_tiny_frame.gif", "gif_frame_offset_wraps.gif",
    };
    for (const char* file : refused) {
        SCOPED_TRACE(file);
        EXPECT_FALSE(LoadFile(Malformed(file)).Image);
    }
    EXPECT_EQ(LoadFile(Malformed("gif_huge_dimensions.gif")).Error, GifError::TooLarge);
    EXPECT_EQ(LoadFile(Malformed("gif_trunc_gct.gif")).Error, GifError::Truncated);

    // Partial pictures: the rows the data holds are right.
    const QImage base = ExpectedMalformed("gif_base.png");
    const std::pair<const char*, int> partial[] = {{"gif_trunc_lzw.gif", 10}, {"gif_trunc_subblock.gif", 3}};
    for (const auto& [file, rows] : partial) {
        SCOPED_TRACE(file);
        const TGifLoadResult loaded = LoadFile(Malformed(file));
        ASSERT_TRUE(loaded.Image);
        EXPECT_EQ(CompareImages(Composed(*loaded.Image).copy(0, 0, base.width(), rows), base.copy(0, 0, base.width(), rows)), "");
    }

    // Whatever decodes is shown; nothing crashes.
    const char* survivable[] = {
        "gif_lzw_code_after_clear.gif", "gif_lzw_code_beyond_next.gif", "gif_lzw_only_clears.gif",
        "gif_frame_zero_size.gif", "gif_index_beyond_palette.gif", "gif_no_colour_table.gif",
    };
    for (const char* file : survivable) {
        SCOPED_TRACE(file);
        const TGifLoadResult loaded = LoadFile(Malformed(file));
        if (loaded.Image) {
            EXPECT_FALSE(loaded.Image->Empty());
        }
    }
}

} // namespace
