#pragma once
// Small GIF files written in tests: a header with a 4-colour global table,
// graphic control, comment, loop and image blocks, and LZW data made of
// literal codes only.

#include <cstdint>
#include <string>
#include <vector>

// Codes packed least significant bit first, each `bits` wide.
class TBitWriter {
public:
    void Put(int code, int bits);
    std::vector<std::uint8_t> Finish();

private:
    std::vector<std::uint8_t> Bytes;
    std::uint32_t Buffer = 0;
    int Count = 0;
};

// With minimum code size 2 the codes are 3 bits wide until the table reaches
// 8 entries: a clear code before every two literals keeps them so.
std::vector<std::uint8_t> LiteralLzw(const std::vector<std::uint8_t>& pixels);

class TGifBuilder {
public:
    // Global colours: 0 black, 1 red, 2 green, 3 blue.
    TGifBuilder(int width, int height);

    TGifBuilder& Control(int disposal, int delayCs, int transparentIndex = -1);
    TGifBuilder& Comment(const std::string& text);
    TGifBuilder& Loop(int count);
    // Pixels in the order they are stored (for an interlaced frame, by pass).
    TGifBuilder& Frame(int left, int top, int width, int height, const std::vector<std::uint8_t>& pixels,
                       bool interlaced = false);
    TGifBuilder& Raw(const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> Finish();

private:
    void Word(int value);
    void SubBlocks(const std::vector<std::uint8_t>& data);

    std::vector<std::uint8_t> Bytes;
};
