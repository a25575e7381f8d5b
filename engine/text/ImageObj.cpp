#include "engine/text/ImageObj.h"

#include "engine/canvas/Canvas.h"
#include "engine/canvas/Fonts.h"
#include "engine/images/ImageCache.h"
#include "engine/images/ImageMap.h"
#include "engine/base/MulDiv.h"
#include "engine/layout/SectionList.h"
#include "engine/lexer/Symbols.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Placeholder boxes write their ALT text in this font.
TMyFont AltTextFont()
{
    return TMyFont("Arial", 8, {}, clBlack);
}

std::string UpperAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return text;
}

std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

TImageAlign ReadImageAlign(std::string_view value)
{
    const std::string upper = UpperAscii(std::string(value));
    if (upper == "TOP")
        return TImageAlign::Top;
    if (upper == "MIDDLE" || upper == "ABSMIDDLE")
        return TImageAlign::Middle;
    if (upper == "LEFT")
        return TImageAlign::Left;
    if (upper == "RIGHT")
        return TImageAlign::Right;
    return TImageAlign::Bottom;
}

// A side of the picture as laid out: as large as a size attribute may be at
// most, so that pictures of a few pixels' height and millions' width add up
// in lines and tables like everything else.
int LaidOutSide(int side)
{
    return std::clamp(side, 0, kMaxAttributeSize);
}

// The other side of a picture scaled to one given side. MulDiv fails (-1) only
// when the result does not fit in an int: far more than any side may be.
int ProportionalSide(int givenSide, int naturalOther, int naturalGiven)
{
    const int side = MulDiv(givenSide, naturalOther, naturalGiven);
    return side < 0 ? kMaxAttributeSize : LaidOutSide(side);
}

} // namespace

TImageObj::TImageObj(TSectionList* document, TCell* cell, int index, const TAttributeList& attributes)
    : Index(index), Document(document), Cell(cell)
{
    ReadAttributes(attributes);
}

TImageObj::~TImageObj()
{
    if (!Document)
        return;
    if (CacheHeld && Document->ImageCache)
        Document->ImageCache->Cache().Release(Source);
    // An item dropped on its own (a table that failed its layout) must not
    // leave the document animating or waiting for a freed image.
    if (Gif) {
        auto& animated = Document->AnimatedImages;
        if (const auto use = std::find(animated.begin(), animated.end(), Gif.get()); use != animated.end())
            animated.erase(use);
    }
    std::erase_if(Document->MissingImages, [this](const TMissingImage& missing) { return missing.Image == this; });
}

void TImageObj::ReadAttributes(const TAttributeList& attributes)
{
    for (const TAttribute& attribute : attributes) {
        switch (attribute.Symbol) {
        case TSymbol::Src: Source = attribute.Text; break;
        case TSymbol::Alt: AltText = attribute.Text; break;
        case TSymbol::Align: Align = ReadImageAlign(attribute.Text); break;
        case TSymbol::Border: NoBorder = attribute.Value == 0; break;
        case TSymbol::Width:
            if (attribute.Text.find('%') != std::string::npos) {
                if (attribute.Value > 0 && attribute.Value <= 100) {
                    SpecWidth = attribute.Value;
                    WidthIsPercent = true;
                }
            } else if (attribute.Value > 0) {
                SpecWidth = attribute.SizeValue();
                WidthIsPercent = false;
            }
            break;
        case TSymbol::Height: SpecHeight = std::max(1, attribute.SizeValue()); break;
        case TSymbol::Transp: Transparent = TTransparency::LowerLeft; break;
        case TSymbol::IsMap: IsMap = true; break;
        case TSymbol::UseMap: {
            UsesMap = true;
            std::string name = UpperAscii(Trimmed(attribute.Text));
            if (!name.empty() && name.front() == '#')
                name.erase(0, 1);
            MapName = name;
            break;
        }
        case TSymbol::HSpace: HSpace = std::min(kMaxHSpace, std::abs(attribute.OffsetValue())); break;
        default: break;
        }
    }
}

