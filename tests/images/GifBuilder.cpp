#include "tests/images/GifBuilder.h"

#include <algorithm>

void TBitWriter::Put(int code, int bits)
{
    Buffer |= static_cast<std::uint32_t>(code) << Count;
    Count += bits;
    while (Count >= 8) {
        Bytes.push_back(static_cast<std::uint8_t>(Buffer & 0xFF));
        Buffer >>= 8;
        Count -= 8;
    }
}

std::vector<std::uint8_t> TBitWriter::Finish()
{
    if (Count > 0)
        Bytes.push_back(static_cast<std::uint8_t>(Buffer & 0xFF));
    Buffer = 0;
    Count = 0;
    return std::move(Bytes);
}

std::vector<std::uint8_t> LiteralLzw(const std::vector<std::uint8_t>& pixels)
{
    constexpr int kClear = 4;
    constexpr int kEnd = 5;
    TBitWriter writer;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % 2 == 0)
            writer.Put(kClear, 3);
        writer.Put(pixels[i], 3);
    }
    writer.Put(kEnd, 3);
    return writer.Finish();
}

TGifBuilder::TGifBuilder(int width, int height)
{
    Bytes = {'G', 'I', 'F', '8', '9', 'a'};
    Word(width);
    Word(height);
    Bytes.insert(Bytes.end(), {0x81, 0, 0}); // global table of 4 colours
    Bytes.insert(Bytes.end(), {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
}

TGifBuilder& TGifBuilder::Control(int disposal, int delayCs, int transparentIndex)
{
    const int packed = (disposal << 2) | (transparentIndex >= 0 ? 1 : 0);
    Bytes.insert(Bytes.end(), {0x21, 0xF9, 4, static_cast<std::uint8_t>(packed)});
    Word(delayCs);
    Bytes.insert(Bytes.end(), {static_cast<std::uint8_t>(std::max(transparentIndex, 0)), 0});
    return *this;
}

TGifBuilder& TGifBuilder::Comment(const std::string& text)
{
    Bytes.insert(Bytes.end(), {0x21, 0xFE});
    SubBlocks(std::vector<std::uint8_t>(text.begin(), text.end()));
    return *this;
}

TGifBuilder& TGifBuilder::Loop(int count)
{
    const std::string application = "NETSCAPE2.0";
    Bytes.insert(Bytes.end(), {0x21, 0xFF, 11});
    Bytes.insert(Bytes.end(), application.begin(), application.end());
    Bytes.insert(Bytes.end(), {3, 1});
    Word(count);
    Bytes.push_back(0);
    return *this;
}

TGifBuilder& TGifBuilder::Frame(int left, int top, int width, int height, const std::vector<std::uint8_t>& pixels,
                                bool interlaced)
{
    Bytes.push_back(0x2C);
    Word(left);
    Word(top);
    Word(width);
    Word(height);
    Bytes.push_back(interlaced ? 0x40 : 0);
    Bytes.push_back(2); // minimum code size
    SubBlocks(LiteralLzw(pixels));
    return *this;
}

TGifBuilder& TGifBuilder::Raw(const std::vector<std::uint8_t>& bytes)
{
    Bytes.insert(Bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

std::vector<std::uint8_t> TGifBuilder::Finish()
{
    Bytes.push_back(0x3B);
    return Bytes;
}

void TGifBuilder::Word(int value)
{
    Bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    Bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void TGifBuilder::SubBlocks(const std::vector<std::uint8_t>& data)
{
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t size = std::min<std::size_t>(255, data.size() - at);
        Bytes.push_back(static_cast<std::uint8_t>(size));
        Bytes.insert(Bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                     data.begin() + static_cast<std::ptrdiff_t>(at + size));
    }
    Bytes.push_back(0);
}
