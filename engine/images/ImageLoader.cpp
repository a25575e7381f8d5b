#include "engine/images/ImageLoader.h"

#include "engine/base/RegularFile.h"
#include "engine/images/BmpReader.h"
#include "engine/canvas/Canvas.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <cstring>
#include <jpeglib.h>

namespace {

constexpr std::size_t kKindBytes = 11;
constexpr std::size_t kMinStreamSize = 20;
constexpr QRgb kJpegPadding = 0xFF808080; // rows a broken JPEG never reached

bool StartsWith(std::span<const std::uint8_t> data, std::initializer_list<std::uint8_t> prefix)
{
    return data.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), data.begin());
}

bool FitsPixelLimit(std::int64_t width, std::int64_t height, std::int64_t maxPixels)
{
    return width > 0 && height > 0 && width * height <= maxPixels;
}

QImage ForScreen(const QImage& image)
{
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

// libjpeg reports fatal errors through error_exit, which must not return: it
// jumps back to the decoder, which gives up or keeps the rows it has.
struct TJpegErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
};

[[noreturn]] void JumpOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TJpegErrorManager*>(info->err)->Jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

void LimitScans(j_common_ptr info)
{
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxJpegScans)
        JumpOnError(info);
}

struct TJpegOutput {
    QImage Image;
    int RowsRead = 0;
};

