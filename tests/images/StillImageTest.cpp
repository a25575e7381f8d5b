// The still loaders: image kinds, BMP through the BMP suite and malformed
// files, JPEG through malformed files, masks.

#include "engine/images/ImageLoader.h"
#include "tests/TestSupport.h"
#include "tests/images/ImageCompare.h"

#include <QBuffer>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Bytes(const fs::path& path)
{
    const std::string text = ReadFileBytes(path);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

QImage Decode(const fs::path& path)
{
    return DecodeStillImage(Bytes(path));
}

QImage Png(const fs::path& path)
{
    return QImage(QString::fromStdString(path.string()));
}

std::vector<std::uint8_t> PngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

// A 3 x 3 RGBA picture stored interlaced (Adam7), which Qt's writer cannot
// make: a blue-ish gradient, a half-transparent red centre and a fully
// transparent lower-right pixel.
const std::vector<std::uint8_t> kInterlacedPng = {
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A,                                     // signature
    0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, // IHDR 3 x 3,
    0x00, 0x03, 0x08, 0x06, 0x00, 0x00, 0x01, 0x21, 0x2F, 0x85, 0x29,                   // RGBA, Adam7
    0x00, 0x00, 0x00, 0x24, 0x49, 0x44, 0x41, 0x54, 0x78, 0xDA, 0x63, 0x60, 0x60, 0x38, // IDAT
    0xF1, 0x9F, 0x21, 0x00, 0x44, 0x30, 0x04, 0x80, 0x08, 0x20, 0xD0, 0x00, 0xF1, 0x34,
    0xC0, 0x3C, 0x8D, 0x13, 0xFF, 0x81, 0x64, 0x43, 0x00, 0x90, 0x06, 0x00, 0x2F, 0xB3,
    0x0F, 0xD1, 0xF0, 0xA8, 0xB7, 0x6E,
    0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,             // IEND
};

TEST(ImageKind, FirstBytesDecide)
{
    using K = TImageKind;
    const std::pair<std::vector<std::uint8_t>, K> cases[] = {
        {{'G', 'I', 'F', '8', '9', 'a'}, K::Gif89}, {{'G', 'I', 'F', '8', '7', 'a'}, K::Gif87},
        {{'G', 'I', 'F', '8'}, K::Gif87},           {{'G', 'I', 'F', '9'}, K::None},
        {{'B', 'M'}, K::Bmp},                       {{0x89, 'P', 'N', 'G', 13, 10}, K::Png},
        {{0xFF, 0xD8, 0xFF}, K::Jpeg},              {{0xFF}, K::None},
        {{}, K::None},
    };
    for (const auto& [bytes, kind] : cases)
        EXPECT_EQ(ImageKindOf(bytes), kind) << bytes.size();
    EXPECT_EQ(ImageKindOfFile("/nonexistent/picture.gif"), K::None);
}

struct TExpectedBmp {
    std::string File;
    std::vector<std::string> Targets;
    int Tolerance = 0;
};

std::vector<TExpectedBmp> ExpectedBmps()
{
    std::ifstream in(TestDataDir() / "bmp-suite" / "expected.tsv");
    std::vector<TExpectedBmp> result;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        TExpectedBmp entry;
        std::string targets;
        std::string tolerance;
        std::getline(fields, entry.File, '\t');
        std::getline(fields, targets, '\t');
        std::getline(fields, tolerance, '\t');
        entry.Tolerance = std::stoi(tolerance);
        std::istringstream alternatives(targets);
        std::string target;
        while (alternatives >> target)
            if (target != "|")
                entry.Targets.push_back(target);
        result.push_back(entry);
    }
    return result;
}

// Good files match one of their references; questionable ones decode or
// are refused, and when they decode the size is right.
TEST(BmpSuite, GoodFilesMatchAndOthersSurvive)
{
    ZEF_REQUIRE_TESTDATA("bmp-suite");
    const fs::path suite = TestDataDir() / "bmp-suite";
    int good = 0;
    for (const TExpectedBmp& entry : ExpectedBmps()) {
        SCOPED_TRACE(entry.File);
        const QImage decoded = Decode(suite / entry.File);
        std::string differences;
        bool matched = false;
        for (const std::string& target : entry.Targets) {
            const std::string difference = CompareImages(decoded, Png(suite / target), entry.Tolerance);
            matched = matched || difference.empty();
            differences += target + ": " + difference + "\n";
        }
        if (entry.File.starts_with("g/")) {
            EXPECT_TRUE(matched) << differences;
            ++good;
        } else if (!decoded.isNull() && !matched) {
            EXPECT_EQ(decoded.size(), Png(suite / entry.Targets.front()).size()) << differences;
        }
    }
    EXPECT_EQ(good, 27);
    for (const auto& entry : fs::directory_iterator(suite / "b")) {
        SCOPED_TRACE(entry.path().string());
        const QImage decoded = Decode(entry.path());
        if (!decoded.isNull()) {
            EXPECT_LE(std::int64_t{decoded.width()} * decoded.height(), kMaxStillPixels);
        }
    }
}

