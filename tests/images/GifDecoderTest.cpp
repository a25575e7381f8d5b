// The GIF decoder on tiny files built here: LZW rules, block parsing, limits,
// composing, animation and drawing.

#include "engine/canvas/Canvas.h"
#include "engine/images/GifDecoder.h"
#include "tests/images/GifBuilder.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;

// A 2 x 2 GIF with the pixels red, green / blue, black.
const std::vector<std::uint8_t> kTinyGif = {
    'G', 'I', 'F', '8', '9', 'a',
    0x02, 0x00, 0x02, 0x00,                    // logical screen 2 x 2
    0x81, 0x00, 0x00,                          // global table of 4 colours, background 0, aspect 0
    0x00, 0x00, 0x00, 0xFF, 0x00, 0x00,        // black, red
    0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF,        // green, blue
    0x2C, 0x00, 0x00, 0x00, 0x00,              // image at (0, 0)
    0x02, 0x00, 0x02, 0x00, 0x00,              // 2 x 2, no local table, not interlaced
    0x02,                                      // LZW minimum code size 2
    0x03, 0x8C, 0x38, 0x14,                    // 3-bit codes: clear 1 2 clear 3 0 end
    0x00,                                      // block terminator
    0x3B,                                      // trailer
};

std::vector<std::uint8_t> Decode(int minCodeSize, const std::vector<std::pair<int, int>>& codes, std::size_t room,
                                 TLzwResult& result)
{
    TBitWriter writer;
    for (const auto& [code, bits] : codes)
        writer.Put(code, bits);
    const std::vector<std::uint8_t> data = writer.Finish();
    std::vector<std::uint8_t> pixels(room, 0xEE);
    result = DecodeLzw(minCodeSize, data, pixels);
    pixels.resize(result.PixelCount);
    return pixels;
}

QRgb WorkPixel(const TGIFImage& image, int x, int y)
{
    if (!image.WorkMask().isNull() && image.WorkMask().pixelIndex(x, y) == 1)
        return 0; // transparent
    return image.WorkImage().pixel(x, y);
}

std::unique_ptr<TGIFImage> Load(const std::vector<std::uint8_t>& data)
{
    TGifLoadResult result = LoadGif(data);
    return std::move(result.Image);
}

