#include "engine/layout/SectionList.h"

#include "engine/canvas/Canvas.h"
#include "engine/images/AnimationNotes.h"
#include "engine/images/GifDecoder.h"
#include "engine/canvas/TextSinks.h"

#include <algorithm>
#include <chrono>

namespace {

std::int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

TSectionList::TSectionList(TDocumentHost* host, TErrorBox& errorBox) : TCell(this), Host(host), ErrorBox(errorBox)
{
    const TFontDefaults defaults;
    BaseFontSize = defaults.BaseFontSize;
    FontName = defaults.FontName;
    FixedFontName = defaults.FixedFontName;
    FontColor = defaults.FontColor;
    LinkColor = defaults.LinkColor;
    Charset = defaults.Charset;
}

TSectionList::~TSectionList()
{
    Clear();
}

TFontDefaults TSectionList::FontDefaults() const
{
    TFontDefaults defaults;
    defaults.FontName = FontName;
    defaults.FixedFontName = FixedFontName;
    defaults.BaseFontSize = BaseFontSize;
    defaults.Charset = Charset;
    defaults.FontColor = FontColor;
    defaults.LinkColor = LinkColor;
    defaults.Faces = FaceCache;
    return defaults;
}

void TSectionList::Clear()
{
    SetBackgroundImage({});
    FormControlList.clear();
    AnimatedImages.clear();
    SelectionBegin = 0;
    SelectionEnd = 0;
    MapList.clear();
    MissingImages.clear();
    Items.clear();
    FontLooks.Clear();
    LastRuns.Clear();
    LastTextContent.reset();
    LastLines.clear();
    ForgetWidthRanges();
}

int TSectionList::Layout(TCanvas& canvas, int y, int width, int& position, int& maxWidth)
{
    StopAnimationClock();
    if (ControlPlacement)
        ControlPlacement->SizeFromCanvas(*this, canvas);
    const int height = TCell::Layout(canvas, y, width, position, maxWidth);
    // Every layout starts the animations again from their first frame.
    const std::int64_t now = NowMs();
    for (TGIFImage* image : AnimatedImages) {
        image->SetCurrentFrame(1);
        image->SetAnimate(false, now);
        image->SetAnimate(true, now);
    }
    StartAnimationClock();
    HideUnplacedControls();
    return height;
}

int TSectionList::Paint(TCanvas& canvas, const TRect& clip, int y, int x, int clipWidth)
{
    StopAnimationClock();
    // The display is true colour: the shared palette needs no selecting.
    const int bottom = TCell::Paint(canvas, clip, y, x, clipWidth);
    if (ControlsNeedPlacing) {
        HideUnplacedControls();
        ControlsNeedPlacing = false;
    }
    StartAnimationClock();
    return bottom;
}

void TSectionList::AnimationTick(const TAnimationNotes& drawn)
{
    const std::int64_t now = NowMs();
    for (TGIFImage* image : AnimatedImages) {
        const std::vector<TRect>& places = drawn.Places(*image);
        if (places.empty() || !image->AnimationStep(now) || !Host)
            continue;
        for (const TRect& place : places)
            Host->RepaintBand(place);
    }
}

void TSectionList::StartAnimationClock()
{
    if (Host && HasAnimatedImages())
        Host->StartAnimationClock(kAnimationInterval);
}

void TSectionList::StopAnimationClock()
{
    if (Host)
        Host->StopAnimationClock();
}

void TSectionList::SetYOffset(int offset)
{
    if (offset == YOffset)
        return;
    YOffset = offset;
    ControlsNeedPlacing = true;
    if (ControlPlacement)
        ControlPlacement->MarkUnplaced(*this);
}

void TSectionList::HideUnplacedControls()
{
    if (ControlPlacement && !FormControlList.empty())
        ControlPlacement->HideUnplaced(*this);
}

void TSectionList::ParkUnplacedControls()
{
    if (ControlPlacement)
        ControlPlacement->ParkUnplaced(*this);
}

void TSectionList::SetFonts(const std::string& fontName, const std::string& fixedFontName, TColor background,
                            TColor linkColor, TColor fontColor, int baseFontSize)
{
    FontName = fontName.substr(0, kMaxFontNameLength);
    FixedFontName = fixedFontName.substr(0, kMaxFontNameLength);
    BaseFontSize = baseFontSize;
    LinkColor = linkColor;
    FontColor = fontColor;
    SetBackground(background);
    ApplyDefaultFonts();
}

void TSectionList::SetBackground(TColor color)
{
    Background = color;
    if (OnBackgroundChange)
        OnBackgroundChange(*this);
}

void TSectionList::ReleaseBackground()
{
    if (backgroundCacheHeld_ && ImageCache)
        ImageCache->Cache().Release(BackgroundImageName);
    backgroundCacheHeld_ = false;
}

void TSectionList::SetBackgroundImage(const std::string& name)
{
    // A page naming a second background lets go of the first one's entry.
    ReleaseBackground();
    BackgroundImage = QImage();
    BackgroundImageName = name;
    BackgroundRequested = false;
}

bool TSectionList::BackgroundIsWhite() const
{
    return (Background & 0xFFFFFF) == 0xFFFFFF || (Background == clWindow && ToQColor(clWindow) == QColor(Qt::white));
}

const QImage& TSectionList::BackgroundBitmap()
{
    if (!ShowImages || BackgroundRequested || BackgroundImageName.empty() || !BackgroundImage.isNull())
        return BackgroundImage;
    // A request handler gets the reference as the page wrote it.
    if (!OnImageRequest && ExpandLinkName)
        BackgroundImageName = ExpandLinkName(BackgroundImageName);
    if (ImageCache) {
        const TImageFetch fetch = ImageCache->GetImage(BackgroundImageName, TTransparency::None, OnImageRequest);
        backgroundCacheHeld_ = !fetch.Picture.IsNull();
        if (fetch.NotYetAvailable)
            MissingImages.push_back({ImageCacheKey(BackgroundImageName), nullptr});
        else if (!fetch.Picture.IsAnimated())
            BackgroundImage = fetch.Picture.Bitmap; // an animated GIF is no background

    }
    BackgroundRequested = true;
    return BackgroundImage;
}

void TSectionList::CopyToClipboard()
{
    if (SelectionBegin >= SelectionEnd)
        return;
    ClipBuffer sink;
    CopySelection(sink);
    sink.Finish();
}

int TSectionList::SelectionLength()
{
    if (SelectionBegin >= SelectionEnd)
        return 0;
    SelTextCount sink;
    CopySelection(sink);
    return sink.Finish();
}

int TSectionList::ItemTop(int index) const
{
    if (index <= 0 || Items.size() < 2)
        return 0;
    const auto last = static_cast<int>(Items.size()) - 1;
    int top = 0;
    for (int i = 0; i < std::min(index, last); ++i)
        top += Items[static_cast<std::size_t>(i)]->SectionHeight;
    return top;
}
