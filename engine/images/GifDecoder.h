#pragma once
// The engine's animated GIF picture: every frame decoded once at load into an
// indexed image with its transparency mask, composed into a work image by the
// frames' disposal methods, advanced on the document's timer and drawn over
// the page.

#include "engine/images/GifLzw.h"
#include "engine/base/Rect.h"

#include <QImage>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TCanvas;
class TGIFImage;

struct TGifRgb {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
};
using TGifColorTable = std::array<TGifRgb, 256>;

// Sizes the decoder refuses. A 16-bit GIF header can claim 65535 x 65535
// pixels with a handful of bytes; without a cap such a file would allocate
// gigabytes. 64 megapixels (an 8192 x 8192 picture) is far above any page
// image. The frame budget bounds the sum of all frames' pixels, since a file
// may hold 256 large frames of a few bytes each.
constexpr std::int64_t kMaxGifPixels = 64LL * 1024 * 1024;
constexpr std::int64_t kMaxGifFramePixelsTotal = 4 * kMaxGifPixels;
// Frames after the 256th are ignored.
constexpr int kMaxGifFrames = 256;
// An animation keeps its frames, a composed picture of its screen and, for a
// frame that restores what was under it, a copy of that area: a few bytes of
// file may ask for gigabytes within the pixel limits. An animation whose
// memory would pass this shows its first frame still.
constexpr std::int64_t kMaxGifAnimationBytes = 512LL * 1024 * 1024;

struct TGifLimits {
    std::int64_t MaxPixels = kMaxGifPixels;
    std::int64_t MaxFramePixelsTotal = kMaxGifFramePixelsTotal;
    std::int64_t MaxAnimationBytes = kMaxGifAnimationBytes;
    int MaxFrames = kMaxGifFrames;
};

// Frame disposal: what happens to the frame's rectangle before the next frame.
enum class TDisposal : std::uint8_t { None = 0, Keep = 1, Background = 2, Previous = 3 };

// One frame of a GIF picture, owned by its image.
class TFrame {
public:
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int LocalColorBits = 0; // n + 1 of a local table of 2^(n+1) entries, else 0
    int Delay = 0;          // milliseconds
    TDisposal Disposal = TDisposal::None;
    bool Interlaced = false;
    bool Transparent = false;
    std::uint8_t TransparentIndex = 0;
    TGifRgb TransparentColor;
    bool HasLocalTable = false;
    // The frame's own table; the image's global table is used without one.
    std::shared_ptr<const TGifColorTable> LocalTable;
    // Indexed pixels with a 256-entry colour table; transparent pixels are black.
    QImage Image;
    // Only for transparent frames: 1 bit a pixel, white (1) where transparent.
    QImage Mask;
    // Only for disposal 3: what the work and mask images held under the frame.
    QImage SavedArea;
    QImage SavedMask;
    TGIFImage* Owner = nullptr;
    std::string Comment; // the comment extensions before the frame

    const TGifColorTable& ColorTable() const;
    TRect Bounds() const { return {Left, Top, Left + Width, Top + Height}; }
};

// Fills the given image with what the page shows under the picture.
using TBackgroundPainter = std::function<void(QImage& background)>;

// A GIF picture with all its frames, still or animated.
class TGIFImage {
public:
    TGIFImage();
    // An independent copy that animates on its own, showing frame 1.
    TGIFImage(const TGIFImage& other);
    TGIFImage& operator=(const TGIFImage&) = delete;
    ~TGIFImage();

    // Structure only: frames are counted and measured, pixels not decoded.
    GifError Scan(std::span<const std::uint8_t> data, const TGifLimits& limits = {});
    GifError Load(std::span<const std::uint8_t> data, const TGifLimits& limits = {});
    GifError Load(const std::filesystem::path& fileName, const TGifLimits& limits = {});
    // Frame 1 alone, without the work images that animating and drawing
    // need: what a still picture is made from (FirstFrameImage and its mask).
    GifError LoadFirstFrame(std::span<const std::uint8_t> data, const TGifLimits& limits = {});