void TImageObj::FetchPicture(TImageCache& cache)
{
    bool waiting = false;
    if (!Source.empty()) {
        // Without a request handler the reference is a file name.
        if (!Document->OnImageRequest && Document->ExpandLinkName)
            Source = Document->ExpandLinkName(Source);
        const std::string key = ImageCacheKey(Source);
        waiting = std::any_of(Document->MissingImages.begin(), Document->MissingImages.end(),
                              [&](const TMissingImage& missing) { return missing.Name == key; });
        if (!waiting) {
            TImageFetch fetch = cache.GetImage(Source, Transparent, Document->OnImageRequest);
            waiting = fetch.NotYetAvailable;
            if (!fetch.Picture.IsNull()) {
                CacheHeld = true;
                Transparent = fetch.Transparency;
                Mask = fetch.Mask;
                if (fetch.Picture.IsAnimated()) {
                    // The images of one animation share the cache's frames
                    // and show the same frame (the document lists each use).
                    Gif = fetch.Picture.Gif;
                    Kind = TPictureKind::Animated;
                    Document->AnimatedImages.push_back(Gif.get());
                } else {
                    Bitmap = fetch.Picture.Bitmap;
                    Kind = TPictureKind::Bitmap;
                }
                return;
            }
        }
    }
    if (waiting) {
        Kind = TPictureKind::DefaultImage;
        Document->MissingImages.push_back({ImageCacheKey(Source), this});
    } else {
        Kind = TPictureKind::ErrorImage;
        Mask = cache.ErrorImageMask();
        Transparent = TTransparency::LowerLeft;
    }
}

void TImageObj::ComputeSize(TCanvas& canvas, int availableWidth, const TFontObj& run)
{
    const TImageCache* cache = Document->ImageCache;
    const bool showImages = Document->ShowImages;
    if (showImages && Kind == TPictureKind::None && Document->ImageCache)
        FetchPicture(*Document->ImageCache);

    QSize natural;
    if (!cache)
        natural = QSize(0, 0);
    else if (!showImages || Kind == TPictureKind::DefaultImage)
        natural = cache->DefaultImage().size();
    else if (Kind == TPictureKind::ErrorImage)
        natural = cache->ErrorImage().size();
    else if (Kind == TPictureKind::Animated)
        natural = QSize(Gif->Width(), Gif->Height());
    else
        natural = Bitmap.size();

    NaturalWidth = natural.width();
    if (!SizeSettled)
        SettleSize(canvas, availableWidth, natural.width(), natural.height());
    TotalWidth = ImageWidth;
    TotalHeight = ImageHeight;
    Bordered = !run.Link.Url.empty() && !NoBorder;
    if (Bordered) {
        TotalWidth += 2;
        TotalHeight += 2;
    }
}

int TImageObj::RangeWidth() const
{
    const int border = TotalWidth - ImageWidth;
    return (WidthIsPercent ? NaturalWidth : ImageWidth) + border;
}

void TImageObj::SettleSize(TCanvas& canvas, int availableWidth, int naturalWidth, int naturalHeight)
{
    naturalWidth = LaidOutSide(naturalWidth);
    naturalHeight = LaidOutSide(naturalHeight);
    const bool placeholder = !Document->ShowImages || IsPlaceholder() || Kind == TPictureKind::None;
    const bool heightGiven = SpecHeight > 0;
    const bool widthGiven = SpecWidth > 0;
    if (WidthIsPercent) {
        // Follows the available width: recomputed at every layout. A share of
        // at most 100 % of a width cannot fail.
        ImageWidth = std::max(0, MulDiv(availableWidth, SpecWidth, 100));
        ImageHeight = heightGiven ? SpecHeight : naturalHeight;
    } else if (placeholder) {
        // The picture may still come: its own size is taken when it does.
        ImageWidth = widthGiven ? SpecWidth : naturalWidth;
        ImageHeight = heightGiven ? SpecHeight : naturalHeight;
        if (heightGiven && widthGiven)
            SizeSettled = true;
    } else {
        ImageWidth = naturalWidth;
        ImageHeight = naturalHeight;
        if (heightGiven && widthGiven) {
            ImageWidth = SpecWidth;
            ImageHeight = SpecHeight;
        } else if (heightGiven) {
            ImageHeight = SpecHeight;
            ImageWidth = naturalHeight > 0 ? ProportionalSide(SpecHeight, naturalWidth, naturalHeight) : naturalWidth;
        } else if (widthGiven) {
            ImageWidth = SpecWidth;
            ImageHeight = naturalWidth > 0 ? ProportionalSide(SpecWidth, naturalHeight, naturalWidth) : naturalHeight;
        }
        SizeSettled = true;
    }
    if (placeholder && !SizeSettled) {
        canvas.SetFont(AltTextFont());
        const int altWidth = AltText.empty() ? 0 : canvas.TextWidth(AltText) + 2;
        const int altHeight = AltText.empty() ? 0 : canvas.TextExtent(AltText).height();
        ImageWidth = std::max(ImageWidth, altWidth + kPlaceholderMinimum);
        ImageHeight = std::max({ImageHeight, kPlaceholderMinimum, altHeight});
    }
}