TEST(GifLzw, CodesFollowTheTableRules)
{
    TLzwResult result;
    // min code size 2: clear 4, end 5, first free entry 6.
    // Leading clear codes are skipped; code 6 (the next free entry) is the
    // previous string plus its own first value.
    EXPECT_EQ(Decode(2, {{4, 3}, {4, 3}, {1, 3}, {6, 3}, {5, 3}}, 10, result), (std::vector<std::uint8_t>{1, 1, 1}));
    EXPECT_EQ(result.Error, GifError::None);
    // A code beyond the next free entry is read the same way.
    EXPECT_EQ(Decode(2, {{4, 3}, {2, 3}, {7, 3}, {6, 3}, {5, 3}}, 10, result),
              (std::vector<std::uint8_t>{2, 2, 2, 2, 2}));
    // Right after a clear code no string exists to extend: the frame ends.
    EXPECT_EQ(Decode(2, {{4, 3}, {1, 3}, {2, 3}, {4, 3}, {6, 3}, {1, 3}}, 10, result),
              (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(result.Error, GifError::BadCode);
    // Strings are cut at the end of the output; data ending early is reported.
    EXPECT_EQ(Decode(2, {{4, 3}, {3, 3}, {6, 3}}, 2, result), (std::vector<std::uint8_t>{3, 3}));
    EXPECT_EQ(result.Error, GifError::None);
    EXPECT_EQ(Decode(2, {{4, 3}, {3, 3}}, 5, result), (std::vector<std::uint8_t>{3}));
    EXPECT_EQ(result.Error, GifError::Truncated);
    // Codes widen when the table reaches 8 entries: after clear, 1, 2, 3 the
    // end code is 4 bits wide.
    EXPECT_EQ(Decode(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {5, 4}, {1, 4}}, 10, result),
              (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(result.Error, GifError::None);
    // Minimum code sizes outside 2..11 are refused before anything is read.
    for (const int size : {0, 1, 12, 255}) {
        Decode(size, {{0, 8}}, 4, result);
        EXPECT_EQ(result.Error, GifError::BadCode) << size;
        EXPECT_EQ(result.PixelCount, 0u);
    }
}

TEST(GifLzw, AFullTableTakesNoMoreEntriesAndStaysAtTwelveBits)
{
    // Literal codes only, no clear code: each code after the first adds an
    // entry, from 6 up to 4095, and the code width grows with the table
    // exactly as the decoder reads it.
    TBitWriter writer;
    std::vector<std::uint8_t> expected;
    int bits = 3;
    int nextFree = 6;
    const auto put = [&](int code) {
        writer.Put(code, bits);
        if (nextFree < 4096 && ++nextFree == (1 << bits) && bits < 12)
            ++bits;
    };
    writer.Put(4, 3); // clear
    writer.Put(1, 3); // the first value adds nothing
    expected.push_back(1);
    while (nextFree < 4096) {
        const auto value = static_cast<std::uint8_t>(expected.size() % 4);
        put(value);
        expected.push_back(value);
    }
    ASSERT_EQ(bits, 12);
    // The last entry is the last two values; the table being full, the code
    // after it adds nothing and a literal still means itself.
    writer.Put(4095, 12);
    expected.push_back(expected[expected.size() - 2]);
    expected.push_back(expected[expected.size() - 2]);
    writer.Put(0, 12);
    expected.push_back(0);
    writer.Put(5, 12); // end
    const std::vector<std::uint8_t> data = writer.Finish();
    std::vector<std::uint8_t> pixels(expected.size() + 10, 0xEE);
    const TLzwResult result = DecodeLzw(2, data, pixels);
    EXPECT_EQ(result.Error, GifError::None);
    pixels.resize(result.PixelCount);
    EXPECT_EQ(pixels, expected);
}

TEST(GifDecoder, TinyGifDecodes)
{
    const TGifLoadResult result = LoadGif(kTinyGif);
    ASSERT_TRUE(result.Image);
    EXPECT_TRUE(result.Still);
    const TGIFImage& image = *result.Image;
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.ColorBits(), 2);
    EXPECT_FALSE(image.Transparent());
    const QImage first = image.FirstFrameImage();
    EXPECT_EQ(first.pixel(0, 0), kRed);
    EXPECT_EQ(first.pixel(1, 0), kGreen);
    EXPECT_EQ(first.pixel(0, 1), kBlue);
    EXPECT_EQ(first.pixel(1, 1), kBlack);
    EXPECT_TRUE(image.FirstFrameMask().isNull());
}

// Every prefix of a valid file is refused or gives a partial picture of the
// right size; a picture needs the whole header and one image descriptor.
TEST(GifDecoder, EveryTruncationFailsOrIsPartial)
{
    for (std::size_t length = 0; length < kTinyGif.size(); ++length) {
        const std::vector<std::uint8_t> prefix(kTinyGif.begin(), kTinyGif.begin() + static_cast<std::ptrdiff_t>(length));
        const TGifLoadResult result = LoadGif(prefix);
        SCOPED_TRACE(length);
        if (length < 36) {
            EXPECT_FALSE(result.Image);
            EXPECT_EQ(result.Error, length < 3 ? GifError::NotGif : length < 25 ? GifError::Truncated : result.Error);
            continue;
        }
        ASSERT_TRUE(result.Image);
        EXPECT_EQ(result.Image->WorkImage().size(), QSize(2, 2));
        if (length >= 41) { // the codes are complete
            EXPECT_EQ(result.Image->WorkImage().pixel(0, 1), kBlue);
        }
    }
    EXPECT_EQ(LoadGif(std::vector<std::uint8_t>{'B', 'M', 0}).Error, GifError::NotGif);

    // Every block kind cut at every byte: the frames before the cut remain.
    const std::vector<std::uint8_t> rich = TGifBuilder(3, 2)
                                               .Loop(0)
                                               .Comment("first")
                                               .Control(3, 5, 1)
                                               .Frame(0, 0, 3, 2, {1, 2, 3, 0, 1, 2})
                                               .Raw({0x21, 0x01, 3, 1, 2, 3, 0})
                                               .Control(2, 5)
                                               .Frame(1, 1, 2, 1, {3, 3}, true)
                                               .Finish();
    for (std::size_t length = 0; length < rich.size(); ++length) {
        const TGifLoadResult result = LoadGif(std::span(rich.data(), length));
        if (result.Image) {
            EXPECT_EQ(result.Image->WorkImage().size(), QSize(3, 2)) << length;
            EXPECT_LE(result.Image->FrameCount(), 2);
        }
    }
    EXPECT_EQ(LoadGif(rich).Image->FrameCount(), 2);
}

TEST(GifDecoder, OnlyTheFirst256FramesAreKept)
{
    TGifBuilder builder(1, 1);
    for (int i = 0; i < kMaxGifFrames; ++i)
        builder.Frame(0, 0, 1, 1, {1});
    builder.Frame(4, 4, 1, 1, {2}); // the 257th: neither drawn nor enlarging the screen
    std::unique_ptr<TGIFImage> image = Load(builder.Finish());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->FrameCount(), kMaxGifFrames);
    EXPECT_EQ(image->Width(), 1);
    image->SetCurrentFrame(kMaxGifFrames);
    EXPECT_EQ(WorkPixel(*image, 0, 0), kRed);
}

TEST(GifDecoder, BlocksAreReadOrEndTheParse)
{
    // A comment belongs to the next frame; plain text is skipped; an unknown
    // extension ends the parse with the frames before it.
    const std::vector<std::uint8_t> data = TGifBuilder(2, 1)
                                               .Comment("made here")
                                               .Frame(0, 0, 2, 1, {1, 1})
                                               .Raw({0x21, 0x01, 2, 'x', 'y', 0}) // plain text
                                               .Frame(0, 0, 2, 1, {2, 2})
                                               .Raw({0x21, 0x77, 1, 0, 0})        // unknown label
                                               .Frame(0, 0, 2, 1, {3, 3})
                                               .Finish();
    std::unique_ptr<TGIFImage> image = Load(data);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->FrameCount(), 2);
    EXPECT_EQ(image->Frame(1).Comment, "made here");
    EXPECT_EQ(image->Frame(2).Comment, "");
    EXPECT_EQ(image->LoopCount(), 1);

    // The graphic control gives delay, disposal (4..7 restore the background)
    // and transparency.
    const std::vector<std::uint8_t> controlled = TGifBuilder(1, 1)
                                                     .Control(1, 7, 2)
                                                     .Frame(0, 0, 1, 1, {2})
                                                     .Control(5, 0)
                                                     .Frame(0, 0, 1, 1, {1})
                                                     .Finish();
    image = Load(controlled);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Frame(1).Delay, 70);
    EXPECT_EQ(image->Frame(1).Disposal, TDisposal::Keep);
    EXPECT_TRUE(image->Frame(1).Transparent);
    EXPECT_EQ(image->Frame(1).TransparentColor.Green, 255);
    EXPECT_EQ(image->Frame(2).Disposal, TDisposal::Background);
    EXPECT_FALSE(image->Frame(2).Transparent);
    EXPECT_TRUE(image->Transparent());
}