    bool Empty() const { return EmptyFlag; }
    bool StructureOnly() const { return StructureOnlyFlag; }
    bool Animated() const { return AnimatedFlag; }
    bool Transparent() const { return TransparentFlag; }
    int Width() const { return WidthValue; }
    int Height() const { return HeightValue; }
    int ColorBits() const { return ColorBitsValue; }
    int FrameCount() const { return static_cast<int>(Frames.size()); }
    const TFrame& Frame(int number) const { return *Frames.at(number - 1); } // 1-based
    const TGifColorTable& GlobalColorTable() const { return GlobalTable; }
    int LoopCount() const { return LoopCountValue; }
    int LoopIteration() const { return LoopIterationValue; }
    bool IsCopy() const { return CopyFlag; }

    // The composed picture: work image (transparent parts black) and, for a
    // transparent GIF, its mask (white where transparent).
    const QImage& WorkImage() const { return Work; }
    const QImage& WorkMask() const { return WorkMaskImage; }

    int CurrentFrame() const { return CurrentFrameNumber; }
    // Disposes of the current frame and composes frame n (clamped to the frames).
    void SetCurrentFrame(int number);
    bool Animate() const { return Animating; }
    void SetAnimate(bool value, std::int64_t nowMs);
    bool Visible() const { return VisibleFlag; }
    void SetVisible(bool value) { VisibleFlag = value; }
    // The memory the picture takes (or would take, after a scan) to animate:
    // its frames, its composed picture and the largest area a frame saves.
    std::int64_t AnimationBytes() const;

    // Advances when the current frame's time is up; whether the picture
    // changed, so that the view repaints where it drew it (one picture may be
    // shown by several images of a page, all at the same frame).
    bool AnimationStep(std::int64_t nowMs);
    // Draws the composed picture stretched to the rectangle. A transparent
    // picture whose current frame keeps its pixels is put together over the
    // page background first (when a painter for it is given) and copied in one
    // piece; otherwise it is drawn through its mask.
    void Draw(TCanvas& canvas, int x, int y, int width, int height,
              const TBackgroundPainter& paintBackground = {});
    // The page under the picture changed: fill the background again.
    void InvalidateBackground() { NeedsBackground = true; }

    // Frame 1's pixels and mask (the mask only for a transparent GIF); null
    // images when empty or structure only. The copy bitmap is frame 1 on its
    // transparent colour.
    QImage FirstFrameImage() const;
    QImage FirstFrameMask() const;
    QImage CopyBitmap() const;

private:
    friend class TGifParser;

    void Reset();
    void FreeFrames();
    GifError Parse(std::span<const std::uint8_t> data, const TGifLimits& limits);
    void MakeWorkImages();
    void Compose();
    void Dispose();

    std::vector<std::unique_ptr<TFrame>> Frames;
    int CurrentFrameNumber = 1;
    bool EmptyFlag = true;
    bool StructureOnlyFlag = false;
    bool AnimatedFlag = false;
    int WidthValue = 0;
    int HeightValue = 0;
    int ColorBitsValue = 0;
    TGifColorTable GlobalTable{};
    int LoopCountValue = 1; // 0: forever
    int LoopIterationValue = 1;
    bool TransparentFlag = false;
    bool VisibleFlag = true;
    QImage Work;
    QImage WorkMaskImage;
    QImage Background;
    bool NeedsBackground = false;
    bool Animating = false;
    bool FirstTickPending = true;
    std::int64_t LastChange = 0;
    int CurrentDelay = 1;
    bool CopyFlag = false;
    // Made on first request.
    mutable QImage CachedFirstImage;
    mutable QImage CachedFirstMask;
    mutable QImage CachedCopyBitmap;
};

struct TGifLoadResult {
    std::unique_ptr<TGIFImage> Image; // null on failure
    bool Still = false;               // one frame only, or only the first one loaded
    bool OverBudget = false;          // animated, but past MaxAnimationBytes: frame 1 only, not drawable
    GifError Error = GifError::None;
    // The data looked like a GIF but decoding failed: the image cache frees
    // its unused entries, in case memory was the cause.
    bool DecodingFailed = false;
};

// Scans the data, then loads it fully.
TGifLoadResult LoadGif(std::span<const std::uint8_t> data, const TGifLimits& limits = {});
TGifLoadResult LoadGif(const std::filesystem::path& fileName, const TGifLimits& limits = {});
