#pragma once
// The image state the whole process shares, owned by the application and
// handed to every viewer: the placeholder pictures, the cursors, the cache of
// decoded pictures by reference, and the fetching of a picture by reference.

#include "engine/images/GifDecoder.h"
#include "engine/images/ImageLoader.h"

#include <QByteArray>
#include <QImage>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

// A decoded picture: a still bitmap, or an animated GIF whose frames every
// user shares (all its images show the same frame).
struct TPicture {
    QImage Bitmap;
    std::shared_ptr<TGIFImage> Gif;

    bool IsNull() const { return Bitmap.isNull() && !Gif; }
    bool IsAnimated() const { return Gif != nullptr; }
};

// One cache entry.
struct TBitmapItem {
    int Age = 0;   // page loads since it was last handed out
    int Users = 0; // inline images and backgrounds holding it
    TTransparency Transparency = TTransparency::None;
    TPicture Picture;
    QImage Mask; // white where transparent; null without one
    bool FromPng = false;
};

// The cache key of a reference: upper case, without blanks and control
// characters at either end.
std::string ImageCacheKey(std::string_view reference);

// Cached pictures by key, in case-insensitive order.
class TStringBitmapList {
public:
    static constexpr int kInitialAgeLimit = 4;

    TBitmapItem* Find(std::string_view key);
    // Adds the entry with one more user; false when the key is taken.
    bool Add(const std::string& key, TBitmapItem item);
    // One user less for the reference's entry; the entry stays.
    void Release(std::string_view reference);
    // The entry's picture for one more user; its age starts again.
    TPicture HandOut(TBitmapItem& item);
    // Frees every unused entry older than n, then keeps n as the limit.
    void SetAgeLimit(int n);
    int AgeLimit() const { return AgeLimitValue; }
    // One page load more: unused entries past the age limit are freed.
    void Age();
    // Frees every unused entry.
    void Purge();
    void Clear() { Items.clear(); }
    // The memory of the animations held: of those some image uses, or of all.
    std::int64_t AnimationBytes(bool inUseOnly) const;
    int Count() const { return static_cast<int>(Items.size()); }

private:
    struct TCaseInsensitiveLess {
        using is_transparent = void;
        bool operator()(std::string_view left, std::string_view right) const;
    };
    template <typename TPredicate>
    void EraseIf(TPredicate predicate);

    std::map<std::string, TBitmapItem, TCaseInsensitiveLess> Items;
    int AgeLimitValue = kInitialAgeLimit;
};

// What GetImage found for a reference.
struct TImageFetch {
    TPicture Picture; // null: show ErrorImage, or DefaultImage when not yet available
    TTransparency Transparency = TTransparency::None;
    bool NotYetAvailable = false;
    bool FromCache = false;
    QImage Mask;
};

// The owner's answer to a picture request: the data (which stays the
// owner's), the image cache's WaitStream when it will come later, or null.
using TImageRequest = std::function<const QByteArray*(const std::string& source)>;

class TImageCache {
public:
    TImageCache();

    // The display is true colour.
    static constexpr int ColorBits = 24;
    static constexpr Qt::CursorShape HandCursor = Qt::PointingHandCursor;
    static constexpr Qt::CursorShape IBeamCursor = Qt::IBeamCursor;

    // Shown while images are off or their data is still to come.
    const QImage& DefaultImage() const { return DefaultImageValue; }
    // Shown for a picture that cannot be loaded, through its mask.
    const QImage& ErrorImage() const { return ErrorImageValue; }
    const QImage& ErrorImageMask() const { return ErrorImageMaskValue; }

    TStringBitmapList& Cache() { return Bitmaps; }
    // The marker a request handler returns to say that the data comes later.
    const QByteArray* WaitStream() const { return &WaitStreamValue; }

    // Whether PNG pictures are decoded (for every viewer sharing the cache);
    // refused at first. Pages loaded afterwards follow the change.
    void SetPngPictures(TPngPictures png) { PngValue = png; }
    TPngPictures PngPictures() const { return PngValue; }

    // The picture a reference names: from the cache, from the request
    // handler when there is one, else from the file the reference names.
    // `transparency` is LowerLeft when the page asks for a transparent picture.
    TImageFetch GetImage(const std::string& reference, TTransparency transparency,
                         const TImageRequest& request = {});

    // The animations in use (those of the page shown) share a memory budget;
    // one that would pass it shows its first frame still. Unused ones are
    // freed to make room.
    void SetAnimationBudget(std::int64_t bytes) { AnimationBudget = bytes; }
    std::int64_t AnimationBytes() const { return Bitmaps.AnimationBytes(false); }

private:
    TImageFetch FromCache(TBitmapItem& item, TTransparency transparency);
    TPicture FromRequest(const QByteArray& data, TTransparency& transparency, QImage& mask);
    TPicture FromFile(const std::string& fileName, TTransparency& transparency, QImage& mask);
    TPicture FromGif(TGifLoadResult loaded, TTransparency& transparency, QImage& mask);
    TGifLimits GifLimits() const;
    void KeepAnimationsInBudget();

    QImage DefaultImageValue;
    QImage ErrorImageValue;
    QImage ErrorImageMaskValue;
    TStringBitmapList Bitmaps;
    QByteArray WaitStreamValue;
    TPngPictures PngValue = TPngPictures::Refused;
    std::int64_t AnimationBudget = kMaxGifAnimationBytes;
};