TEST(GifDecoder, HugePicturesAreRefusedBeforeAllocating)
{
    // A 65535 x 65535 screen with one 1 x 1 frame.
    EXPECT_EQ(LoadGif(TGifBuilder(65535, 65535).Frame(0, 0, 1, 1, {1}).Finish()).Error, GifError::TooLarge);
    // A small screen with a frame far away enlarges past the limit.
    EXPECT_EQ(LoadGif(TGifBuilder(1, 1).Frame(65000, 65000, 1, 1, {1}).Finish()).Error, GifError::TooLarge);
    // A lower limit applies to the frames' total too.
    const std::vector<std::uint8_t> twoFrames = TGifBuilder(4, 1).Frame(0, 0, 4, 1, {1, 1, 1, 1}).Frame(0, 0, 4, 1, {2, 2, 2, 2}).Finish();
    EXPECT_EQ(LoadGif(twoFrames, {4, 7}).Error, GifError::TooLarge);
    EXPECT_TRUE(LoadGif(twoFrames, {4, 8}).Image);
}

// Interlaced rows are stored by pass: rows 0, then 2, then 1.
TEST(GifDecoder, InterlacedFrameOfHeightThree)
{
    std::unique_ptr<TGIFImage> image = Load(TGifBuilder(1, 3).Frame(0, 0, 1, 3, {1, 2, 3}, true).Finish());
    ASSERT_TRUE(image);
    EXPECT_EQ(WorkPixel(*image, 0, 0), kRed);
    EXPECT_EQ(WorkPixel(*image, 0, 1), kBlue);
    EXPECT_EQ(WorkPixel(*image, 0, 2), kGreen);
}

