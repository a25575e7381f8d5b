// GIF decoding speed: our decoder against the system's GIF library on the
// suite's largest animated GIF and on a 2000 x 2000 picture made here. Both
// sides decode every frame and compose it into an RGB canvas, so the ratio
// of their times compares like with like.

#include "engine/images/GifDecoder.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A small GIF LZW encoder with 8-bit minimum code size. The table restarts
// with a clear code when full; code widths follow the decoder, which widens
// one entry later than the encoder adds it.
class TLzwEncoder {
public:
    TBytes Encode(const TBytes& pixels)
    {
        Reset();
        Put(kClear);
        int prefix = pixels.front();
        for (std::size_t i = 1; i < pixels.size(); ++i) {
            const int value = pixels[i];
            const std::size_t key = static_cast<std::size_t>(prefix) * 256 + static_cast<std::size_t>(value);
            if (Table[key] != 0) {
                prefix = Table[key];
                continue;
            }
            Put(prefix);
            if (Next < 4096) {
                Table[key] = static_cast<std::uint16_t>(Next++);
                if (Next > (1 << CodeSize) && CodeSize < 12)
                    ++CodeSize;
            } else {
                Put(kClear);
                Reset();
            }
            prefix = value;
        }
        Put(prefix);
        Put(kEnd);
        if (BitCount > 0)
            Out.push_back(static_cast<std::uint8_t>(Buffer));
        return std::move(Out);
    }

private:
    static constexpr int kClear = 256;
    static constexpr int kEnd = 257;

    void Reset()
    {
        std::fill(Table.begin(), Table.end(), 0);
        Next = kEnd + 1;
        CodeSize = 9;
    }
    void Put(int code)
    {
        Buffer |= static_cast<std::uint32_t>(code) << BitCount;
        BitCount += CodeSize;
        while (BitCount >= 8) {
            Out.push_back(static_cast<std::uint8_t>(Buffer & 0xFF));
            Buffer >>= 8;
            BitCount -= 8;
        }
    }

    std::vector<std::uint16_t> Table = std::vector<std::uint16_t>(4096 * 256);
    int Next = 0;
    int CodeSize = 9;
    TBytes Out;
    std::uint32_t Buffer = 0;
    int BitCount = 0;
};

void PutWord(TBytes& out, int value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

// Bands of slowly changing colours with some noise: compresses about as
// well as a photograph reduced to 256 colours.
TBytes GeneratedPixels(int width, int height)
{
    std::mt19937 random(7);
    TBytes pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::uint8_t>((x / 9 + y / 13 + static_cast<int>(random() % 3)) & 0xFF);
    return pixels;
}

TBytes GeneratedGif(int width, int height)
{
    TBytes gif = {'G', 'I', 'F', '8', '9', 'a'};
    PutWord(gif, width);
    PutWord(gif, height);
    gif.insert(gif.end(), {0xF7, 0, 0}); // global table of 256 colours
    for (int i = 0; i < 256; ++i)
        gif.insert(gif.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                               static_cast<std::uint8_t>(i * 7)});
    gif.push_back(0x2C);
    PutWord(gif, 0);
    PutWord(gif, 0);
    PutWord(gif, width);
    PutWord(gif, height);
    gif.push_back(0);
    gif.push_back(8);
    const TBytes codes = TLzwEncoder().Encode(GeneratedPixels(width, height));
    for (std::size_t at = 0; at < codes.size(); at += 255) {
        const std::size_t size = std::min<std::size_t>(255, codes.size() - at);
        gif.push_back(static_cast<std::uint8_t>(size));
        gif.insert(gif.end(), codes.begin() + static_cast<std::ptrdiff_t>(at),
                   codes.begin() + static_cast<std::ptrdiff_t>(at + size));
    }
    gif.push_back(0);
    gif.push_back(0x3B);
    return gif;
}

