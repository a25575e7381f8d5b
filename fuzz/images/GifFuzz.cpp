// Any bytes through the GIF decoder: scan and load, then every frame composed
// in turn (with their disposals), a copy, the still-picture bitmaps and a few
// animation steps. A lower pixel limit than the viewer's keeps runs fast.

#include "engine/images/GifDecoder.h"

#include <cstdint>
#include <span>

namespace {

constexpr TGifLimits kFuzzLimits{1 << 22, 1 << 23};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TGifLoadResult loaded = LoadGif(std::span<const std::uint8_t>(data, size), kFuzzLimits);
    if (!loaded.Image)
        return 0;
    TGIFImage& image = *loaded.Image;
    for (int frame = 2; frame <= image.FrameCount(); ++frame)
        image.SetCurrentFrame(frame);
    image.SetCurrentFrame(1);
    TGIFImage copy(image);
    copy.SetCurrentFrame(copy.FrameCount());
    image.FirstFrameImage();
    image.FirstFrameMask();
    image.CopyBitmap();
    image.SetAnimate(true, 0);
    for (std::int64_t now = 0; now < 4; ++now)
        image.AnimationStep(now * 1000);
    return 0;
}
