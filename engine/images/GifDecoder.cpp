#include "engine/images/GifDecoder.h"

#include "engine/images/AnimationNotes.h"

#include "engine/canvas/Canvas.h"
#include "engine/images/ImageLoader.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr std::uint8_t kExtensionIntroducer = 0x21;
constexpr std::uint8_t kImageSeparator = 0x2C;
constexpr std::uint8_t kPlainTextLabel = 0x01;
constexpr std::uint8_t kGraphicControlLabel = 0xF9;
constexpr std::uint8_t kCommentLabel = 0xFE;
constexpr std::uint8_t kApplicationLabel = 0xFF;

constexpr char kNetscapeLoop[] = "NETSCAPE2.0"; // application name and version of the loop block
constexpr std::size_t kHeaderSize = 13;    // "GIF89a" and the logical screen descriptor
constexpr std::size_t kDescriptorSize = 10; // the image descriptor with its separator
constexpr QRgb kOpaqueBlack = 0xFF000000;

// The graphic control extension that applies to the next image.
struct TGraphicControl {
    bool Present = false;
    std::uint8_t Packed = 0;
    std::uint16_t Delay = 0;
    std::uint8_t TransparentIndex = 0;
};

// Disposal field of the graphic control: 0, 1 and 3 are kept, every other
// value restores the background.
TDisposal DisposalOf(std::uint8_t packed)
{
    switch ((packed >> 2) & 7) {
    case 0: return TDisposal::None;
    case 1: return TDisposal::Keep;
    case 3: return TDisposal::Previous;
    default: return TDisposal::Background;
    }
}

QImage NewMask(int width, int height, bool transparent)
{
    QImage mask(width, height, QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mask.fill(transparent ? 1 : 0);
    return mask;
}

bool MaskBit(const uchar* line, int x)
{
    return (line[x >> 3] & (0x80 >> (x & 7))) != 0;
}

void SetMaskBit(uchar* line, int x, bool value)
{
    if (value)
        line[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
    else
        line[x >> 3] &= static_cast<uchar>(~(0x80 >> (x & 7)));
}

void SetMaskBits(QImage& mask, const TRect& box, bool value)
{
    for (int y = box.Top; y < box.Bottom; ++y) {
        uchar* line = mask.scanLine(y);
        for (int x = box.Left; x < box.Right; ++x)
            SetMaskBit(line, x, value);
    }
}

// Rows of an interlaced frame in the order they are stored: every 8th row from
// 0, every 8th from 4, every 4th from 2, every 2nd from 1.
std::vector<int> InterlacedRowOrder(int height)
{
    constexpr std::array<std::pair<int, int>, 4> kPasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(height));
    for (const auto& [start, step] : kPasses)
        for (int row = start; row < height; row += step)
            order.push_back(row);
    return order;
}

} // namespace

// Reads one GIF file into an image: header, then blocks until the trailer,
// the 256th frame, or a block it cannot read.
class TGifParser {
public:
    TGifParser(TGIFImage& image, std::span<const std::uint8_t> data, bool structureOnly,
               const TGifLimits& limits)
        : Image(image), Data(data), StructureOnly(structureOnly), Limits(limits)
    {
    }

    GifError Parse();

private:
    bool Has(std::size_t count) const { return Data.size() - Position >= count; }
    std::uint16_t Word(std::size_t at) const
    {
        return static_cast<std::uint16_t>(Data[at] | Data[at + 1] << 8);
    }
    bool CanvasFits(std::int64_t width, std::int64_t height) const
    {
        return width * height <= Limits.MaxPixels;
    }

    GifError ReadHeader();
    // Each block reader returns false when the parse must stop.
    bool ReadExtension();
    bool SkipSubBlocks();
    template <typename TBytes>
    bool ReadSubBlocks(TBytes& out);
    bool ReadGraphicControl();
    bool ReadApplication();
    GifError ReadFrame();
    void ReadColorTable(TGifColorTable& table, int bits);
    void DecodePixels(TFrame& frame, int minCodeSize, std::span<const std::uint8_t> codes);

