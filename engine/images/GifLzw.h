#pragma once
// The variable-length LZW code reader of GIF image data, and the errors the
// GIF decoder reports.

#include <cstddef>
#include <cstdint>
#include <span>

enum class GifError {
    None,
    NotGif,    // the data does not start with "GIF"
    Truncated, // the data ends inside a header, table, block or code stream
    BadCode,   // a code the table cannot explain, or a minimum code size out of range
    TooLarge,  // the picture is above the decoder's pixel limit
    NoImage,   // the data holds no image
};

struct TLzwResult {
    std::size_t PixelCount = 0; // values written, from the start of the output
    GifError Error = GifError::None;
};

// Minimum code sizes the decoder takes. GIF files use 2 to 8; 11 is the most
// a 12-bit code can hold together with its clear and end codes.
constexpr int kMinLzwCodeSize = 2;
constexpr int kMaxLzwCodeSize = 11;

// Decodes `codes` (the frame's data sub-blocks joined together) into `pixels`
// in stream order, until the end code, the end of the codes, or a full output.
// Values past the output are read and dropped. The output holds the values
// decoded before any error.
TLzwResult DecodeLzw(int minCodeSize, std::span<const std::uint8_t> codes,
                     std::span<std::uint8_t> pixels);