int TImageObj::BoxTop(const TFontObj& run, int baselineY, int topY) const
{
    if (Align == TImageAlign::Middle)
        return baselineY + run.Descent() - run.Height() / 2 - TotalHeight / 2;
    if (Align == TImageAlign::Bottom)
        return baselineY - TotalHeight;
    return topY;
}

bool TImageObj::DrawsPlaceholder() const
{
    return !Document->ShowImages || IsPlaceholder() || Kind == TPictureKind::None;
}

int TImageObj::PictureInset() const
{
    return (DrawsPlaceholder() ? kPlaceholderInset : 0) + (Bordered ? 1 : 0);
}

void TImageObj::Draw(TCanvas& canvas, int x, const TFontObj& run, int baselineY, int topY)
{
    const int offset = Document->YOffset;
    const bool placeholderMode = DrawsPlaceholder();
    const int inset = placeholderMode ? kPlaceholderInset : 0;

    canvas.SetBrushStyle(TBrushStyle::Clear);
    const TColor savedColor = canvas.FontColor();
    canvas.SetFont(AltTextFont());

    const int top = BoxTop(run, baselineY, topY) - offset;
    const bool tooSmall = ImageHeight <= kPlaceholderSmallest || ImageWidth <= kPlaceholderSmallest;
    if (Document->ImageCache && !(placeholderMode && tooSmall)) {
        try {
            const int pictureInset = PictureInset();
            DrawPicture(canvas, x + pictureInset, top + pictureInset);
        } catch (const std::exception&) {
            // The rest of the page is painted all the same.
        }
    }
    canvas.SetTextAlign(TTextAlign::TopLeft);

    const int altLeft = x + kPlaceholderMinimum;
    const int altTop = top + inset;
    const int altBottom = top + ImageHeight - 1;
    const int altRight = x + ImageWidth - 2;
    if (placeholderMode && !Bordered) {
        canvas.SetFontColor(savedColor);
        WrapAltText(canvas, altLeft, altTop, AltText, altBottom, altRight);
        DrawSunkenFrame(canvas, x, top);
    }
    if (Bordered) {
        const TColor linkColor = run.Font().Color();
        canvas.SetPen(linkColor);
        canvas.SetFontColor(linkColor);
        if (placeholderMode)
            WrapAltText(canvas, altLeft, altTop, AltText, altBottom, altRight);
        canvas.SetBrushStyle(TBrushStyle::Clear);
        canvas.Rectangle({x, top, x + TotalWidth, top + TotalHeight});
    }
}

void TImageObj::DrawPicture(TCanvas& canvas, int left, int top) const
{
    const TImageCache* cache = Document->ImageCache;
    const TRect target{left, top, left + ImageWidth, top + ImageHeight};
    if (!Document->ShowImages || Kind == TPictureKind::DefaultImage || Kind == TPictureKind::None) {
        canvas.Draw(left, top, cache->DefaultImage());
    } else if (Kind == TPictureKind::ErrorImage) {
        const QImage& picture = cache->ErrorImage();
        canvas.DrawMasked({left, top, left + picture.width(), top + picture.height()}, picture,
                          cache->ErrorImageMask());
    } else if (Kind == TPictureKind::Animated) {
        Gif->Draw(canvas, left, top, ImageWidth, ImageHeight);
    } else if (Transparent != TTransparency::None && !Mask.isNull()) {
        canvas.DrawMasked(target, Bitmap, Mask);
    } else {
        canvas.StretchDraw(target, Bitmap);
    }
}

