#pragma once
// The inline image of a text section (IMG, and the picture of an image form
// control): its attributes, the fetching of its picture through the document,
// its size in the flow, floating, painting with placeholder, ALT text and link
// border, and the hit test.

#include "engine/images/ImageLoader.h"
#include "engine/base/UrlTarget.h"

#include <QImage>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TAttributeList;
class TCanvas;
class TCell;
class TFontObj;
class TGIFImage;
class TImageCache;
class TImageFormControlObj;
class TMapItem;
class TSectionList;

enum class TImageAlign : std::uint8_t { Top, Middle, Bottom, Left, Right };

// Which picture an image shows.
enum class TPictureKind : std::uint8_t { None, Bitmap, Animated, DefaultImage, ErrorImage };

class TImageObj {
public:
    static constexpr int kDefaultHSpace = 5;
    static constexpr int kMaxHSpace = 20;
    // A placeholder box is at least this big, and its ALT text starts this far
    // right of its left edge (the icon area).
    static constexpr int kPlaceholderMinimum = 24;
    // Placeholders draw their picture this far inside the box...
    static constexpr int kPlaceholderInset = 4;
    // ...unless the box is this small or smaller in either direction.
    static constexpr int kPlaceholderSmallest = 23;

    // Pictures come through the document's image cache (none: every image
    // shows as an empty placeholder box).
    TImageObj(TSectionList* document, TCell* cell, int index, const TAttributeList& attributes);
    TImageObj(const TImageObj&) = delete;
    TImageObj& operator=(const TImageObj&) = delete;
    // Releases the document's use of the cache entry and leaves the
    // document's lists of animated and missing images.
    ~TImageObj();

    int Index;
    int TotalHeight = 0;
    int TotalWidth = 0;
    int SpecHeight = 0;       // HEIGHT, 0 when absent
    int SpecWidth = 0;        // WIDTH in pixels or a percentage, 0 when absent
    bool WidthIsPercent = false;
    int ImageHeight = 0;      // the picture as drawn
    int ImageWidth = 0;
    bool SizeSettled = false;
    std::string Source;
    std::string AltText;
    TImageAlign Align = TImageAlign::Bottom;
    bool NoBorder = false;
    TPictureKind Kind = TPictureKind::None;
    QImage Bitmap;                  // for Kind Bitmap
    std::shared_ptr<TGIFImage> Gif; // for Kind Animated
    QImage Mask;                    // null when none
    TSectionList* Document;
    TTransparency Transparent = TTransparency::None;
    bool IsMap = false;
    bool UsesMap = false;
    bool Bordered = false;
    int FloatX = 0;                 // floating picture's X from the cell's left edge
    std::string MapName;
    int HSpace = kDefaultHSpace;
    TImageFormControlObj* ImageControl = nullptr;
    TCell* Cell;

    bool IsFloating() const { return Align == TImageAlign::Left || Align == TImageAlign::Right; }
    bool IsPlaceholder() const { return Kind == TPictureKind::DefaultImage || Kind == TPictureKind::ErrorImage; }

    // Fetches the picture when needed and settles the size in the flow;
    // percentages are of `availableWidth`. `run` is the run at the image.
    void ComputeSize(TCanvas& canvas, int availableWidth, const TFontObj& run);

    // Draws the image with its left at window X x; baselineY and topY are
    // document Y (the line's baseline and the top the image hangs from).
    void Draw(TCanvas& canvas, int x, const TFontObj& run, int baselineY, int topY);

    // Document Y of the top of the image's box when drawn so.
    int BoxTop(const TFontObj& run, int baselineY, int topY) const;
    // How far the picture sits inside the box: a placeholder's inset and a
    // link border.
    int PictureInset() const;

    // The width the image counts for in its section's width range: a
    // percentage follows the width it is laid out in, so the picture's own
    // width stands in for it.
    int RangeWidth() const;

    // Whether window X x, document Y y lies on the picture whose box has its
    // top left at window X boxLeft, document Y boxTop, and where.
    bool Contains(int boxLeft, int boxTop, int x, int y, int& xInImage, int& yInImage) const;

    // The map of the document this image uses, or null.
    const TMapItem* FindMap() const;

    // A plain bitmap of the picture with the shared palette (the display is
    // true colour: a copy, made once); null for ErrorImage.
    const QImage& PaletteCopy() const;

private:
    void ReadAttributes(const TAttributeList& attributes);
    // Shown as a placeholder box: images off, not fetched, waiting or failed.
    bool DrawsPlaceholder() const;
    void FetchPicture(TImageCache& cache);
    void SettleSize(TCanvas& canvas, int availableWidth, int naturalWidth, int naturalHeight);
    void DrawPicture(TCanvas& canvas, int left, int top) const;
    void DrawSunkenFrame(TCanvas& canvas, int left, int top) const;
    int NaturalWidth = 0;           // the picture's own width, from the last sizing
    bool CacheHeld = false;         // the document uses the cache entry of Source
    mutable QImage PaletteCopyImage;
};

// Wraps the ALT text into the box (left, top, right, bottom) in the canvas
// font, word by word, drawing each line that fits.
void WrapAltText(TCanvas& canvas, int left, int top, std::string_view text, int bottom, int right);

// The owning list of a section's images, ordered by their index in the text.
class TImageObjList {
public:
    TImageObj& Add(std::unique_ptr<TImageObj> image);
    int Count() const { return static_cast<int>(images_.size()); }
    bool IsEmpty() const { return images_.empty(); }
    TImageObj& operator[](int index) const { return *images_[static_cast<std::size_t>(index)]; }
    // The first image whose index is at or after the text index (Count() when none).
    int FirstAtOrAfter(int textIndex) const;
    // The image standing at the text index, or null.
    TImageObj* At(int textIndex) const;

    auto begin() const { return images_.begin(); }
    auto end() const { return images_.end(); }

private:
    std::vector<std::unique_ptr<TImageObj>> images_;
};