    TGIFImage& Image;
    std::span<const std::uint8_t> Data;
    std::size_t Position = 0;
    const bool StructureOnly;
    const TGifLimits& Limits;
    TGraphicControl PendingControl;
    std::string PendingComment;
    std::int64_t FramePixels = 0;
    std::vector<std::uint8_t> Codes;
};

GifError TGifParser::Parse()
{
    if (const GifError error = ReadHeader(); error != GifError::None)
        return error;
    while (Has(1)) {
        const std::uint8_t introducer = Data[Position];
        if (introducer == kExtensionIntroducer) {
            if (!ReadExtension())
                break;
        } else if (introducer == kImageSeparator) {
            if (Image.FrameCount() >= std::min(Limits.MaxFrames, kMaxGifFrames))
                break;
            const GifError error = ReadFrame();
            if (error == GifError::TooLarge)
                return error;
            if (error != GifError::None)
                break;
        } else {
            break; // the trailer (0x3B), or a byte that starts no block
        }
    }
    return Image.Frames.empty() ? GifError::NoImage : GifError::None;
}

GifError TGifParser::ReadHeader()
{
    if (Data.size() < 3 || std::memcmp(Data.data(), "GIF", 3) != 0)
        return GifError::NotGif;
    if (!Has(kHeaderSize))
        return GifError::Truncated;
    Image.WidthValue = Word(6);
    Image.HeightValue = Word(8);
    const std::uint8_t packed = Data[10];
    Position = kHeaderSize;
    if (packed & 0x80) {
        const int bits = (packed & 7) + 1;
        if (!Has(std::size_t{3} << bits))
            return GifError::Truncated;
        ReadColorTable(Image.GlobalTable, bits);
        Image.ColorBitsValue = bits;
    }
    return CanvasFits(Image.WidthValue, Image.HeightValue) ? GifError::None : GifError::TooLarge;
}

void TGifParser::ReadColorTable(TGifColorTable& table, int bits)
{
    const int count = 1 << bits;
    for (int i = 0; i < count; ++i) {
        const std::size_t at = Position + 3 * static_cast<std::size_t>(i);
        table[i] = {Data[at], Data[at + 1], Data[at + 2]};
    }
    Position += 3 * static_cast<std::size_t>(count);
}

bool TGifParser::ReadExtension()
{
    if (!Has(2))
        return false;
    const std::uint8_t label = Data[Position + 1];
    switch (label) {
    case kGraphicControlLabel:
        Position += 2;
        return ReadGraphicControl();
    case kCommentLabel:
        Position += 2;
        return ReadSubBlocks(PendingComment);
    case kApplicationLabel:
        Position += 2;
        return ReadApplication();
    case kPlainTextLabel:
        Position += 2;
        return SkipSubBlocks(); // plain text is not rendered
    default:
        return false; // an unknown extension ends the parse
    }
}

// Sub-blocks: a size byte and that many bytes, up to a size of 0.
bool TGifParser::SkipSubBlocks()
{
    while (Has(1)) {
        const std::size_t size = Data[Position++];
        if (size == 0)
            return true;
        if (!Has(size)) {
            Position = Data.size();
            return false;
        }
        Position += size;
    }
    return false;
}

template <typename TBytes>
bool TGifParser::ReadSubBlocks(TBytes& out)
{
    while (Has(1)) {
        const std::size_t size = Data[Position++];
        if (size == 0)
            return true;
        const std::size_t available = std::min(size, Data.size() - Position);
        out.insert(out.end(), Data.begin() + static_cast<std::ptrdiff_t>(Position),
                   Data.begin() + static_cast<std::ptrdiff_t>(Position + available));
        Position += available;
        if (available < size)
            return false;
    }
    return false;
}

// The control record is the first sub-block: packed byte, delay, transparent
// index. A block shorter than 4 bytes is ignored rather than read past.
bool TGifParser::ReadGraphicControl()
{
    if (Has(5) && Data[Position] >= 4) {
        PendingControl = {true, Data[Position + 1], Word(Position + 2), Data[Position + 4]};
    }
    return SkipSubBlocks();
}