const TBytes& LargeGif()
{
    static const TBytes data = [] {
        TBytes gif = GeneratedGif(2000, 2000);
        // The encoder must be right for the timing to mean anything.
        const TGifLoadResult loaded = LoadGif(gif);
        const TBytes pixels = GeneratedPixels(2000, 2000);
        if (!loaded.Image)
            throw std::runtime_error("generated GIF does not decode");
        const QImage& indices = loaded.Image->Frame(1).Image;
        for (int y = 0; y < 2000; ++y)
            if (std::memcmp(indices.constScanLine(y), pixels.data() + static_cast<std::size_t>(y) * 2000, 2000) != 0)
                throw std::runtime_error("generated GIF does not decode to its pixels");
        return gif;
    }();
    return data;
}

const TBytes& SuiteGif()
{
    static const TBytes data =
        ReadFile(std::filesystem::path(ZEF_TESTDATA_DIR) / "gif-suite" / "gifs" / "animated_loop_interlaced.gif");
    return data;
}

void DecodeWithZef(benchmark::State& state, const TBytes& data)
{
    if (data.empty()) {
        state.SkipWithError("test data absent");
        return;
    }
    for (auto _ : state) {
        TGifLoadResult loaded = LoadGif(data);
        for (int frame = 2; frame <= loaded.Image->FrameCount(); ++frame)
            loaded.Image->SetCurrentFrame(frame);
        benchmark::DoNotOptimize(loaded.Image->WorkImage().constBits());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

struct TMemoryReader {
    const TBytes* Data;
    std::size_t Position = 0;
};

int ReadFromMemory(GifFileType* file, GifByteType* buffer, int size)
{
    auto* reader = static_cast<TMemoryReader*>(file->UserData);
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(size), reader->Data->size() - reader->Position);
    std::memcpy(buffer, reader->Data->data() + reader->Position, count);
    reader->Position += count;
    return static_cast<int>(count);
}

// The library decodes every frame to indices; the frames are then put on an
// RGB canvas through their colour tables, skipping transparent pixels.
void DecodeWithLibrary(benchmark::State& state, const TBytes& data)
{
    if (data.empty()) {
        state.SkipWithError("test data absent");
        return;
    }
    for (auto _ : state) {
        TMemoryReader reader{&data};
        int error = 0;
        GifFileType* file = DGifOpen(&reader, ReadFromMemory, &error);
        if (file == nullptr || DGifSlurp(file) != GIF_OK) {
            state.SkipWithError("the library failed");
            return;
        }
        std::vector<std::uint32_t> canvas(static_cast<std::size_t>(file->SWidth) * file->SHeight, 0xFF000000);
        for (int index = 0; index < file->ImageCount; ++index) {
            const SavedImage& image = file->SavedImages[index];
            const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : file->SColorMap;
            GraphicsControlBlock control{};
            control.TransparentColor = NO_TRANSPARENT_COLOR;
            DGifSavedExtensionToGCB(file, index, &control);
            std::array<std::uint32_t, 256> colors{};
            for (int i = 0; map && i < map->ColorCount; ++i)
                colors[i] = 0xFF000000u | map->Colors[i].Red << 16 | map->Colors[i].Green << 8 | map->Colors[i].Blue;
            const GifImageDesc& desc = image.ImageDesc;
            for (int y = 0; y < desc.Height && desc.Top + y < file->SHeight; ++y)
                for (int x = 0; x < desc.Width && desc.Left + x < file->SWidth; ++x) {
                    const int value = image.RasterBits[static_cast<std::size_t>(y) * desc.Width + x];
                    if (value != control.TransparentColor)
                        canvas[static_cast<std::size_t>(desc.Top + y) * file->SWidth + desc.Left + x] = colors[value];
                }
        }
        benchmark::DoNotOptimize(canvas.data());
        DGifCloseFile(file, &error);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void BM_ZefSuiteAnimated(benchmark::State& state) { DecodeWithZef(state, SuiteGif()); }
void BM_LibrarySuiteAnimated(benchmark::State& state) { DecodeWithLibrary(state, SuiteGif()); }
void BM_ZefGenerated2000(benchmark::State& state) { DecodeWithZef(state, LargeGif()); }
void BM_LibraryGenerated2000(benchmark::State& state) { DecodeWithLibrary(state, LargeGif()); }

BENCHMARK(BM_ZefSuiteAnimated);
BENCHMARK(BM_LibrarySuiteAnimated);
BENCHMARK(BM_ZefGenerated2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibraryGenerated2000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