// Frame 1 keeps a transparent hole; frame 2 restores the background under
// it; frame 3 restores what was there before it.
std::vector<std::uint8_t> DisposalGif()
{
    return TGifBuilder(3, 1)
        .Control(1, 10, 0)
        .Frame(0, 0, 3, 1, {1, 0, 1}) // red, transparent, red
        .Control(2, 10)
        .Frame(0, 0, 2, 1, {2, 2})    // green green, then cleared
        .Control(3, 10)
        .Frame(2, 0, 1, 1, {3})       // blue, then the red back
        .Control(0, 10)
        .Frame(1, 0, 1, 1, {3})
        .Finish();
}

TEST(GifDecoder, DisposalsComposeTheFrames)
{
    std::unique_ptr<TGIFImage> image = Load(DisposalGif());
    ASSERT_TRUE(image);
    EXPECT_EQ(WorkPixel(*image, 0, 0), kRed);
    EXPECT_EQ(WorkPixel(*image, 1, 0), 0u);
    image->SetCurrentFrame(2);
    EXPECT_EQ(WorkPixel(*image, 0, 0), kGreen);
    EXPECT_EQ(WorkPixel(*image, 1, 0), kGreen);
    image->SetCurrentFrame(3);
    EXPECT_EQ(WorkPixel(*image, 0, 0), 0u);
    EXPECT_EQ(WorkPixel(*image, 1, 0), 0u);
    EXPECT_EQ(WorkPixel(*image, 2, 0), kBlue);
    image->SetCurrentFrame(4);
    EXPECT_EQ(WorkPixel(*image, 1, 0), kBlue);
    EXPECT_EQ(WorkPixel(*image, 2, 0), kRed);
    // Numbers past the end wrap to frame 1, below 1 to the last frame.
    image->SetCurrentFrame(9);
    EXPECT_EQ(image->CurrentFrame(), 1);
    image->SetCurrentFrame(0);
    EXPECT_EQ(image->CurrentFrame(), 4);
}

QImage DrawOverBlue(TGIFImage& image, const TBackgroundPainter& painter)
{
    QImage page(5, 1, QImage::Format_RGB32);
    page.fill(kBlue);
    TCanvas canvas(&page);
    image.Draw(canvas, 1, 0, 3, 1, painter);
    return page;
}