void StoreRow(const JSAMPLE* row, const jpeg_decompress_struct& info, QRgb* target)
{
    const JDIMENSION width = info.output_width;
    if (info.out_color_space == JCS_CMYK) {
        // Adobe writes CMYK inverted.
        const bool inverted = info.saw_Adobe_marker;
        for (JDIMENSION x = 0; x < width; ++x) {
            int c = row[4 * x], m = row[4 * x + 1], y = row[4 * x + 2], k = row[4 * x + 3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            target[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
        }
        return;
    }
    for (JDIMENSION x = 0; x < width; ++x)
        target[x] = qRgb(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
}

// Runs libjpeg between setjmp and the end; only trivially destructible objects
// live in this frame, so that a jump skips no destructor. The row buffer
// belongs to libjpeg's pool and is freed with the decompressor.
bool RunJpegDecoder(std::span<const std::uint8_t> data, std::int64_t maxPixels, TJpegOutput& output)
{
    jpeg_decompress_struct info;
    TJpegErrorManager errors;
    jpeg_progress_mgr progress;
    info.err = jpeg_std_error(&errors.Base);
    errors.Base.error_exit = JumpOnError;
    errors.Base.output_message = IgnoreMessage;
    progress.progress_monitor = LimitScans;
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&info);
        return output.RowsRead > 0;
    }
    jpeg_create_decompress(&info);
    info.progress = &progress;
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    if (!FitsPixelLimit(info.image_width, info.image_height, maxPixels)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    output.Image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                          QImage::Format_RGB32);
    if (output.Image.isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    output.Image.fill(kJpegPadding);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               info.output_width * static_cast<JDIMENSION>(info.output_components), 1);
    while (info.output_scanline < info.output_height) {
        if (jpeg_read_scanlines(&info, row, 1) != 1)
            break;
        StoreRow(row[0], info, reinterpret_cast<QRgb*>(output.Image.scanLine(output.RowsRead)));
        ++output.RowsRead;
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

QImage DecodeJpeg(std::span<const std::uint8_t> data, std::int64_t maxPixels)
{
    TJpegOutput output;
    if (!RunJpegDecoder(data, maxPixels, output))
        return {};
    return output.Image;
}

// Qt decodes PNG; the size in the header is checked before anything is
// allocated.
QImage DecodePng(std::span<const std::uint8_t> data, std::int64_t maxPixels)
{
    // Qt refuses pictures above its own allocation limit; the limit that
    // counts here is ours, checked below, and a 64-megapixel picture with 16
    // bits a channel takes 512 MB while Qt decodes it.
    constexpr int kQtAllocationMegabytes = 512;
    if (QImageReader::allocationLimit() < kQtAllocationMegabytes)
        QImageReader::setAllocationLimit(kQtAllocationMegabytes);
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                               static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    const QSize size = reader.size();
    if (!FitsPixelLimit(size.width(), size.height(), maxPixels))
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    return ForScreen(image);
}

bool MaskInColor(const QImage& picture, QRgb color, QImage& mask)
{
    mask = QImage(picture.size(), QImage::Format_Mono);
    if (mask.isNull())
        return false;
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mask.fill(0);
    for (int y = 0; y < picture.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        uchar* bits = mask.scanLine(y);
        for (int x = 0; x < picture.width(); ++x)
            if (line[x] == color)
                bits[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
    }
    return true;
}

} // namespace

std::vector<std::uint8_t> ReadFileData(const std::filesystem::path& fileName, bool& ok)
{
    const std::optional<std::string> bytes = ReadRegularFile(fileName.string(), kMaxPictureBytes);
    ok = bytes.has_value();
    return ok ? std::vector<std::uint8_t>(bytes->begin(), bytes->end()) : std::vector<std::uint8_t>();
}

TImageKind ImageKindOf(std::span<const std::uint8_t> firstBytes)
{
    if (StartsWith(firstBytes, {'G', 'I', 'F', '8'}))
        return firstBytes.size() > 4 && firstBytes[4] == '9' ? TImageKind::Gif89 : TImageKind::Gif87;
    if (StartsWith(firstBytes, {'B', 'M'}))
        return TImageKind::Bmp;
    if (StartsWith(firstBytes, {0x89, 'P', 'N', 'G'}))
        return TImageKind::Png;
    if (StartsWith(firstBytes, {0xFF, 0xD8}))
        return TImageKind::Jpeg;
    return TImageKind::None;
}

TImageKind ImageKindOfFile(const std::filesystem::path& fileName)
{
    TRegularFile file(fileName.string(), kMaxPictureBytes);
    std::uint8_t bytes[kKindBytes];
    return ImageKindOf({bytes, file.Read(bytes)});
}

QImage DecodeStillImage(std::span<const std::uint8_t> data, std::int64_t maxPixels, TPngPictures png)
{
    switch (ImageKindOf(data)) {
    case TImageKind::Bmp: {
        const QImage image = DecodeBmp(data, maxPixels);
        return image.isNull() ? QImage() : ForScreen(image);
    }
    case TImageKind::Jpeg: return DecodeJpeg(data, maxPixels);
    case TImageKind::Png: return png == TPngPictures::Decoded ? DecodePng(data, maxPixels) : QImage();
    default: return {};
    }
}

QImage LoadStillImage(const std::filesystem::path& fileName, TPngPictures png)
{
    bool ok = false;
    const std::vector<std::uint8_t> data = ReadFileData(fileName, ok);
    return ok ? DecodeStillImage(data, kMaxStillPixels, png) : QImage();
}

// The file is read once: the mask comes from the same decoded picture.
QImage LoadStillImage(const std::filesystem::path& fileName, TTransparency& transparency, QImage& mask,
                      TPngPictures png)
{
    mask = QImage();
    QImage picture = LoadStillImage(fileName, png);
    if (picture.isNull() || transparency == TTransparency::None)
        return picture;
    mask = MakeMask(picture);
    return mask.isNull() ? QImage() : picture;
}

QImage LoadStillImage(std::span<const std::uint8_t> data, TTransparency& transparency, QImage& mask,
                      std::int64_t maxPixels, TPngPictures png)
{
    mask = QImage();
    if (data.size() < kMinStreamSize)
        return {};
    const TImageKind kind = ImageKindOf(data);
    if (kind != TImageKind::Bmp && kind != TImageKind::Jpeg && kind != TImageKind::Png)
        return {};
    if (kind == TImageKind::Jpeg)
        transparency = TTransparency::None;
    QImage picture = DecodeStillImage(data, maxPixels, png);
    if (!picture.isNull() && transparency == TTransparency::LowerLeft)
        mask = MakeMask(picture);
    return picture;
}

QImage MakeMask(const QImage& picture)
{
    if (picture.isNull())
        return {};
    const QImage colors = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32_Premultiplied
        ? picture
        : picture.convertToFormat(QImage::Format_RGB32);
    const QRgb color = reinterpret_cast<const QRgb*>(colors.constScanLine(colors.height() - 1))[0];
    QImage mask;
    return MaskInColor(colors, color, mask) ? mask : QImage();
}

void DrawTransparent(TCanvas& canvas, const QImage& picture, const QImage& mask, int x, int y, int width,
                     int height)
{
    canvas.DrawMasked({x, y, x + width, y + height}, picture, mask);
}