// NETSCAPE2.0: the loop count is the 16-bit value after the first byte of the
// next sub-block; a sub-block too short to hold it is ignored.
bool TGifParser::ReadApplication()
{
    const std::size_t firstSize = Has(1) ? Data[Position] : 0;
    if (firstSize >= 11 && Has(1 + firstSize) && std::memcmp(Data.data() + Position + 1, kNetscapeLoop, 11) == 0) {
        Position += 1 + firstSize;
        if (!Has(1))
            return false;
        const std::size_t size = Data[Position];
        if (size >= 3 && Has(1 + size))
            Image.LoopCountValue = Word(Position + 2);
    }
    return SkipSubBlocks();
}

GifError TGifParser::ReadFrame()
{
    if (!Has(kDescriptorSize))
        return GifError::Truncated;
    auto frame = std::make_unique<TFrame>();
    frame->Owner = &Image;
    frame->Left = Word(Position + 1);
    frame->Top = Word(Position + 3);
    frame->Width = Word(Position + 5);
    frame->Height = Word(Position + 7);
    const std::uint8_t packed = Data[Position + 9];
    Position += kDescriptorSize;

    // Refuse before anything is allocated: the frame, the whole of the frames,
    // and the screen enlarged to hold the frame.
    FramePixels += std::int64_t{frame->Width} * frame->Height;
    const int canvasWidth = std::max(Image.WidthValue, frame->Left + frame->Width);
    const int canvasHeight = std::max(Image.HeightValue, frame->Top + frame->Height);
    if (FramePixels > Limits.MaxFramePixelsTotal || !CanvasFits(canvasWidth, canvasHeight))
        return GifError::TooLarge;

    if (packed & 0x80) {
        const int bits = (packed & 7) + 1;
        if (!Has(std::size_t{3} << bits))
            return GifError::Truncated;
        frame->HasLocalTable = true;
        frame->LocalColorBits = bits;
        if (StructureOnly) {
            Position += std::size_t{3} << bits;
        } else {
            auto table = std::make_shared<TGifColorTable>();
            ReadColorTable(*table, bits);
            frame->LocalTable = std::move(table);
        }
    }
    frame->Interlaced = (packed & 0x40) != 0;
    if (PendingControl.Present) {
        frame->Disposal = DisposalOf(PendingControl.Packed);
        frame->Delay = PendingControl.Delay * 10;
        frame->Transparent = (PendingControl.Packed & 1) != 0;
        frame->TransparentIndex = PendingControl.TransparentIndex;
    }

    if (!Has(1))
        return GifError::Truncated;
    const int minCodeSize = Data[Position++];
    if (minCodeSize < kMinLzwCodeSize || minCodeSize > kMaxLzwCodeSize)
        return GifError::BadCode;
    // The data sub-blocks are joined for the code reader. Data cut by the end
    // of the file still gives the rows it holds.
    Codes.clear();
    if (StructureOnly) {
        SkipSubBlocks();
    } else {
        ReadSubBlocks(Codes);
        DecodePixels(*frame, minCodeSize, Codes);
    }
    // Stray zero bytes after the data are skipped, as if empty terminators.
    while (Has(1) && Data[Position] == 0)
        ++Position;

    Image.WidthValue = canvasWidth;
    Image.HeightValue = canvasHeight;
    Image.ColorBitsValue = std::max(Image.ColorBitsValue, frame->LocalColorBits);
    Image.TransparentFlag = Image.TransparentFlag || frame->Transparent;
    frame->Comment = std::move(PendingComment);
    PendingComment.clear();
    PendingControl = {};
    Image.Frames.push_back(std::move(frame));
    return GifError::None;
}