fs::path Malformed(const std::string& path)
{
    return TestDataDir() / "malformed" / path;
}

TEST(StillMalformed, BmpFilesDecodeOrAreRefused)
{
    ZEF_REQUIRE_TESTDATA("malformed");
    for (const char* name : {"bmp_base24", "bmp_base8", "bmp_rle8_base"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(CompareImages(Decode(Malformed(std::string("bmp/") + name + ".bmp")),
                                Png(Malformed(std::string("expected/") + name + ".png"))), "");
    }
    const char* refused[] = {
        "bmp_trunc_fileheader", "bmp_trunc_infoheader", "bmp_height_int_min", "bmp_width_negative",
        "bmp_zero_size", "bmp_huge_dimensions", "bmp_width_overflows_stride", "bmp_offset_past_eof",
        "bmp_header_size_huge", "bmp_bpp_0", "bmp_bpp_7", "bmp_palette_truncated", "bmp_rle8_as_24bpp",
    };
    for (const char* name : refused)
        EXPECT_TRUE(Decode(Malformed(std::string("bmp/") + name + ".bmp")).isNull()) << name;
    // Bottom-up rows: the 12 rows present are the bottom ones.
    const QImage partial = Decode(Malformed("bmp/bmp_trunc_pixels.bmp"));
    if (!partial.isNull()) {
        const QImage base = Png(Malformed("expected/bmp_base24.png"));
        EXPECT_EQ(CompareImages(partial.copy(0, 12, 32, 12), base.copy(0, 12, 32, 12)), "");
    }
    // Every other file is refused or shows a picture of the size its header
    // declares (a negative height is a top-down picture); the sanitizer build
    // checks that no decoding reads or writes out of bounds.
    for (const auto& entry : fs::directory_iterator(Malformed("bmp"))) {
        const QImage image = Decode(entry.path());
        if (image.isNull())
            continue;
        const std::string bytes = ReadFileBytes(entry.path());
        ASSERT_GE(bytes.size(), 26u) << entry.path();
        const auto declared = [&bytes](std::size_t at) {
            std::uint32_t value = 0;
            for (std::size_t byte = 4; byte-- > 0;)
                value = value << 8 | static_cast<unsigned char>(bytes[at + byte]);
            return static_cast<std::int64_t>(static_cast<std::int32_t>(value));
        };
        EXPECT_EQ(image.width(), declared(18)) << entry.path();
        EXPECT_EQ(image.height(), std::abs(declared(22))) << entry.path();
    }
}

TEST(StillMalformed, JpegFilesDecodeOrAreRefused)
{
    ZEF_REQUIRE_TESTDATA("malformed");
    const QImage base = Decode(Malformed("jpeg/jpeg_base.jpg"));
    ASSERT_EQ(base.size(), QSize(64, 48));
    for (const char* name : {"jpeg_no_eoi", "jpeg_progressive_base", "jpeg_restart_base"})
        EXPECT_EQ(CompareImages(Decode(Malformed(std::string("jpeg/") + name + ".jpg")), base), "") << name;
    const char* refused[] = {
        "jpeg_trunc_headers", "jpeg_soi_only", "jpeg_dimensions_65535", "jpeg_dimensions_65500",
        "jpeg_zero_height", "jpeg_bad_huffman_table", "jpeg_missing_quant_table", "jpeg_zero_sampling",
        "jpeg_scan_unknown_component",
    };
    for (const char* name : refused)
        EXPECT_TRUE(Decode(Malformed(std::string("jpeg/") + name + ".jpg")).isNull()) << name;
    // The whole MCUs before the cut are kept.
    const QImage cut = Decode(Malformed("jpeg/jpeg_trunc_mid_scan.jpg"));
    ASSERT_FALSE(cut.isNull());
    EXPECT_EQ(CompareImages(cut.copy(0, 0, 64, 14), base.copy(0, 0, 64, 14)), "");
    EXPECT_EQ(CompareImages(cut.copy(0, 14, 30, 16), base.copy(0, 14, 30, 16)), "");
    for (const char* name : {"jpeg_progressive_trunc", "jpeg_trunc_after_sos", "jpeg_segment_length_1"}) {
        const QImage decoded = Decode(Malformed(std::string("jpeg/") + name + ".jpg"));
        EXPECT_TRUE(decoded.isNull() || decoded.size() == base.size()) << name;
    }
    for (const auto& entry : fs::directory_iterator(Malformed("jpeg")))
        Decode(entry.path());
}

// The mask is white where the lower-left pixel's colour is.
// A BMP of one bit a pixel: small data for a large picture, which Qt's
// reader still decodes at four bytes a pixel.
std::vector<std::uint8_t> MonochromeBmp(std::int32_t width, std::int32_t height)
{
    const std::uint32_t rowBytes = ((static_cast<std::uint32_t>(width) + 31) / 32) * 4;
    const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(height);
    const std::uint32_t offset = 14 + 40 + 8;
    std::vector<std::uint8_t> data;
    const auto put = [&data](std::uint32_t value, int bytes) {
        for (int byte = 0; byte < bytes; ++byte)
            data.push_back(static_cast<std::uint8_t>(value >> (8 * byte)));
    };
    data = {'B', 'M'};
    put(offset + pixelBytes, 4);
    put(0, 4);
    put(offset, 4);
    put(40, 4); // BITMAPINFOHEADER: size, width, height, planes, bits, no compression
    put(static_cast<std::uint32_t>(width), 4);
    put(static_cast<std::uint32_t>(height), 4);
    put(1, 2);
    put(1, 2);
    put(0, 4);
    put(pixelBytes, 4);
    put(2835, 4);
    put(2835, 4);
    put(2, 4);
    put(0, 4);
    put(0x000000, 4); // palette: black, white
    put(0xFFFFFF, 4);
    data.resize(data.size() + pixelBytes, 0x55); // alternate black and white
    return data;
}

// The README promises 64 megapixels for BMP as for the other formats.
TEST(StillImage, BmpUpToTheDocumentedSixtyFourMegapixels)
{
    for (const QSize size : {QSize(6000, 6000), QSize(8192, 8192)}) {
        SCOPED_TRACE(size.width());
        const QImage picture = DecodeStillImage(MonochromeBmp(size.width(), size.height()));
        ASSERT_EQ(picture.size(), size);
        EXPECT_EQ(picture.pixel(0, 0), 0xFF000000);
        EXPECT_EQ(picture.pixel(size.width() - 1, size.height() - 1), 0xFFFFFFFF);
    }
    EXPECT_TRUE(DecodeStillImage(MonochromeBmp(8192, 8193)).isNull());
}

TEST(StillImage, MaskFromTheLowerLeftPixel)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(0xFF0000FF);
    picture.setPixel(2, 0, 0xFFFF0000);
    picture.setPixel(1, 1, 0xFFFF0000);
    const QImage mask = MakeMask(picture);
    ASSERT_EQ(mask.format(), QImage::Format_Mono);
    EXPECT_EQ(mask.pixelIndex(0, 0), 1);
    EXPECT_EQ(mask.pixelIndex(2, 0), 0);
    EXPECT_EQ(mask.pixelIndex(1, 1), 0);
    EXPECT_EQ(mask.pixelIndex(0, 1), 1);
    EXPECT_TRUE(MakeMask(QImage()).isNull());
}

