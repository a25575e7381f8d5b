#include "engine/images/ImageCache.h"

#include "engine/lexer/LinkNames.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>
#include <string_view>

namespace {

// The placeholder pictures, one character a pixel. In masks, a blank is
// transparent.
using TPixelArt = std::array<std::string_view, 16>;

constexpr TPixelArt kDefaultArt = {
    "kkkkkkkkkkkkkkkk",
    "kwwwwwwwwwwwwwwk",
    "kwbbbbbbbbbbbb.k",
    "kwbbbbbbbbyybb.k",
    "kwbbbbbbbyyyyb.k",
    "kwbbbbbbbyyyyb.k",
    "kwbbbbbbbbyybb.k",
    "kwbbbbbbbbbbbb.k",
    "kwbbbbgbbbbbbb.k",
    "kwbbbgggbbbbbb.k",
    "kwbbgggggbbbgb.k",
    "kwbgggggggbggg.k",
    "kwgggggggggggg.k",
    "kwgggggggggggg.k",
    "k..............k",
    "kkkkkkkkkkkkkkkk",
};

constexpr TPixelArt kErrorArt = {
    "  kkkkkkkkk     ",
    "  kwwwwwwwkk    ",
    "  kwwwwwwwkwk   ",
    "  kwwwwwwwkkkk  ",
    "  krrwwwwwwrrk  ",
    "  kwrrwwwwrrwk  ",
    "  kwwrrwwrrwwk  ",
    "  kwwwrrrrwwwk  ",
    "  kwwwwrrwwwwk  ",
    "  kwwwrrrrwwwk  ",
    "  kwwrrwwrrwwk  ",
    "  kwrrwwwwrrwk  ",
    "  krrwwwwwwrrk  ",
    "  kwwwwwwwwwwk  ",
    "  kkkkkkkkkkkk  ",
    "                ",
};

constexpr bool IsSquare(const TPixelArt& art)
{
    return std::all_of(art.begin(), art.end(), [&](std::string_view row) { return row.size() == art.size(); });
}
static_assert(IsSquare(kDefaultArt) && IsSquare(kErrorArt), "placeholder pictures are 16 x 16");

constexpr QRgb ArtColor(char pixel)
{
    switch (pixel) {
    case 'k': return 0xFF000000;
    case 'w': return 0xFFFFFFFF;
    case 'b': return 0xFF80C0FF;
    case 'y': return 0xFFFFE000;
    case 'g': return 0xFF208020;
    case 'r': return 0xFFE00000;
    case '.': return 0xFFC0C0C0;
    default: return 0xFFFFFFFF; // transparent pixels: white under the mask
    }
}

QImage PictureFromArt(const TPixelArt& art)
{
    const int size = static_cast<int>(art.size());
    QImage picture(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            picture.setPixel(x, y, ArtColor(art[y][x]));
    return picture;
}

QImage MaskFromArt(const TPixelArt& art)
{
    const int size = static_cast<int>(art.size());
    QImage mask(size, size, QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            mask.setPixel(x, y, art[y][x] == ' ' ? 1 : 0);
    return mask;
}

char UpperAscii(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// Whether the file name's extension is ".gif", in any case.
bool HasGifExtension(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || fileName.find('/', dot) != std::string_view::npos)
        return false;
    const std::string_view extension = fileName.substr(dot);
    return extension.size() == 4 && std::equal(extension.begin(), extension.end(), ".GIF",
                                               [](char a, char b) { return UpperAscii(a) == b; });
}

std::span<const std::uint8_t> BytesOf(const QByteArray& data)
{
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())};
}

} // namespace

std::string ImageCacheKey(std::string_view reference)
{
    std::string upper(reference);
    std::transform(upper.begin(), upper.end(), upper.begin(), UpperAscii);
    return TrimName(upper);
}

bool TStringBitmapList::TCaseInsensitiveLess::operator()(std::string_view left, std::string_view right) const
{
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                        [](char a, char b) { return UpperAscii(a) < UpperAscii(b); });
}

TBitmapItem* TStringBitmapList::Find(std::string_view key)
{
    const auto found = Items.find(key);
    return found == Items.end() ? nullptr : &found->second;
}

bool TStringBitmapList::Add(const std::string& key, TBitmapItem item)
{
    ++item.Users;
    return Items.emplace(key, std::move(item)).second;
}

void TStringBitmapList::Release(std::string_view reference)
{
    if (TBitmapItem* item = Find(ImageCacheKey(reference)))
        --item->Users;
}

TPicture TStringBitmapList::HandOut(TBitmapItem& item)
{
    item.Age = 0;
    ++item.Users;
    return item.Picture;
}

template <typename TPredicate>
void TStringBitmapList::EraseIf(TPredicate predicate)
{
    std::erase_if(Items, [&](const auto& entry) { return predicate(entry.second); });
}

void TStringBitmapList::SetAgeLimit(int n)
{
    EraseIf([n](const TBitmapItem& item) { return item.Age > n && item.Users <= 0; });
    AgeLimitValue = n;
}

void TStringBitmapList::Age()
{
    for (auto& entry : Items)
        ++entry.second.Age;
    EraseIf([this](const TBitmapItem& item) { return item.Age > AgeLimitValue && item.Users < 1; });
}

std::int64_t TStringBitmapList::AnimationBytes(bool inUseOnly) const
{
    std::int64_t bytes = 0;
    for (const auto& [key, item] : Items)
        if (item.Picture.IsAnimated() && (!inUseOnly || item.Users > 0))
            bytes += item.Picture.Gif->AnimationBytes();
    return bytes;
}