void TGifParser::DecodePixels(TFrame& frame, int minCodeSize, std::span<const std::uint8_t> codes)
{
    const TGifColorTable& table = frame.ColorTable();
    if (frame.Transparent)
        frame.TransparentColor = table[frame.TransparentIndex];
    if (frame.Width == 0 || frame.Height == 0)
        return;

    const std::size_t width = static_cast<std::size_t>(frame.Width);
    std::vector<std::uint8_t> pixels(width * static_cast<std::size_t>(frame.Height), 0);
    DecodeLzw(minCodeSize, codes, pixels); // rows not decoded stay at index 0

    // Every index has a colour, so values past a short table read black; the
    // transparent index is black too, which blackens the transparent pixels.
    QList<QRgb> colors(256);
    for (int i = 0; i < 256; ++i)
        colors[i] = qRgb(table[i].Red, table[i].Green, table[i].Blue);
    if (frame.Transparent)
        colors[frame.TransparentIndex] = kOpaqueBlack;
    frame.Image = QImage(frame.Width, frame.Height, QImage::Format_Indexed8);
    if (frame.Image.isNull())
        return; // out of memory: the frame shows nothing
    frame.Image.setColorTable(colors);
    const std::vector<int> rowOrder = frame.Interlaced ? InterlacedRowOrder(frame.Height) : std::vector<int>{};
    for (int row = 0; row < frame.Height; ++row) {
        const int target = frame.Interlaced ? rowOrder[static_cast<std::size_t>(row)] : row;
        std::memcpy(frame.Image.scanLine(target), pixels.data() + static_cast<std::size_t>(row) * width, width);
    }

    if (!frame.Transparent)
        return;
    frame.Mask = NewMask(frame.Width, frame.Height, false);
    if (frame.Mask.isNull()) {
        frame.Image = QImage();
        return;
    }
    for (int y = 0; y < frame.Height; ++y) {
        const uchar* source = frame.Image.constScanLine(y);
        uchar* line = frame.Mask.scanLine(y);
        for (int x = 0; x < frame.Width; ++x)
            if (source[x] == frame.TransparentIndex)
                SetMaskBit(line, x, true);
    }
}

const TGifColorTable& TFrame::ColorTable() const
{
    return LocalTable ? *LocalTable : Owner->GlobalColorTable();
}

TGIFImage::TGIFImage() = default;

TGIFImage::TGIFImage(const TGIFImage& other)
    : CurrentFrameNumber(1), EmptyFlag(other.EmptyFlag), StructureOnlyFlag(other.StructureOnlyFlag),
      AnimatedFlag(other.AnimatedFlag), WidthValue(other.WidthValue), HeightValue(other.HeightValue),
      ColorBitsValue(other.ColorBitsValue), GlobalTable(other.GlobalTable),
      LoopCountValue(other.LoopCountValue), LoopIterationValue(1),
      TransparentFlag(other.TransparentFlag), VisibleFlag(other.VisibleFlag),
      NeedsBackground(true), Animating(other.Animating), FirstTickPending(other.FirstTickPending),
      LastChange(other.LastChange), CurrentDelay(other.CurrentDelay), CopyFlag(true)
{
    Frames.reserve(other.Frames.size());
    for (const auto& frame : other.Frames) {
        Frames.push_back(std::make_unique<TFrame>(*frame));
        Frames.back()->Owner = this;
    }
    if (!EmptyFlag && !StructureOnlyFlag) {
        MakeWorkImages();
        Compose();
    }
}

TGIFImage::~TGIFImage() = default;

void TGIFImage::Reset()
{
    FreeFrames();
    CurrentFrameNumber = 1;
    LoopCountValue = 1;
    LoopIterationValue = 1;
    FirstTickPending = true;
    ColorBitsValue = 0;
    TransparentFlag = false;
    EmptyFlag = true;
    AnimatedFlag = false;
    WidthValue = 0;
    HeightValue = 0;
    GlobalTable = {};
}

void TGIFImage::FreeFrames()
{
    Frames.clear();
    Work = QImage();
    WorkMaskImage = QImage();
    Background = QImage();
    CachedFirstImage = QImage();
    CachedFirstMask = QImage();
    CachedCopyBitmap = QImage();
}

namespace {

// Memory running out while loading is one more reason to refuse the picture.
GifError ParseGuarded(TGifParser& parser)
{
    try {
        return parser.Parse();
    } catch (const std::bad_alloc&) {
        return GifError::TooLarge;
    }
}

} // namespace

GifError TGIFImage::Scan(std::span<const std::uint8_t> data, const TGifLimits& limits)
{
    Reset();
    StructureOnlyFlag = true;
    TGifParser parser(*this, data, true, limits);
    const GifError error = ParseGuarded(parser);
    if (error != GifError::None) {
        FreeFrames();
        return error;
    }
    AnimatedFlag = Frames.size() > 1;
    EmptyFlag = false;
    return error;
}