TEST(StillImage, StreamLoaderRules)
{
    ZEF_REQUIRE_TESTDATA("malformed");
    const std::vector<std::uint8_t> bmp = Bytes(Malformed("bmp/bmp_base8.bmp"));
    const std::vector<std::uint8_t> jpeg = Bytes(Malformed("jpeg/jpeg_base.jpg"));
    TTransparency transparency = TTransparency::LowerLeft;
    QImage mask;
    EXPECT_FALSE(LoadStillImage(bmp, transparency, mask).isNull());
    EXPECT_FALSE(mask.isNull());
    // JPEG data from a stream is never transparent.
    EXPECT_FALSE(LoadStillImage(jpeg, transparency, mask).isNull());
    EXPECT_EQ(transparency, TTransparency::None);
    EXPECT_TRUE(mask.isNull());
    // Fewer than 20 bytes, and other kinds, give nothing.
    const std::vector<std::uint8_t> shortData(bmp.begin(), bmp.begin() + 19);
    EXPECT_TRUE(LoadStillImage(shortData, transparency, mask).isNull());
    const std::vector<std::uint8_t> gif = Bytes(Malformed("gif/gif_base.gif"));
    EXPECT_TRUE(LoadStillImage(gif, transparency, mask).isNull());
    // A file asked for with transparency gets its mask; a missing file nothing.
    transparency = TTransparency::LowerLeft;
    EXPECT_FALSE(LoadStillImage(Malformed("bmp/bmp_base24.bmp"), transparency, mask).isNull());
    EXPECT_EQ(mask.size(), QSize(32, 24));
    EXPECT_TRUE(LoadStillImage(Malformed("bmp/absent.bmp"), transparency, mask).isNull());
}

