#include "engine/images/BmpReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <bit>
#include <cstdlib>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::uint32_t kCompressionBitfields = 3;

std::uint32_t Read32(std::span<const std::uint8_t> data, std::size_t at)
{
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8
        | static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}

std::uint16_t Read16(std::span<const std::uint8_t> data, std::size_t at)
{
    return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}

// One channel of a direct-colour pixel: its mask, scaled to 0..255 with
// rounding, whatever the number of bits (an empty mask reads 0).
class TChannel {
public:
    explicit TChannel(std::uint32_t mask)
        : Mask(mask), Shift(mask == 0 ? 0 : std::countr_zero(mask)),
          Maximum(mask == 0 ? 0 : (std::uint64_t{mask} >> Shift))
    {
    }
    bool Present() const { return Mask != 0; }
    int Value(std::uint32_t pixel) const
    {
        if (Maximum == 0)
            return 0;
        const std::uint64_t value = (pixel & Mask) >> Shift;
        return static_cast<int>((value * 255 + Maximum / 2) / Maximum);
    }

private:
    std::uint32_t Mask;
    int Shift;
    std::uint64_t Maximum;
};

// Windows info headers of 40 bytes and more; OS/2 headers go to Qt.
bool IsWindowsInfoHeader(std::uint32_t size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Uncompressed 16- and 32-bit pixels with the default or the given masks.
// BI_RGB 32-bit files keep their fourth byte unused: they are opaque.
QImage DecodeDirectColor(std::span<const std::uint8_t> data, std::uint32_t headerSize, int bitCount,
                         std::uint32_t compression, std::int64_t width, std::int64_t height, std::uint32_t offset)
{
    std::uint32_t masks[4] = {0, 0, 0, 0};
    if (compression == kCompressionBitfields) {
        const std::size_t maskCount = headerSize >= 56 ? 4 : 3;
        if (data.size() < kFileHeaderSize + 40 + 4 * maskCount)
            return {};
        for (std::size_t i = 0; i < maskCount; ++i)
            masks[i] = Read32(data, kFileHeaderSize + 40 + 4 * i);
    } else if (bitCount == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    }
    const TChannel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    const bool topDown = height < 0;
    const int rows = static_cast<int>(std::abs(height));
    const std::size_t stride = static_cast<std::size_t>((bitCount * width + 31) / 32 * 4);
    QImage image(static_cast<int>(width), rows, alpha.Present() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(alpha.Present() ? 0u : 0xFF000000u);
    const std::size_t bytesPerPixel = static_cast<std::size_t>(bitCount / 8);
    // Rows past the end of the data stay black: a cut file shows what it has.
    for (int row = 0; row < rows; ++row) {
        const std::size_t at = offset + static_cast<std::size_t>(row) * stride;
        if (at > data.size() || data.size() - at < stride)
            break;
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(topDown ? row : rows - 1 - row));
        for (int x = 0; x < image.width(); ++x) {
            const std::size_t pixelAt = at + static_cast<std::size_t>(x) * bytesPerPixel;
            const std::uint32_t pixel = bitCount == 16 ? Read16(data, pixelAt) : Read32(data, pixelAt);
            line[x] = qRgba(red.Value(pixel), green.Value(pixel), blue.Value(pixel),
                            alpha.Present() ? alpha.Value(pixel) : 255);
        }
    }
    return image;
}

QImage DecodeWithQt(std::span<const std::uint8_t> data, std::int64_t maxPixels)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()),
                                                     static_cast<qsizetype>(data.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer, "bmp");
    const QSize size = reader.size(); // top-down files have a negative height
    const std::int64_t width = size.width();
    const std::int64_t height = std::abs(std::int64_t{size.height()});
    if (width <= 0 || height <= 0 || width * height > maxPixels)
        return {};
    // Qt has an allocation limit of its own (128 MB: 33.5 megapixels at the
    // four bytes a pixel its BMP reader gives, whatever the file's depth).
    // The pixel count is checked above; the limit must let through all it
    // allows. It is Qt's process-wide setting, so it is set before each read.
    constexpr std::int64_t kBytesPerPixel = 4;
    constexpr std::int64_t kMegabyte = 1024 * 1024;
    QImageReader::setAllocationLimit(static_cast<int>((maxPixels * kBytesPerPixel + kMegabyte - 1) / kMegabyte));
    return reader.read();
}

} // namespace

QImage DecodeBmp(std::span<const std::uint8_t> data, std::int64_t maxPixels)
{
    if (data.size() < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M')
        return {};
    // Pixels that would start past the end of the file cannot be shown.
    const std::uint32_t offset = Read32(data, 10);
    if (offset >= data.size())
        return {};
    const std::uint32_t headerSize = Read32(data, kFileHeaderSize);
    if (IsWindowsInfoHeader(headerSize) && data.size() >= kFileHeaderSize + 40) {
        const std::int64_t width = static_cast<std::int32_t>(Read32(data, 18));
        const std::int64_t height = static_cast<std::int32_t>(Read32(data, 22));
        const int planes = Read16(data, 26);
        const int bitCount = Read16(data, 28);
        const std::uint32_t compression = Read32(data, 30);
        const bool directColor = (bitCount == 16 || bitCount == 32)
            && (compression == kCompressionRgb || compression == kCompressionBitfields);
        if (directColor) {
            if (planes != 1 || width <= 0 || height == 0 || width * std::abs(height) > maxPixels)
                return {};
            return DecodeDirectColor(data, headerSize, bitCount, compression, width, height, offset);
        }
    }
    return DecodeWithQt(data, maxPixels);
}