GifError TGIFImage::Parse(std::span<const std::uint8_t> data, const TGifLimits& limits)
{
    Reset();
    StructureOnlyFlag = false;
    TGifParser parser(*this, data, false, limits);
    const GifError error = ParseGuarded(parser);
    if (error != GifError::None) {
        FreeFrames();
        return error;
    }
    AnimatedFlag = Frames.size() > 1;
    EmptyFlag = false;
    return error;
}

GifError TGIFImage::Load(std::span<const std::uint8_t> data, const TGifLimits& limits)
{
    const GifError error = Parse(data, limits);
    if (error != GifError::None)
        return error;
    MakeWorkImages();
    Compose();
    return error;
}

GifError TGIFImage::LoadFirstFrame(std::span<const std::uint8_t> data, const TGifLimits& limits)
{
    TGifLimits firstOnly = limits;
    firstOnly.MaxFrames = 1;
    return Parse(data, firstOnly);
}

GifError TGIFImage::Load(const std::filesystem::path& fileName, const TGifLimits& limits)
{
    bool ok = false;
    const std::vector<std::uint8_t> data = ReadFileData(fileName, ok);
    if (!ok) {
        Reset();
        return GifError::NotGif;
    }
    return Load(data, limits);
}

void TGIFImage::MakeWorkImages()
{
    Work = QImage(WidthValue, HeightValue, QImage::Format_RGB32);
    Work.fill(kOpaqueBlack);
    WorkMaskImage = TransparentFlag ? NewMask(WidthValue, HeightValue, true) : QImage();
    Background = QImage();
    NeedsBackground = true;
}

// Puts the current frame over the work image: opaque pixels replace what is
// there (and become opaque in the mask), transparent ones leave it.
void TGIFImage::Compose()
{
    if (EmptyFlag || StructureOnlyFlag || Frames.empty() || Work.isNull())
        return;
    TFrame& frame = *Frames[static_cast<std::size_t>(CurrentFrameNumber - 1)];
    NeedsBackground = NeedsBackground || (Frames.front()->Disposal <= TDisposal::Keep && CurrentFrameNumber == 1);
    const TRect box = frame.Bounds().Intersected({0, 0, WidthValue, HeightValue});
    if (box.IsEmpty() || frame.Image.isNull())
        return;
    if (frame.Disposal == TDisposal::Previous) {
        frame.SavedArea = Work.copy(ToQRect(box));
        frame.SavedMask = WorkMaskImage.isNull() ? QImage() : WorkMaskImage.copy(ToQRect(box));
    }
    const QList<QRgb> colors = frame.Image.colorTable();
    const bool hasWorkMask = !WorkMaskImage.isNull();
    for (int y = box.Top; y < box.Bottom; ++y) {
        const uchar* source = frame.Image.constScanLine(y - frame.Top);
        const uchar* frameMask = frame.Transparent ? frame.Mask.constScanLine(y - frame.Top) : nullptr;
        QRgb* target = reinterpret_cast<QRgb*>(Work.scanLine(y));
        uchar* workMask = hasWorkMask ? WorkMaskImage.scanLine(y) : nullptr;
        for (int x = box.Left; x < box.Right; ++x) {
            const int frameX = x - frame.Left;
            if (frameMask && MaskBit(frameMask, frameX))
                continue;
            target[x] = colors[source[frameX]];
            if (workMask)
                SetMaskBit(workMask, x, false);
        }
    }
}