void TImageObj::DrawSunkenFrame(TCanvas& canvas, int left, int top) const
{
    const int right = left + ImageWidth - 1;
    const int bottom = top + ImageHeight - 1;
    canvas.SetPen(clBtnShadow);
    canvas.MoveTo(left, bottom);
    canvas.LineTo(left, top);
    canvas.LineTo(right, top);
    canvas.SetPen(Document->BackgroundIsWhite() ? clSilver : clBtnHighlight);
    canvas.LineTo(right, bottom);
    canvas.LineTo(left, bottom);
}

bool TImageObj::Contains(int boxLeft, int boxTop, int x, int y, int& xInImage, int& yInImage) const
{
    const int width = Bordered ? TotalWidth - 2 : TotalWidth;
    const int height = Bordered ? TotalHeight - 2 : TotalHeight;
    const int pictureInset = PictureInset();
    const int dx = x - boxLeft - pictureInset;
    const int dy = y - boxTop - pictureInset;
    if (dx < 0 || dx >= width || dy < 0 || dy >= height)
        return false;
    xInImage = dx;
    yInImage = dy;
    return true;
}

const TMapItem* TImageObj::FindMap() const
{
    if (!UsesMap)
        return nullptr;
    for (const auto& map : Document->MapList)
        if (UpperAscii(map->MapName) == MapName)
            return map.get();
    return nullptr;
}

const QImage& TImageObj::PaletteCopy() const
{
    const TImageCache* cache = Document->ImageCache;
    if (PaletteCopyImage.isNull()) {
        if (Kind == TPictureKind::Animated)
            PaletteCopyImage = Gif->CopyBitmap();
        else if (Kind == TPictureKind::Bitmap)
            PaletteCopyImage = Bitmap.copy();
        else if (Kind == TPictureKind::DefaultImage && cache)
            PaletteCopyImage = cache->DefaultImage().copy();
    }
    return PaletteCopyImage;
}

void WrapAltText(TCanvas& canvas, int left, int top, std::string_view text, int bottom, int right)
{
    const int lineHeight = canvas.TextExtent("A").height();
    const TRect box{left, top, right, bottom};
    const std::string trimmed = Trimmed(text);
    if (trimmed.empty())
        return;
    canvas.SetBackgroundMode(TBackgroundMode::Transparent);
    std::string line;
    std::size_t wordStart = 0;
    while (wordStart <= trimmed.size()) {
        std::size_t wordEnd = trimmed.find(' ', wordStart);
        if (wordEnd == std::string::npos)
            wordEnd = trimmed.size();
        const std::string_view word(trimmed.data() + wordStart, wordEnd - wordStart);
        const std::string candidate = line.empty() ? std::string(word) : line + " " + std::string(word);
        if (line.empty() || canvas.TextWidth(candidate) <= right - left) {
            line = candidate;
        } else {
            if (top + lineHeight > bottom)
                return;
            canvas.ExtTextOut(left, top, box, line);
            top += lineHeight;
            line = std::string(word);
        }
        wordStart = wordEnd + 1;
    }
    if (!line.empty() && top + lineHeight <= bottom)
        canvas.ExtTextOut(left, top, box, line);
}

// ---- TImageObjList ----

TImageObj& TImageObjList::Add(std::unique_ptr<TImageObj> image)
{
    images_.push_back(std::move(image));
    return *images_.back();
}

int TImageObjList::FirstAtOrAfter(int textIndex) const
{
    const auto found = std::lower_bound(images_.begin(), images_.end(), textIndex,
                                        [](const auto& image, int index) { return image->Index < index; });
    return static_cast<int>(found - images_.begin());
}

TImageObj* TImageObjList::At(int textIndex) const
{
    const int found = FirstAtOrAfter(textIndex);
    return found < Count() && (*this)[found].Index == textIndex ? &(*this)[found] : nullptr;
}