// The page shows through the rectangle that disposal 2 cleared, with or
// without the background picture.
TEST(GifDecoder, DrawShowsThePageThroughTransparentParts)
{
    std::unique_ptr<TGIFImage> image = Load(DisposalGif());
    ASSERT_TRUE(image);
    const TBackgroundPainter bluePage = [](QImage& background) { background.fill(kBlue); };
    QImage page = DrawOverBlue(*image, bluePage);
    EXPECT_EQ(page.pixel(1, 0), kRed);
    EXPECT_EQ(page.pixel(2, 0), kBlue);
    image->SetCurrentFrame(2);
    image->SetCurrentFrame(3);
    for (const TBackgroundPainter& painter : {bluePage, TBackgroundPainter()}) {
        page = DrawOverBlue(*image, painter);
        EXPECT_EQ(page.pixel(0, 0), kBlue);
        EXPECT_EQ(page.pixel(1, 0), kBlue);
        EXPECT_EQ(page.pixel(2, 0), kBlue);
        EXPECT_EQ(page.pixel(3, 0), kBlue);
    }
    image->SetCurrentFrame(4);
    page = DrawOverBlue(*image, bluePage);
    EXPECT_EQ(page.pixel(3, 0), kRed);
    image->SetVisible(false);
    page = DrawOverBlue(*image, bluePage);
    EXPECT_EQ(page.pixel(3, 0), kBlue);
}

TEST(GifDecoder, CopiesAnimateOnTheirOwn)
{
    std::unique_ptr<TGIFImage> image = Load(DisposalGif());
    ASSERT_TRUE(image);
    image->SetCurrentFrame(2);
    image->SetCurrentFrame(3);
    TGIFImage copy(*image);
    EXPECT_TRUE(copy.IsCopy());
    EXPECT_EQ(copy.CurrentFrame(), 1);
    EXPECT_EQ(WorkPixel(copy, 0, 0), kRed);
    copy.SetCurrentFrame(2);
    EXPECT_EQ(WorkPixel(copy, 0, 0), kGreen);
    EXPECT_EQ(WorkPixel(*image, 0, 0), 0u);
    EXPECT_EQ(&copy.Frame(1).ColorTable(), &copy.GlobalColorTable());
    // The copy bitmap is frame 1 on its transparent colour (black here).
    const QImage bitmap = copy.CopyBitmap();
    EXPECT_EQ(bitmap.pixel(0, 0), kRed);
    EXPECT_EQ(bitmap.pixel(1, 0), kBlack);
}

// Steps 100 ms apart; returns the frame shown after each step, until the
// animation stops or 12 steps have passed.
std::vector<int> Play(TGIFImage& image, int& repaints)
{
    repaints = 0;
    std::vector<int> shown;
    image.SetAnimate(true, 0);
    for (std::int64_t now = 100; now <= 1200 && image.Animate(); now += 100) {
        if (image.AnimationStep(now))
            ++repaints;
        shown.push_back(image.CurrentFrame());
    }
    return shown;
}

std::vector<std::uint8_t> TwoFrames(int loop)
{
    TGifBuilder builder(1, 1);
    if (loop >= 0)
        builder.Loop(loop);
    return builder.Control(0, 10).Frame(0, 0, 1, 1, {1}).Control(0, 10).Frame(0, 0, 1, 1, {2}).Finish();
}

TEST(GifDecoder, AnimationHonoursTheLoopCount)
{
    int repaints = 0;
    // The first due tick only starts; two loops show each frame twice, then
    // the last frame stays.
    std::unique_ptr<TGIFImage> twice = Load(TwoFrames(2));
    ASSERT_TRUE(twice);
    EXPECT_EQ(Play(*twice, repaints), (std::vector<int>{1, 2, 1, 2, 2}));
    EXPECT_EQ(repaints, 3);
    EXPECT_FALSE(twice->Animate());
    // Without the extension the frames play once.
    std::unique_ptr<TGIFImage> once = Load(TwoFrames(-1));
    ASSERT_TRUE(once);
    EXPECT_EQ(Play(*once, repaints), (std::vector<int>{1, 2, 2}));
    // Loop count 0 plays endless.
    std::unique_ptr<TGIFImage> endless = Load(TwoFrames(0));
    ASSERT_TRUE(endless);
    EXPECT_EQ(Play(*endless, repaints).size(), 12u);
    EXPECT_TRUE(endless->Animate());
    // A step before the delay is up changes nothing.
    endless->SetAnimate(false, 0);
    endless->SetAnimate(true, 5000);
    const int frame = endless->CurrentFrame();
    EXPECT_FALSE(endless->AnimationStep(5050));
    EXPECT_EQ(endless->CurrentFrame(), frame);
}