// What the current frame leaves behind for the next: its rectangle cleared to
// transparent (2), or the pixels from before it (3).
void TGIFImage::Dispose()
{
    if (EmptyFlag || StructureOnlyFlag || Frames.empty() || Work.isNull())
        return;
    TFrame& frame = *Frames[static_cast<std::size_t>(CurrentFrameNumber - 1)];
    const TRect box = frame.Bounds().Intersected({0, 0, WidthValue, HeightValue});
    if (box.IsEmpty())
        return;
    if (frame.Disposal == TDisposal::Background) {
        for (int y = box.Top; y < box.Bottom; ++y)
            std::fill_n(reinterpret_cast<QRgb*>(Work.scanLine(y)) + box.Left, box.Width(), kOpaqueBlack);
        if (!WorkMaskImage.isNull())
            SetMaskBits(WorkMaskImage, box, true);
    } else if (frame.Disposal == TDisposal::Previous && !frame.SavedArea.isNull()) {
        for (int y = 0; y < box.Height(); ++y) {
            std::memcpy(reinterpret_cast<QRgb*>(Work.scanLine(box.Top + y)) + box.Left,
                        frame.SavedArea.constScanLine(y), static_cast<std::size_t>(box.Width()) * sizeof(QRgb));
            if (WorkMaskImage.isNull() || frame.SavedMask.isNull())
                continue;
            const uchar* saved = frame.SavedMask.constScanLine(y);
            uchar* line = WorkMaskImage.scanLine(box.Top + y);
            for (int x = 0; x < box.Width(); ++x)
                SetMaskBit(line, box.Left + x, MaskBit(saved, x));
        }
    }
    // Only the frame on show needs its saved area: one is kept at a time.
    frame.SavedArea = QImage();
    frame.SavedMask = QImage();
}

void TGIFImage::SetCurrentFrame(int number)
{
    if (number == CurrentFrameNumber || Frames.empty())
        return;
    Dispose();
    const int count = FrameCount();
    CurrentFrameNumber = number > count ? 1 : number < 1 ? count : number;
    Compose();
}

void TGIFImage::SetAnimate(bool value, std::int64_t nowMs)
{
    if (value == Animating)
        return;
    LoopIterationValue = 1;
    if (value && FrameCount() > 1) {
        CurrentDelay = std::max(Frame(CurrentFrameNumber).Delay, 1);
        LastChange = nowMs;
    }
    Animating = value;
}

// The first due tick after a load only starts the clock; a frame stays at
// least its delay. A finite loop count stops on the last frame.
bool TGIFImage::AnimationStep(std::int64_t nowMs)
{
    if (!Animating || EmptyFlag || StructureOnlyFlag || Frames.empty())
        return false;
    if (nowMs - LastChange < CurrentDelay)
        return false;
    LastChange = nowMs;
    if (LoopCountValue > 0 && CurrentFrameNumber == FrameCount()) {
        if (LoopIterationValue >= LoopCountValue) {
            Animating = false;
            return false;
        }
        ++LoopIterationValue;
    }
    bool changed = false;
    if (FirstTickPending) {
        FirstTickPending = false;
    } else {
        Dispose();
        CurrentFrameNumber = CurrentFrameNumber % FrameCount() + 1;
        Compose();
        changed = true;
    }
    CurrentDelay = std::max(Frame(CurrentFrameNumber).Delay, 1);
    return changed;
}

void TGIFImage::Draw(TCanvas& canvas, int x, int y, int width, int height,
                     const TBackgroundPainter& paintBackground)
{
    const TRect place{x, y, x + width, y + height};
    if (canvas.AnimationNotes)
        canvas.AnimationNotes->Note(*this, place);
    if (!VisibleFlag || EmptyFlag || StructureOnlyFlag || Frames.empty() || Work.isNull())
        return;
    if (!Frames.front()->Transparent || WorkMaskImage.isNull()) {
        canvas.StretchDraw(place, Work);
        return;
    }
    const bool keepsPixels = Frame(CurrentFrameNumber).Disposal <= TDisposal::Keep;
    if (!keepsPixels || !paintBackground || width <= 0 || height <= 0) {
        canvas.DrawMasked(place, Work, WorkMaskImage);
        return;
    }
    // Frames that keep their pixels only ever cover more of the background, so
    // the background image collects them until the animation starts over.
    if (NeedsBackground || Background.size() != QSize(width, height)) {
        Background = QImage(width, height, QImage::Format_RGB32);
        Background.fill(kOpaqueBlack);
        paintBackground(Background);
        NeedsBackground = false;
    }
    {
        TCanvas backgroundCanvas(&Background);
        backgroundCanvas.DrawMasked({0, 0, width, height}, Work, WorkMaskImage);
    }
    canvas.Draw(x, y, Background);
}

