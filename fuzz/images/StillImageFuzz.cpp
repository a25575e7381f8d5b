// Any bytes through the still loader's stream path (BMP through Qt's reader
// or our direct-colour reader, JPEG through libjpeg, PNG through Qt's reader
// as when the user asks for PNG pictures), asking for a mask from the
// lower-left pixel. A lower pixel limit than the viewer's keeps runs fast.

#include "engine/images/ImageLoader.h"

#include <cstdint>
#include <span>

namespace {

constexpr std::int64_t kFuzzMaxPixels = 1 << 22;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TTransparency transparency = TTransparency::LowerLeft;
    QImage mask;
    const QImage picture = LoadStillImage(std::span<const std::uint8_t>(data, size), transparency, mask, kFuzzMaxPixels,
                                         TPngPictures::Decoded);
    if (!mask.isNull() && mask.size() != picture.size())
        __builtin_trap(); // a mask always covers its picture
    return 0;
}