// The shape of a hostile animation: an 8192 x 8192 screen and frames that
// cover it and restore what was under them, each with two bytes of data.
std::vector<std::uint8_t> ScreenFillingGif(int frames)
{
    std::vector<std::uint8_t> gif = {
        'G', 'I', 'F', '8', '9', 'a',
        0x00, 0x20, 0x00, 0x20, 0x80, 0x00, 0x00, // screen 8192 x 8192, global table of 2 colours
        0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF,       // black, white
    };
    const std::vector<std::uint8_t> frame = {
        0x21, 0xF9, 0x04, 0x0C, 0x0A, 0x00, 0x00, 0x00, // graphic control: disposal 3, 100 ms
        0x2C, 0x00, 0x00, 0x00, 0x00,                   // image at (0, 0)
        0x00, 0x20, 0x00, 0x20, 0x00,                   // 8192 x 8192
        0x02, 0x02, 0x44, 0x01, 0x00,                   // LZW size 2, two bytes of codes
    };
    for (int i = 0; i < frames; ++i)
        gif.insert(gif.end(), frame.begin(), frame.end());
    gif.push_back(0x3B);
    return gif;
}

TEST(GifDecoder, AnAnimationPastItsMemoryBudgetShowsItsFirstFrameStill)
{
    // 131 bytes that would animate with three full-screen copies of 256 MB.
    const std::vector<std::uint8_t> hostile = ScreenFillingGif(4);
    TGIFImage scanned;
    ASSERT_EQ(scanned.Scan(hostile), GifError::None);
    EXPECT_GT(scanned.AnimationBytes(), kMaxGifAnimationBytes);
    TGifLoadResult loaded = LoadGif(hostile);
    ASSERT_TRUE(loaded.Image);
    EXPECT_TRUE(loaded.Still);
    EXPECT_TRUE(loaded.OverBudget);
    EXPECT_EQ(loaded.Image->FrameCount(), 1);
    EXPECT_EQ(loaded.Image->Width(), 8192);

    // The budget is the caller's: nothing left, a small animation is still too.
    TGifLimits noRoom;
    noRoom.MaxAnimationBytes = 0;
    EXPECT_TRUE(LoadGif(TwoFrames(0), noRoom).OverBudget);
    EXPECT_FALSE(LoadGif(TwoFrames(0)).Still);
}

TEST(GifDecoder, OnlyTheFrameOnShowKeepsWhatItCovered)
{
    TGifBuilder builder(2, 2);
    for (std::uint8_t color = 1; color <= 3; ++color)
        builder.Control(3, 10).Frame(0, 0, 2, 2, std::vector<std::uint8_t>(4, color));
    std::unique_ptr<TGIFImage> image = Load(builder.Finish());
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->Frame(1).SavedArea.isNull());
    image->SetCurrentFrame(2);
    EXPECT_TRUE(image->Frame(1).SavedArea.isNull());
    EXPECT_FALSE(image->Frame(2).SavedArea.isNull());
    image->SetCurrentFrame(3);
    EXPECT_TRUE(image->Frame(2).SavedArea.isNull());
    // Each frame still gives back the black screen it covered.
    image->SetCurrentFrame(1);
    EXPECT_TRUE(image->Frame(3).SavedArea.isNull());
    EXPECT_EQ(WorkPixel(*image, 1, 1), kRed);
    image->SetCurrentFrame(2);
    image->SetCurrentFrame(3);
    image->SetCurrentFrame(1);
    EXPECT_EQ(WorkPixel(*image, 1, 1), kRed);
}

} // namespace