namespace {

std::int64_t IndexedBytes(std::int64_t width, std::int64_t height)
{
    return width * height;
}

std::int64_t MaskBytes(std::int64_t width, std::int64_t height)
{
    return (width + 7) / 8 * height;
}

std::int64_t ColorBytes(std::int64_t width, std::int64_t height)
{
    return width * height * 4;
}

} // namespace

// Counted from the frames' rectangles, so that a scan tells it before any
// pixel is decoded.
std::int64_t TGIFImage::AnimationBytes() const
{
    const std::int64_t screenMask = TransparentFlag ? MaskBytes(WidthValue, HeightValue) : 0;
    std::int64_t bytes = ColorBytes(WidthValue, HeightValue) + screenMask;
    std::int64_t largestSaved = 0;
    for (const auto& frame : Frames) {
        const std::int64_t mask = frame->Transparent ? MaskBytes(frame->Width, frame->Height) : 0;
        bytes += IndexedBytes(frame->Width, frame->Height) + mask;
        if (frame->Disposal == TDisposal::Previous)
            largestSaved = std::max(largestSaved, ColorBytes(frame->Width, frame->Height) +
                                                      (screenMask ? MaskBytes(frame->Width, frame->Height) : 0));
    }
    return bytes + largestSaved;
}

QImage TGIFImage::FirstFrameImage() const
{
    if (EmptyFlag || StructureOnlyFlag || Frames.empty())
        return {};
    if (CachedFirstImage.isNull())
        CachedFirstImage = Frames.front()->Image.convertToFormat(QImage::Format_RGB32);
    return CachedFirstImage;
}

QImage TGIFImage::FirstFrameMask() const
{
    if (EmptyFlag || StructureOnlyFlag || Frames.empty() || !TransparentFlag)
        return {};
    if (CachedFirstMask.isNull()) {
        const TFrame& first = *Frames.front();
        CachedFirstMask = first.Transparent ? first.Mask : NewMask(first.Width, first.Height, false);
    }
    return CachedFirstMask;
}

// Frame 1 on its transparent colour. The frame is put at the bitmap's origin
// so that a frame placed away from the screen's corner is not cut off.
QImage TGIFImage::CopyBitmap() const
{
    if (EmptyFlag || StructureOnlyFlag || Frames.empty())
        return {};
    if (!CachedCopyBitmap.isNull())
        return CachedCopyBitmap;
    const TFrame& first = *Frames.front();
    QImage copy = first.Image.convertToFormat(QImage::Format_RGB32);
    if (first.Transparent && !copy.isNull()) {
        const QRgb fill = qRgb(first.TransparentColor.Red, first.TransparentColor.Green, first.TransparentColor.Blue);
        for (int y = 0; y < copy.height(); ++y) {
            QRgb* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
            const uchar* mask = first.Mask.constScanLine(y);
            for (int x = 0; x < copy.width(); ++x)
                if (MaskBit(mask, x))
                    line[x] = fill;
        }
    }
    CachedCopyBitmap = copy;
    return CachedCopyBitmap;
}

TGifLoadResult LoadGif(std::span<const std::uint8_t> data, const TGifLimits& limits)
{
    TGifLoadResult result;
    auto image = std::make_unique<TGIFImage>();
    result.Error = image->Scan(data, limits);
    if (result.Error != GifError::None)
        return result;
    image->SetAnimate(false, 0);
    image->SetVisible(false);
    result.OverBudget = image->Animated() && image->AnimationBytes() > limits.MaxAnimationBytes;
    result.Still = !image->Animated() || result.OverBudget;
    result.Error = result.OverBudget ? image->LoadFirstFrame(data, limits) : image->Load(data, limits);
    if (result.Error != GifError::None) {
        result.DecodingFailed = true;
        return result;
    }
    // Hidden only while loading: a returned picture must draw.
    image->SetVisible(true);
    result.Image = std::move(image);
    return result;
}

TGifLoadResult LoadGif(const std::filesystem::path& fileName, const TGifLimits& limits)
{
    bool ok = false;
    const std::vector<std::uint8_t> data = ReadFileData(fileName, ok);
    if (!ok) {
        TGifLoadResult result;
        result.Error = GifError::NotGif;
        return result;
    }
    return LoadGif(data, limits);
}
