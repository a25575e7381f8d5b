#include "engine/images/GifLzw.h"

#include <algorithm>
#include <array>

namespace {

// GIF codes are at most 12 bits wide, so the table holds at most 4096 strings,
// and no string is longer than the table.
constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;
constexpr std::uint16_t kNoPrefix = 0xFFFF;

// The string table: each entry is its prefix entry plus one value. The first
// value and the length are kept so that a string is written in one backward
// walk without a stack.
struct TLzwTable {
    std::array<std::uint16_t, kTableSize> Prefix;
    std::array<std::uint16_t, kTableSize> Length;
    std::array<std::uint8_t, kTableSize> Suffix;
    std::array<std::uint8_t, kTableSize> First;
};

// Codes are packed least significant bit first across the bytes.
class TCodeReader {
public:
    explicit TCodeReader(std::span<const std::uint8_t> data) : Data(data) {}

    // False when the data ends before a whole code.
    bool Read(int bits, int& code)
    {
        while (BitCount < bits) {
            if (Position >= Data.size())
                return false;
            Buffer |= static_cast<std::uint32_t>(Data[Position++]) << BitCount;
            BitCount += 8;
        }
        code = static_cast<int>(Buffer & ((1u << bits) - 1));
        Buffer >>= bits;
        BitCount -= bits;
        return true;
    }

private:
    std::span<const std::uint8_t> Data;
    std::size_t Position = 0;
    std::uint32_t Buffer = 0;
    int BitCount = 0;
};

class TLzwDecoder {
public:
    TLzwDecoder(int minCodeSize, std::span<std::uint8_t> pixels)
        : ClearCode(1 << minCodeSize), EndCode(ClearCode + 1), MinCodeSize(minCodeSize), Pixels(pixels)
    {
        for (int value = 0; value < ClearCode; ++value) {
            Table.Prefix[value] = kNoPrefix;
            Table.Length[value] = 1;
            Table.Suffix[value] = static_cast<std::uint8_t>(value);
            Table.First[value] = static_cast<std::uint8_t>(value);
        }
        Reset();
    }

    TLzwResult Run(TCodeReader& reader)
    {
        int code = 0;
        while (Written < Pixels.size()) {
            if (!reader.Read(CodeSize, code))
                return {Written, GifError::Truncated};
            if (code == ClearCode) {
                Reset();
                continue;
            }
            if (code == EndCode)
                return {Written, GifError::None};
            if (Previous < 0) {
                // Right after a clear code only the single values exist; any
                // other code has no string to stand for and ends the frame.
                if (code >= NextFree)
                    return {Written, GifError::BadCode};
                Emit(code);
                Previous = code;
                continue;
            }
            if (code < NextFree) {
                AddEntry(Table.First[code]);
            } else {
                // The code not yet in the table (and anything beyond it) stands
                // for the previous string followed by its own first value.
                AddEntry(Table.First[Previous]);
                code = NextFree - 1;
            }
            Emit(code);
            Previous = code;
        }
        return {Written, GifError::None};
    }

private:
    void Reset()
    {
        CodeSize = MinCodeSize + 1;
        NextFree = ClearCode + 2;
        Previous = -1;
    }

    // A full table takes no more entries; the code size stays 12 until a clear
    // code. Only then can a code at NextFree not be added, and such a code is
    // out of range anyway, since 4096 does not fit in 12 bits.
    void AddEntry(std::uint8_t value)
    {
        if (NextFree >= kTableSize)
            return;
        Table.Prefix[NextFree] = static_cast<std::uint16_t>(Previous);
        Table.Suffix[NextFree] = value;
        Table.First[NextFree] = Table.First[Previous];
        Table.Length[NextFree] = static_cast<std::uint16_t>(Table.Length[Previous] + 1);
        ++NextFree;
        if (NextFree == (1 << CodeSize) && CodeSize < kMaxCodeBits)
            ++CodeSize;
    }

    // Writes the string of `code`; the part past the end of the output is dropped.
    void Emit(int code)
    {
        const std::size_t length = Table.Length[code];
        const std::size_t room = Pixels.size() - Written;
        if (length <= room) {
            std::uint8_t* out = Pixels.data() + Written + length;
            for (int entry = code; entry != kNoPrefix; entry = Table.Prefix[entry])
                *--out = Table.Suffix[entry];
            Written += length;
            return;
        }
        std::array<std::uint8_t, kTableSize> stack;
        std::size_t depth = 0;
        for (int entry = code; entry != kNoPrefix; entry = Table.Prefix[entry])
            stack[depth++] = Table.Suffix[entry];
        for (std::size_t i = 0; i < room; ++i)
            Pixels[Written + i] = stack[depth - 1 - i];
        Written += room;
    }

    const int ClearCode;
    const int EndCode;
    const int MinCodeSize;
    std::span<std::uint8_t> Pixels;
    std::size_t Written = 0;
    TLzwTable Table;
    int CodeSize = 0;
    int NextFree = 0;
    int Previous = -1;
};

} // namespace

TLzwResult DecodeLzw(int minCodeSize, std::span<const std::uint8_t> codes, std::span<std::uint8_t> pixels)
{
    if (minCodeSize < kMinLzwCodeSize || minCodeSize > kMaxLzwCodeSize)
        return {0, GifError::BadCode};
    TCodeReader reader(codes);
    TLzwDecoder decoder(minCodeSize, pixels);
    return decoder.Run(reader);
}