void TStringBitmapList::Purge()
{
    EraseIf([](const TBitmapItem& item) { return item.Users < 1; });
}

TImageCache::TImageCache()
    : DefaultImageValue(PictureFromArt(kDefaultArt)),
      ErrorImageValue(PictureFromArt(kErrorArt)),
      ErrorImageMaskValue(MaskFromArt(kErrorArt))
{
}

TImageFetch TImageCache::GetImage(const std::string& reference, TTransparency transparency,
                                  const TImageRequest& request)
{
    if (reference.empty())
        return {};
    const std::string key = ImageCacheKey(reference);
    // A PNG picture cached while PNG pictures were shown is not handed out
    // once they are refused: the reference is fetched again, and fails.
    if (TBitmapItem* item = Bitmaps.Find(key); item && (!item->FromPng || PngValue == TPngPictures::Decoded))
        return FromCache(*item, transparency);

    TImageFetch fetch;
    TImageKind kind = TImageKind::None;
    if (request) {
        const QByteArray* data = request(reference);
        if (data == WaitStream()) {
            fetch.NotYetAvailable = true;
            return fetch;
        }
        if (data == nullptr || data->isEmpty())
            return fetch;
        fetch.Picture = FromRequest(*data, transparency, fetch.Mask);
        kind = ImageKindOf(BytesOf(*data));
    } else {
        fetch.Picture = FromFile(reference, transparency, fetch.Mask);
        if (!fetch.Picture.IsNull() && PngValue == TPngPictures::Decoded)
            kind = ImageKindOfFile(reference);
    }
    fetch.Transparency = transparency;
    if (fetch.Picture.IsNull())
        return fetch;
    TBitmapItem item;
    item.Transparency = fetch.Mask.isNull() ? TTransparency::None : transparency;
    item.Picture = fetch.Picture;
    item.Mask = fetch.Mask;
    item.FromPng = kind == TImageKind::Png;
    Bitmaps.Add(key, std::move(item));
    if (fetch.Picture.IsAnimated())
        KeepAnimationsInBudget();
    return fetch;
}

// A transparent still picture asked for again gets the mask made the first
// time; a GIF's own transparency wins over the lower-left pixel.
TImageFetch TImageCache::FromCache(TBitmapItem& item, TTransparency transparency)
{
    TImageFetch fetch;
    fetch.Picture = Bitmaps.HandOut(item);
    fetch.FromCache = true;
    fetch.Transparency = transparency;
    if (!fetch.Picture.IsAnimated()) {
        if (item.Transparency == TTransparency::Gif) {
            fetch.Transparency = TTransparency::Gif;
        } else if (transparency == TTransparency::LowerLeft) {
            if (item.Mask.isNull())
                item.Mask = MakeMask(item.Picture.Bitmap);
            if (!item.Mask.isNull())
                item.Transparency = TTransparency::LowerLeft;
        }
        fetch.Mask = item.Mask;
    }
    return fetch;
}

TPicture TImageCache::FromRequest(const QByteArray& data, TTransparency& transparency, QImage& mask)
{
    const std::span<const std::uint8_t> bytes = BytesOf(data);
    const TImageKind kind = ImageKindOf(bytes);
    if (kind == TImageKind::Gif87 || kind == TImageKind::Gif89) {
        TPicture picture = FromGif(LoadGif(bytes, GifLimits()), transparency, mask);
        if (!picture.IsNull())
            return picture;
    }
    return {LoadStillImage(bytes, transparency, mask, kMaxStillPixels, PngValue), nullptr};
}

// GIF data is decoded only from a file named ".gif"; otherwise, or when
// that fails, the content decides.
TPicture TImageCache::FromFile(const std::string& fileName, TTransparency& transparency, QImage& mask)
{
    if (HasGifExtension(fileName)) {
        TPicture picture = FromGif(LoadGif(std::filesystem::path(fileName), GifLimits()), transparency, mask);
        if (!picture.IsNull())
            return picture;
    }
    return {LoadStillImage(std::filesystem::path(fileName), transparency, mask, PngValue), nullptr};
}

// What is left of the animation budget once the animations in use are
// counted: those of pages no longer shown give way.
TGifLimits TImageCache::GifLimits() const
{
    TGifLimits limits;
    limits.MaxAnimationBytes = std::max<std::int64_t>(0, AnimationBudget - Bitmaps.AnimationBytes(true));
    return limits;
}

void TImageCache::KeepAnimationsInBudget()
{
    if (Bitmaps.AnimationBytes(false) > AnimationBudget)
        Bitmaps.Purge();
}

// A GIF with one frame becomes a plain bitmap with the GIF's own mask; an
// animated one stays a GIF picture.
TPicture TImageCache::FromGif(TGifLoadResult loaded, TTransparency& transparency, QImage& mask)
{
    if (!loaded.Image) {
        if (loaded.DecodingFailed)
            Bitmaps.Purge();
        return {};
    }
    if (!loaded.Still)
        return {QImage(), std::shared_ptr<TGIFImage>(std::move(loaded.Image))};
    const TGIFImage& gif = *loaded.Image;
    TPicture picture{gif.FirstFrameImage(), nullptr};
    if (gif.Transparent()) {
        mask = gif.FirstFrameMask();
        transparency = TTransparency::Gif;
    } else if (transparency == TTransparency::LowerLeft) {
        mask = MakeMask(picture.Bitmap);
    }
    return picture;
}