// PNG pictures decode only when asked for, with their alpha premultiplied
// for drawing; interlaced ones too; damaged ones and those whose header
// claims more than the pixel limit give nothing.
TEST(StillImage, PngOnlyWhenAskedFor)
{
    QImage source(4, 2, QImage::Format_ARGB32);
    source.fill(qRgba(0, 0, 255, 255));
    source.setPixel(0, 0, qRgba(255, 0, 0, 128));
    source.setPixel(1, 0, qRgba(0, 0, 0, 0));
    const std::vector<std::uint8_t> alpha = PngBytes(source);
    EXPECT_TRUE(DecodeStillImage(alpha).isNull());
    const QImage decoded = DecodeStillImage(alpha, kMaxStillPixels, TPngPictures::Decoded);
    ASSERT_EQ(decoded.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(decoded.size(), QSize(4, 2));
    EXPECT_EQ(decoded.pixel(0, 0), qPremultiply(qRgba(255, 0, 0, 128)));
    EXPECT_EQ(qAlpha(decoded.pixel(1, 0)), 0);
    EXPECT_EQ(decoded.pixel(3, 1), qRgba(0, 0, 255, 255));
    // Without alpha, the picture is plain RGB32.
    QImage opaque(5, 5, QImage::Format_RGB32);
    opaque.fill(qRgb(10, 20, 30));
    EXPECT_EQ(DecodeStillImage(PngBytes(opaque), kMaxStillPixels, TPngPictures::Decoded).format(),
              QImage::Format_RGB32);

    const QImage interlaced = DecodeStillImage(kInterlacedPng, kMaxStillPixels, TPngPictures::Decoded);
    ASSERT_EQ(interlaced.size(), QSize(3, 3));
    EXPECT_EQ(interlaced.pixel(2, 1), qRgba(80, 40, 200, 255));
    EXPECT_EQ(qAlpha(interlaced.pixel(1, 1)), 128);
    EXPECT_EQ(qAlpha(interlaced.pixel(2, 2)), 0);

    // A damaged data chunk, a cut file, and a header claiming 100000 x 100000.
    std::vector<std::uint8_t> damaged = kInterlacedPng;
    damaged[45] ^= 0x55;
    EXPECT_TRUE(DecodeStillImage(damaged, kMaxStillPixels, TPngPictures::Decoded).isNull());
    const std::vector<std::uint8_t> cut(kInterlacedPng.begin(), kInterlacedPng.begin() + 40);
    EXPECT_TRUE(DecodeStillImage(cut, kMaxStillPixels, TPngPictures::Decoded).isNull());
    std::vector<std::uint8_t> huge = PngBytes(opaque);
    const std::uint8_t claimed[] = {0x00, 0x01, 0x86, 0xA0};
    std::copy(std::begin(claimed), std::end(claimed), huge.begin() + 16);
    std::copy(std::begin(claimed), std::end(claimed), huge.begin() + 20);
    EXPECT_TRUE(DecodeStillImage(huge, kMaxStillPixels, TPngPictures::Decoded).isNull());

    // From a stream, with the mask of the lower-left pixel when asked for.
    TTransparency transparency = TTransparency::LowerLeft;
    QImage mask;
    EXPECT_TRUE(LoadStillImage(alpha, transparency, mask).isNull());
    EXPECT_FALSE(LoadStillImage(alpha, transparency, mask, kMaxStillPixels, TPngPictures::Decoded).isNull());
    EXPECT_EQ(mask.size(), QSize(4, 2));
}

} // namespace
