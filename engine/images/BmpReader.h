#pragma once
// BMP pictures: Qt's BMP reader, with the header checked first, and our own
// reading of uncompressed 16- and 32-bit files, whose channels Qt does not
// scale to the full range.

#include <QImage>
#include <cstdint>
#include <span>

// The picture, or a null image when the data is not a BMP that can be shown
// or holds more than `maxPixels` pixels.
QImage DecodeBmp(std::span<const std::uint8_t> data, std::int64_t maxPixels);
