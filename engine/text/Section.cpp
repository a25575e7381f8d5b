#include "engine/text/Section.h"

#include "engine/base/Cp1252.h"
#include "engine/canvas/Canvas.h"
#include "engine/layout/Cell.h"
#include "engine/images/ImageMap.h"
#include "engine/layout/IndentManager.h"
#include "engine/base/LayoutLimits.h"
#include "engine/base/MulDiv.h"
#include "engine/layout/SectionList.h"
#include "engine/canvas/TextSinks.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// The distance the lookups answer when there is no image or control ahead.
constexpr int kNoneAhead = 9999;
// A copied line gets this many spaces for every full list indent before it.
constexpr int kCopySpacesPerIndent = 3;
// CLEAR values are compared on this many characters.
constexpr std::size_t kClearValueLength = 15;

bool IsMark(char character)
{
    return character == TSection::kImageMark || character == TSection::kControlMark;
}

// Characters that only the section itself puts into its text.
bool IsReserved(char character)
{
    return IsMark(character) || character == TSection::kLineEnd;
}

// Lower case of a Windows-1252 byte, as Unicode lower-cases the character it
// stands for, kept where the lower case has no byte of its own.
constexpr unsigned char LowerCp1252(unsigned char byte)
{
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
        return static_cast<unsigned char>(byte + 0x20);
    switch (byte) {
    case 0x8A: return 0x9A; // S caron
    case 0x8C: return 0x9C; // OE ligature
    case 0x8E: return 0x9E; // Z caron
    case 0x9F: return 0xFF; // Y diaeresis
    default: return byte;
    }
}

constexpr std::array<unsigned char, 256> MakeFoldTable()
{
    std::array<unsigned char, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[static_cast<std::size_t>(byte)] = LowerCp1252(static_cast<unsigned char>(byte));
    return table;
}

constexpr std::array<unsigned char, 256> kFoldTable = MakeFoldTable();

unsigned char Fold(char character)
{
    return kFoldTable[static_cast<unsigned char>(character)];
}

// The largest k <= length for which the first k characters are at most
// `available` pixels wide. The width is measured on doubling prefixes and the
// count then found by bisection, so a line costs in proportion to what it
// holds, not to what is left of the text after it.
int FitChunk(const TFontFace& face, const char* text, int length, int available)
{
    if (length <= 0 || available < 0)
        return 0;
    auto widthOf = [&](int from, int to) { return face.Width({text + from, static_cast<std::size_t>(to - from)}); };
    int fitting = 0;          // this many fit...
    int fittingWidth = 0;     // ...in this width
    int tooMany = length + 1; // this many do not
    for (int step = 1; fitting < length; step *= 2) {
        const int probe = std::min(length, fitting + step);
        const int width = fittingWidth + widthOf(fitting, probe);
        if (width > available) {
            tooMany = probe;
            break;
        }
        fitting = probe;
        fittingWidth = width;
    }
    while (tooMany - fitting > 1) {
        const int middle = fitting + (tooMany - fitting) / 2;
        const int width = fittingWidth + widthOf(fitting, middle);
        if (width <= available) {
            fitting = middle;
            fittingWidth = width;
        } else {
            tooMany = middle;
        }
    }
    return fitting;
}

// The first control at or after the text index.
auto FirstControlAtOrAfter(const TFormControlList& controls, int index)
{
    return std::lower_bound(controls.begin(), controls.end(), index,
                            [](const TInlineControl* control, int i) { return control->Position < i; });
}

// The plain text from index that crosses no run start, mark, line end or limit.
int PlainStretch(const TSection& section, int index, int limit)
{
    const int stretch = std::min({section.RunEnd(index), section.NextImage(index), section.NextControl(index), limit});
    if (stretch <= 0)
        return stretch;
    const char* text = section.Text().data() + index;
    const void* lineEnd = std::memchr(text, TSection::kLineEnd, static_cast<std::size_t>(stretch));
    const int plain = lineEnd ? static_cast<int>(static_cast<const char*>(lineEnd) - text) : stretch;
    if (!section.HasWideText())
        return plain;
    const void* wide = std::memchr(text, kWideLead, static_cast<std::size_t>(plain));
    return wide ? static_cast<int>(static_cast<const char*>(wide) - text) : plain;
}

bool IsIdeographic(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x2FFF) || (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3100 && c <= 0x31FF)
        || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF)
        || (c >= 0x3000 && c <= 0x303F);
}

// Chinese and Japanese marks that never start a line: closing brackets and
// punctuation, the prolonged sound mark, iteration marks and small kana.
bool IsNoLineStart(char32_t c)
{
    static constexpr std::array<char32_t, 48> kMarks = {
        0x3001, 0x3002, 0x3005, 0x3009, 0x300B, 0x300D, 0x300F, 0x3011, 0x3015, 0x3017, 0x3019, 0x301F,
        0x3041, 0x3043, 0x3045, 0x3047, 0x3049, 0x3063, 0x3083, 0x3085, 0x3087, 0x308E, 0x309D, 0x309E,
        0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30C3, 0x30E3, 0x30E5, 0x30E7, 0x30EE, 0x30F5, 0x30F6,
        0x30FB, 0x30FC, 0x30FD, 0x30FE, 0xFF01, 0xFF09, 0xFF0C, 0xFF0E, 0xFF1A, 0xFF1B, 0xFF1F, 0xFF5D,
    };
    return std::find(kMarks.begin(), kMarks.end(), c) != kMarks.end() || c == ')' || c == ',' || c == '.';
}

// Opening brackets, which never end a line.
bool IsNoLineEnd(char32_t c)
{
    static constexpr std::array<char32_t, 9> kMarks = {0x3008, 0x300A, 0x300C, 0x300E, 0x3010,
                                                       0x3014, 0x3016, 0x3018, 0xFF08};
    return std::find(kMarks.begin(), kMarks.end(), c) != kMarks.end();
}

} // namespace

// What the line being built carries from fitting to its record.
struct TSection::TLineState {
    int Y = 0;                          // document Y of the line top
    int FloatHeight = 0;                // floats registered at the line start
    std::vector<TImageObj*> SetAside;   // floats after text, registered below the line
};

TSection::TSection(int listLevel, TParaAlign alignment, const TUrlTarget* link, const TMyFont& font,
                   TBuilderStyle& builderStyle)
    : ListLevel(listLevel), Alignment(alignment)
{
    TContent& content = content_.Own();
    TFontObj look(font, link ? *link : TUrlTarget{});
    TFontStyles style = look.Font().Style();
    style.Include(builderStyle.Style);
    look.Font().SetStyle(style);
    content.Fonts.Add(0, std::make_shared<const TFontObj>(std::move(look)));
    builderStyle.VPos = TVerticalPosition::Normal;
}

const TSection::TInlineObjects TSection::kNoInlineObjects;

static_assert(sizeof(TSection) <= 56);

TSection::~TSection() = default;

bool TSection::TContent::operator==(const TContent& other) const
{
    const bool sameWide = Wide && other.Wide ? *Wide == *other.Wide : !Wide && !other.Wide;
    return !Objects && !other.Objects && Text == other.Text.View() && sameWide && Fonts == other.Fonts;
}

struct TSection::TLastContent final : TItemMemory {
    TSharedValue<TContent> Content;
};

void TSection::ShareContentWithLast()
{
    if (!Document)
        return;
    std::unique_ptr<TItemMemory>& memory = Document->LastTextContent;
    // A content with images or controls stays this section's alone.
    if (content_->Objects) {
        memory.reset();
        return;
    }
    // Only text sections leave a memory there.
    auto* last = static_cast<TLastContent*>(memory.get());
    if (!last) {
        memory = std::make_unique<TLastContent>();
        last = static_cast<TLastContent*>(memory.get());
    }
    content_.ShareIfEqual(last->Content);
    last->Content = content_;
}

TSection::TInlineObjects& TSection::OwnInlineObjects()
{
    TContent& content = OwnContent();
    if (!content.Objects)
        content.Objects = std::make_unique<TInlineObjects>();
    return *content.Objects;
}

void TSection::AppendRaw(std::string_view text)
{
    TContent& own = OwnContent();
    own.Text.append(text);
    if (own.Wide)
        own.Wide->AppendNone(text.size());
    Length = static_cast<int>(own.Text.size());
}

void TSection::AppendEngineText(std::string_view text)
{
    TContent& own = OwnContent();
    if (text.find(kWideLead) == std::string_view::npos) {
        own.Text.append(text);
        if (own.Wide)
            own.Wide->AppendNone(text.size());
        return;
    }
    std::string bytes;
    TWideCharacters characters;
    bytes.reserve(text.size());
    characters.Reserve(text.size());
    bool anyWide = false;
    for (std::size_t index = 0; index < text.size();) {
        const std::optional<char32_t> wide = WideCharacterAt(text, index);
        bytes.push_back(text[index]);
        characters.Append(wide ? *wide : 0);
        anyWide = anyWide || wide;
        index += wide ? kWideLength : 1;
    }
    if (anyWide && !own.Wide)
        own.Wide = std::make_unique<TWideCharacters>(own.Text.size());
    own.Text.append(bytes);
    if (own.Wide)
        own.Wide->Append(characters);
}

void TSection::AppendUnreserved(std::string_view text)
{
    // Marks and line ends in the page's own text would pose as images,
    // controls and line breaks.
    while (!text.empty()) {
        const auto reserved = std::find_if(text.begin(), text.end(), IsReserved);
        const auto kept = static_cast<std::size_t>(reserved - text.begin());
        AppendEngineText(text.substr(0, kept));
        text.remove_prefix(std::min(kept + 1, text.size()));
    }
    Length = static_cast<int>(Text().size());
}

char32_t TSection::CharacterAt(int index) const
{
    const char32_t wide = WideAt(index);
    return wide ? wide : Cp1252ToUnicode(static_cast<unsigned char>(Text()[static_cast<std::size_t>(index)]));
}

std::string TSection::EngineText(int index, int count) const
{
    const std::string_view bytes(Text().data() + index, static_cast<std::size_t>(count));
    if (!HasWideText())
        return std::string(bytes);
    std::string text;
    text.reserve(bytes.size());
    for (int k = 0; k < count; ++k) {
        if (const char32_t wide = WideAt(index + k))
            AppendEngineCharacter(wide, text);
        else
            text.push_back(bytes[static_cast<std::size_t>(k)]);
    }
    return text;
}

int TSection::FitWide(int index, int limit, int width, int& sum) const
{
    const TFontFace& face = RunAt(index).Font().Face();
    const int end = index + std::min(limit, RunEnd(index));
    int k = 0;
    for (; index + k < end; ++k) {
        const char32_t character = WideAt(index + k);
        if (character == 0)
            break;
        const int advance = face.WideAdvance(character);
        if (sum + advance > width)
            break;
        sum += advance;
    }
    return k;
}

bool TSection::WideFitStopped(int index, int fitted, int limit) const
{
    const int next = index + fitted;
    return fitted < limit && fitted < RunEnd(index) && WideAt(next) != 0;
}

int TSection::WideStretch(int index, int limit) const
{
    if (!HasWideText())
        return 0;
    const int end = std::min(index + limit, RunEnd(index) + index);
    int stretch = 0;
    while (index + stretch < end && WideAt(index + stretch) != 0)
        ++stretch;
    return stretch;
}

bool TSection::IsCombiningAt(int index) const
{
    const char32_t wide = index < Length ? WideAt(index) : 0;
    return wide != 0 && QChar::isMark(wide);
}

// Chinese and Japanese text breaks between its characters, except before
// closing punctuation and after opening brackets; no text breaks before a
// combining mark.
bool TSection::BreaksBefore(int index) const
{
    if (!HasWideText() || index <= 0 || index >= Length || IsCombiningAt(index))
        return false;
    const char32_t before = CharacterAt(index - 1);
    const char32_t after = CharacterAt(index);
    if (!IsIdeographic(before) && !IsIdeographic(after))
        return false;
    return !IsNoLineStart(after) && !IsNoLineEnd(before) && before != ' ' && !IsReserved(Text()[static_cast<std::size_t>(index - 1)]);
}

bool TSection::HoldsOnlyFloats(std::size_t count) const
{
    for (std::size_t index = 0; index < count; ++index) {
        const TImageObj* image = Text()[index] == kImageMark ? Images().At(static_cast<int>(index)) : nullptr;
        if (!image || !image->IsFloating())
            return false;
    }
    return true;
}

void TSection::AddText(std::string_view text)
{
    const std::size_t from = Text().size();
    AppendUnreserved(text);
    auto startsWithSpace = [&] { return Text().size() > from && Text()[from] == ' '; };
    auto dropFirst = [&] {
        OwnText().erase(from, 1);
        if (OwnContent().Wide)
            OwnContent().Wide->Erase(from);
        Length = static_cast<int>(Text().size());
    };
    if (startsWithSpace() && (from == 0 || Text()[from - 1] == ' '))
        dropFirst();
    // Text that so far holds only floating images takes no leading space.
    if (startsWithSpace() && from > 0 && HoldsOnlyFloats(from))
        dropFirst();
}

void TSection::SetClearMode(const TAttributeList& attributes)
{
    const TAttribute* clear = attributes.Find(TSymbol::Clear);
    if (!clear)
        return;
    std::string value = clear->Text.substr(0, kClearValueLength);
    std::transform(value.begin(), value.end(), value.begin(), [](char c) { return static_cast<char>(Fold(c)); });
    if (value == "left")
        ClearMode = TClearMode::Left;
    else if (value == "right")
        ClearMode = TClearMode::Right;
    else
        ClearMode = TClearMode::Both;
}

TParaAlign TSection::CloseForBreak()
{
    if (Text().empty())
        AppendRaw(" ");
    return Alignment;
}

int TSection::Indent() const
{
    return ListLevel * IndentManagerBasic::kListIndent;
}

void TSection::LookFromHere(TSectionList& document, TFontObj look)
{
    TFontLook shared = document.FontLooks.Share(look);
    TFontList& fonts = OwnContent().Fonts;
    if (fonts.LastStart() == Length)
        fonts.SetLook(fonts.Count() - 1, std::move(shared));
    else
        fonts.Add(Length, std::move(shared));
}

void TSection::ChangeFont(TSectionList& document, const TMyFont& font, const TBuilderStyle& builderStyle)
{
    TFontObj look(font, Fonts().Last().Link);
    TFontStyles style = look.Font().Style();
    style.Include(builderStyle.Style);
    look.Font().SetStyle(style);
    look.VPos = builderStyle.VPos;
    if (look.VPos != TVerticalPosition::Normal)
        look.Font().SetHtmlSize(document.BaseFontSize, MulDiv(look.Font().HtmlSize(), 3, 4));
    LookFromHere(document, std::move(look));
}

void TSection::ChangeLink(TSymbol symbol, TSectionList& document, const TMyFont& font, const TUrlTarget& target,
                          const TBuilderStyle& builderStyle)
{
    ChangeFont(document, font, builderStyle);
    TFontObj look = Fonts().Last();
    look.Link = symbol == TSymbol::Href ? target : TUrlTarget{};
    LookFromHere(document, std::move(look));
}

TImageObj& TSection::AddImage(const TAttributeList& attributes, TCell* cell)
{
    TSectionList* document = cell ? cell->Document : Document;
    TImageObj& image = OwnInlineObjects().Images.Add(std::make_unique<TImageObj>(document, cell, Length, attributes));
    AppendRaw(std::string_view(&kImageMark, 1));
    return image;
}

void TSection::AddFormControl(TInlineControl& control)
{
    control.Position = Length;
    OwnInlineObjects().FormControls.Add(&control);
    AppendRaw(std::string_view(&kControlMark, 1));
}

TImageObj& TSection::AddImageControl(TImageFormControlObj& control, const TAttributeList& attributes, TCell* cell)
{
    TImageObj& image = AddImage(attributes, cell);
    image.ImageControl = &control;
    return image;
}

// ---- Lookups ----

const TFontObj& TSection::RunAt(int index) const
{
    return Fonts()[Fonts().IndexAt(index)];
}

int TSection::RunEnd(int index) const
{
    const int next = Fonts().IndexAt(index) + 1;
    return (next < Fonts().Count() ? Fonts().Start(next) : Length) - index;
}

int TSection::NextImage(int index) const
{
    const TImageObjList& images = Images();
    const int next = images.FirstAtOrAfter(index);
    return next < images.Count() ? images[next].Index - index : kNoneAhead;
}

int TSection::NextControl(int index) const
{
    if (FormControls().IsEmpty())
        return kNoneAhead;
    const auto next = FirstControlAtOrAfter(FormControls(), index);
    return next != FormControls().end() ? (*next)->Position - index : kNoneAhead;
}

TInlineControl* TSection::ControlAt(int index) const
{
    if (FormControls().IsEmpty())
        return nullptr;
    const auto next = FirstControlAtOrAfter(FormControls(), index);
    return next != FormControls().end() && (*next)->Position == index ? *next : nullptr;
}

int TSection::TextWidth(int index, int count, bool ignoreTrailingSpaces) const
{
    if (index < 0 || index >= Length)
        return 0;
    count = std::clamp(count, 0, Length - index);
    if (ignoreTrailingSpaces)
        while (count > 0 && Text()[static_cast<std::size_t>(index + count - 1)] == ' ')
            --count;
    int width = 0;
    const int end = index + count;
    while (index < end) {
        const char character = Text()[static_cast<std::size_t>(index)];
        if (character == kImageMark) {
            if (const TImageObj* image = Images().At(index); image && !image->IsFloating())
                width = ExtentSum(width, image->TotalWidth);
            ++index;
        } else if (character == kControlMark) {
            if (const TInlineControl* control = ControlAt(index))
                width = ExtentSum(width, control->Width());
            ++index;
        } else if (character == kLineEnd) {
            ++index;
        } else if (const int wide = character == kWideLead ? WideStretch(index, end - index) : 0) {
            const TFontFace& face = RunAt(index).Font().Face();
            for (const int stop = index + wide; index < stop; ++index)
                width = ExtentSum(width, face.WideAdvance(WideAt(index)));
        } else {
            const int stretch = std::max(1, PlainStretch(*this, index, end - index));
            const TFontObj& run = RunAt(index);
            width = ExtentSum(width, run.Font().TextWidth({Text().data() + index, static_cast<std::size_t>(stretch)})
                                         - run.Overhang());
            index += stretch;
        }
    }
    return width;
}

int TSection::CharsFitting(int index, int count, int width) const
{
    if (index < 0 || index >= Length)
        return 0;
    count = std::clamp(count, 0, Length - index);
    int sum = 0;
    int fitted = 0;
    while (fitted < count) {
        const int at = index + fitted;
        const char character = Text()[static_cast<std::size_t>(at)];
        if (IsReserved(character)) {
            int markWidth = 0;
            if (character == kImageMark) {
                if (const TImageObj* image = Images().At(at); image && !image->IsFloating())
                    markWidth = image->TotalWidth;
            } else if (const TInlineControl* control = ControlAt(at)) {
                markWidth = control->Width();
            }
            if (sum + markWidth > width)
                break;
            sum += markWidth;
            ++fitted;
            continue;
        }
        if (character == kWideLead && WideAt(at) != 0) {
            const int k = FitWide(at, count - fitted, width, sum);
            fitted += k;
            if (WideFitStopped(at, k, count - fitted + k))
                break;
            continue;
        }
        const int stretch = std::max(1, PlainStretch(*this, at, count - fitted));
        const TFontObj& run = RunAt(at);
        const int k = FitChunk(run.Font().Face(), Text().data() + at, stretch, width - sum + run.Overhang());
        fitted += k;
        if (k < stretch)
            break;
        sum += run.Font().TextWidth({Text().data() + at, static_cast<std::size_t>(k)}) - run.Overhang();
    }
    return fitted;
}

// ---- Layout ----

void TSection::SizeImages(TCanvas& canvas)
{
    const TInlineObjects& objects = InlineObjects();
    for (const auto& image : objects.Images)
        image->ComputeSize(canvas, objects.AvailableWidth, RunAt(image->Index));
}

int TSection::ClearSpace(int y, const IndentManager& indent) const
{
    const int left = indent.FloatBottom(TFloatSide::Left);
    const int right = indent.FloatBottom(TFloatSide::Right);
    int bottom = 0;
    switch (ClearMode) {
    case TClearMode::None: return 0;
    case TClearMode::Left: bottom = left; break;
    case TClearMode::Right: bottom = right; break;
    case TClearMode::Both: bottom = std::max(left, right); break;
    }
    return std::max(0, bottom - y);
}

void TSection::RegisterFloat(TImageObj& image, int y, IndentManager& indent) const
{
    if (image.Align == TImageAlign::Left) {
        image.FloatX = indent.LeftEdge(y) - indent.LeftEdgeX;
        indent.RegisterFloat(TFloatSide::Left, y, image.TotalHeight, image.TotalWidth + image.HSpace);
    } else {
        image.FloatX = indent.RightEdge(y) - indent.LeftEdgeX - image.TotalWidth;
        indent.RegisterFloat(TFloatSide::Right, y, image.TotalHeight, image.TotalWidth + image.HSpace);
    }
}

int TSection::FitLine(int start, int remaining, int width, TLineState& state, IndentManager& indent)
{
    int sum = 0;
    int total = 0;
    bool atLineStart = true;
    while (total < remaining) {
        const int at = start + total;
        const char character = Text()[static_cast<std::size_t>(at)];
        if (character == kImageMark) {
            TImageObj* image = Images().At(at);
            if (image && image->IsFloating() && atLineStart) {
                // Taken at once, whether or not it fits, so that a float is
                // never registered twice.
                RegisterFloat(*image, state.Y, indent);
                state.FloatHeight = std::max(state.FloatHeight, image->TotalHeight);
                sum += image->TotalWidth + image->HSpace;
                ++total;
                if (width < sum)
                    break;
                continue;
            }
            if (image && image->IsFloating()) {
                state.SetAside.push_back(image);
            } else if (image) {
                sum += image->TotalWidth;
                atLineStart = false;
            }
            if (width < sum)
                break;
            ++total;
        } else if (character == kControlMark) {
            if (const TInlineControl* control = ControlAt(at))
                sum += control->Width();
            if (width < sum)
                break;
            atLineStart = false;
            ++total;
        } else if (character == kLineEnd) {
            ++total;
            break;
        } else if (character == kWideLead && WideAt(at) != 0) {
            const int k = FitWide(at, remaining - total, width, sum);
            total += k;
            if (k > 0)
                atLineStart = false;
            if (WideFitStopped(at, k, remaining - total + k))
                break;
        } else {
            const int stretch = std::max(1, PlainStretch(*this, at, remaining - total));
            const TFontObj& run = RunAt(at);
            const int k = FitChunk(run.Font().Face(), Text().data() + at, stretch, width - sum + run.Overhang());
            total += k;
            if (k > 0)
                atLineStart = false;
            if (k < stretch)
                break;
            sum += run.Font().TextWidth({Text().data() + at, static_cast<std::size_t>(k)}) - run.Overhang();
        }
    }
    return std::min(total, remaining);
}

int TSection::BreakLine(int start, int fitted, bool& lastLine) const
{
    const int remaining = Length - start;
    auto at = [this](int index) { return Text()[static_cast<std::size_t>(index)]; };
    // Spaces at a break, and the line end that follows them, stay on the line.
    auto takeSpaces = [&](int end) {
        while (end < Length && at(end) == ' ')
            ++end;
        return end < Length && at(end) == kLineEnd ? end + 1 : end;
    };
    int count = fitted;
    if (count >= remaining) {
        count = remaining;
    } else if (at(start + count - 1) == kLineEnd) {
        // The line ends where the text ends it.
    } else if (at(start + count - 1) == ' ') {
        count = takeSpaces(start + count) - start;
    } else if (!IsReserved(at(start + count)) && !BreaksBefore(start + count)) {
        int found = -1;
        for (int index = start + count - 1; index > start; --index) {
            if (at(index) == ' ' || IsMark(at(index)) || BreaksBefore(index + 1)) {
                found = index;
                break;
            }
        }
        if (found >= 0) {
            count = found - start + 1;
        } else {
            // The word does not fit at all: it overflows the line whole.
            int end = start + count;
            while (end < Length && at(end) != ' ' && !IsReserved(at(end)) && !BreaksBefore(end))
                ++end;
            count = takeSpaces(end) - start;
        }
    }
    lastLine = start + count >= Length;
    return count;
}

void TSection::BuildLine(int start, int count, TLineState& state, IndentManager& indent)
{
    LineRec line;
    line.Start = start;
    line.Count = count;
    line.Top = state.Y - Y;
    const int end = start + count;

    const bool hasText = std::any_of(Text().begin() + start, Text().begin() + end, [](char c) { return !IsMark(c); });
    if (hasText) {
        const TFontList& fonts = Fonts();
        const int lastRun = fonts.IndexAt(end - 1);
        for (int run = fonts.IndexAt(start); run <= lastRun; ++run) {
            line.TextHeight = std::max(line.TextHeight, fonts[run].LineHeight());
            line.Descent = std::max(line.Descent, fonts[run].Descent());
        }
    }
    const int h = line.TextHeight;
    const TImageObjList& images = Images();
    for (int index = images.FirstAtOrAfter(start); index < images.Count() && images[index].Index < end; ++index) {
        const TImageObj& image = images[index];
        const int e = image.TotalHeight;
        const int d = e - h;
        switch (image.Align) {
        case TImageAlign::Top: line.SpaceAfter = std::max(line.SpaceAfter, d); break;
        case TImageAlign::Middle:
            line.SpaceAfter = std::max(line.SpaceAfter, d / 2);
            line.SpaceBefore = std::max(line.SpaceBefore, d - d / 2);
            break;
        case TImageAlign::Bottom: line.SpaceBefore = std::max(line.SpaceBefore, e + line.Descent - h); break;
        case TImageAlign::Left:
        case TImageAlign::Right: break;
        }
    }
    for (auto control = FirstControlAtOrAfter(FormControls(), start);
         control != FormControls().end() && (*control)->Position < end; ++control) {
        const int e = (*control)->Height() - h + ((*control)->SitsOnBaseline ? line.Descent : 0);
        line.SpaceBefore = std::max(line.SpaceBefore, e);
        (*control)->LineY = state.Y;
    }

    line.IndentX = indent.LeftEdge(state.Y);
    if (Alignment != TParaAlign::Left) {
        const int width = TextWidth(start, count, true);
        if (Alignment == TParaAlign::Centre)
            line.IndentX = std::max(line.IndentX, (line.IndentX + indent.RightEdge(state.Y) - width) / 2);
        else
            line.IndentX = indent.RightEdge(state.Y) - width - 1;
    }

    const int fullHeight = line.FullHeight();
    state.Y = ExtentSum(state.Y, fullHeight);
    SectionHeight = state.Y - Y;
    line.DrawHeight = std::max(fullHeight, state.FloatHeight);
    for (TImageObj* image : state.SetAside) {
        // A float the line break left for the next line is taken there.
        if (image->Index >= end)
            continue;
        RegisterFloat(*image, state.Y, indent);
        line.DrawHeight = std::max(line.DrawHeight, fullHeight + image->TotalHeight);
    }
    state.SetAside.clear();
    state.FloatHeight = 0;
    Lines.push_back(line);
}

int TSection::Layout(TCanvas& canvas, int y, int& position, int& maxWidth, IndentManager& indent)
{
    Y = y;
    StartPosition = position;
    SectionHeight = 0;
    Lines.clear();
    indent.SetListLevel(y, ListLevel);
    if (Length == 0) {
        SectionHeight = ClearSpace(y, indent);
        DrawHeight = SectionHeight;
        maxWidth = 0;
        return SectionHeight;
    }

    Lines.SetFirstLeft(indent.LeftEdge(y));
    maxWidth = indent.Width;
    if (content_->Objects)
        OwnContent().Objects->AvailableWidth = indent.RightEdge(y) - indent.LeftEdge(y);
    SizeImages(canvas);
    for (const auto& image : Images())
        maxWidth = std::max(maxWidth, image->TotalWidth + Indent());
    for (const TInlineControl* control : FormControls())
        if (control->HasWidget())
            maxWidth = std::max(maxWidth, control->Width() + Indent());

    TLineState state;
    state.Y = y;
    const int clearSpace = ClearSpace(y, indent);
    if (clearSpace > 0) {
        LineRec blank;
        blank.TextHeight = clearSpace;
        blank.DrawHeight = clearSpace;
        Lines.push_back(blank);
        SectionHeight += clearSpace;
        state.Y += clearSpace;
    }
    int start = 0;
    bool lastLine = false;
    while (!lastLine) {
        const int width = IsPreformatted() ? kPreformattedWidth
                                           : indent.RightEdge(state.Y) - indent.LeftEdge(state.Y);
        const int fitted = std::max(1, FitLine(start, Length - start, width, state, indent));
        const int count = BreakLine(start, fitted, lastLine);
        BuildLine(start, count, state, indent);
        start += count;
    }

    if (Document) {
        Lines.ShareIfEqual(Document->LastLines);
        Document->LastLines = Lines;
    }
    position = StartPosition + Length;
    if (ListLevel > 0)
        SectionHeight = std::max(SectionHeight, indent.ListClearance() - Y);
    DrawHeight = std::max(SectionHeight, indent.FloatBottom() - Y);
    return SectionHeight;
}

void TSection::WidthRange(TCanvas& canvas, int& minimum, int& maximum)
{
    SizeImages(canvas);
    minimum = 0;
    int floatSum = 0;
    // Images sized in percent count with their own width here, not with the
    // width the last layout gave them (which the text's width holds).
    int laidOutPercentImages = 0;
    int ownPercentImages = 0;
    for (const auto& image : Images()) {
        if (image->IsFloating()) {
            floatSum = ExtentSum(floatSum, image->RangeWidth() + image->HSpace);
            continue;
        }
        minimum = std::max(minimum, image->RangeWidth());
        if (image->WidthIsPercent) {
            laidOutPercentImages = ExtentSum(laidOutPercentImages, image->TotalWidth);
            ownPercentImages = ExtentSum(ownPercentImages, image->RangeWidth());
        }
    }
    const int textWidth = std::max(0, TextWidth(0, Length) - laidOutPercentImages);
    maximum = ExtentSum(ExtentSum(floatSum, textWidth), ownPercentImages) + Indent();

    auto separates = [](char c) { return c == ' ' || c == kImageMark; };
    int widestWord = 0;
    int index = 0;
    while (index < Length) {
        while (index < Length && separates(Text()[static_cast<std::size_t>(index)]))
            ++index;
        const int wordStart = index;
        // Chinese and Japanese words end where a line may break between characters.
        while (index < Length && !separates(Text()[static_cast<std::size_t>(index)])
               && (index == wordStart || !BreaksBefore(index)))
            ++index;
        if (index > wordStart)
            widestWord = std::max(widestWord, TextWidth(wordStart, index - wordStart));
    }
    minimum = std::max(minimum, widestWord) + floatSum + Indent();
}

// ---- Painting ----

void TSection::PaintMarker(TCanvas&, int, int, const LineRec&) {}

int TSection::Paint(TCanvas& canvas, const TRect& clip, int y, int x, IndentManager& indent)
{
    const int offset = Document->YOffset;
    if (y + DrawHeight - offset < clip.Top || y - offset >= clip.Bottom || Lines.empty())
        return y + SectionHeight;
    canvas.SetTextAlign(TTextAlign::Baseline);

    // Lines are in order and their reach only grows: the first one that
    // reaches into the clip is found by bisection.
    const int markerLine = (Lines.front().Count == 0 && Lines.size() > 1) ? 1 : 0;
    for (int index = Lines.FirstReachingBelow(clip.Top + offset - y); index < static_cast<int>(Lines.size());
         ++index) {
        const LineRec line = Lines[index];
        const int lineTop = y + line.Top;
        if (lineTop - offset >= clip.Bottom)
            break;
        const int textBottom = lineTop + line.SpaceBefore + line.TextHeight;
        if (index == markerLine && ListKind != TListKind::None)
            PaintMarker(canvas, FirstLineLeft() + x, textBottom, line);
        PaintLine(canvas, clip, line, textBottom, x, indent);
    }
    return y + SectionHeight;
}

void TSection::PaintLine(TCanvas& canvas, const TRect& clip, const LineRec& line, int textBottom, int cellLeft,
                         IndentManager& indent)
{
    const int offset = Document->YOffset;
    const int lineTop = textBottom - line.TextHeight - line.SpaceBefore;
    const int baseline = textBottom - line.Descent;
    int x = LineLeft(cellLeft, line);

    const int selectionBegin = Document->SelectionBegin - StartPosition;
    const int selectionEnd = Document->SelectionEnd - StartPosition;
    const bool hasSelection = selectionBegin < selectionEnd;
    const TRect preClip{cellLeft, lineTop - offset, cellLeft + indent.ClipWidth, textBottom - offset};

    bool atLineStart = true;
    const int end = line.Start + line.Count;
    int index = line.Start;
    while (index < end) {
        const char character = Text()[static_cast<std::size_t>(index)];
        if (character == kImageMark) {
            if (TImageObj* image = Images().At(index)) {
                if (image->IsFloating()) {
                    const int top = atLineStart ? lineTop : lineTop + line.FullHeight();
                    image->Draw(canvas, indent.LeftEdgeX + image->FloatX, RunAt(index), baseline, top);
                } else {
                    image->Draw(canvas, x, RunAt(index), baseline, textBottom - line.TextHeight);
                    x += image->TotalWidth;
                    atLineStart = false;
                }
                // Images write their ALT text from the top left.
                canvas.SetTextAlign(TTextAlign::Baseline);
            }
            ++index;
            continue;
        }
        if (character == kControlMark) {
            if (TInlineControl* control = ControlAt(index)) {
                const int top = textBottom - control->Height() - (control->SitsOnBaseline ? line.Descent : 0);
                if (canvas.DrawsControls)
                    control->Draw(canvas, x, top - offset);
                else
                    control->Place(x, top - offset, Document->Background);
                x += control->Width();
            }
            atLineStart = false;
            ++index;
            continue;
        }
        if (character == kLineEnd) {
            ++index;
            continue;
        }
        const int wide = character == kWideLead ? WideStretch(index, end - index) : 0;
        int chunk = wide > 0 ? wide : PlainStretch(*this, index, end - index);
        bool selected = false;
        if (hasSelection) {
            if (index >= selectionBegin && index < selectionEnd) {
                selected = true;
                chunk = std::min(chunk, selectionEnd - index);
            } else if (index < selectionBegin) {
                chunk = std::min(chunk, selectionBegin - index);
            }
        }
        chunk = std::max(1, chunk);
        const TFontObj& run = RunAt(index);
        const TRect* pre = IsPreformatted() ? &preClip : nullptr;
        if (wide > 0) {
            // A combining mark that starts the stretch is drawn with its letter.
            const bool withLetter = index > line.Start && IsCombiningAt(index) && !WideAt(index - 1)
                && !IsReserved(Text()[static_cast<std::size_t>(index - 1)]);
            const int from = withLetter ? index - 1 : index;
            const int left = withLetter ? x - TextWidth(from, 1) : x;
            PaintText(canvas, clip, run, EngineText(from, index + chunk - from), left, baseline - offset, selected, pre);
            x += TextWidth(index, chunk);
        } else {
            const std::string_view text(Text().data() + index, static_cast<std::size_t>(chunk));
            PaintText(canvas, clip, run, text, x, baseline - offset, selected, pre);
            x += run.Font().TextWidth(text) - run.Overhang();
        }
        atLineStart = false;
        index += chunk;
    }
}

void TSection::PaintText(TCanvas& canvas, const TRect& clip, const TFontObj& run, std::string_view chunk, int x,
                         int baseline, bool selected, const TRect* preClip) const
{
    canvas.SetFont(run.Font());
    if (selected) {
        canvas.SetBrush(run.Font().Color());
        canvas.SetBackgroundMode(TBackgroundMode::Opaque);
        canvas.SetFontColor(Document->Background);
    } else {
        canvas.SetBackgroundMode(TBackgroundMode::Transparent);
    }
    if (run.VPos == TVerticalPosition::Subscript)
        baseline += run.Descent() / 2 + 1;
    else if (run.VPos == TVerticalPosition::Superscript)
        baseline -= run.Height() / 3;
    x -= run.Overhang() / 2;

    // Only the glyphs that meet the clip are drawn (with a margin of one em for
    // glyphs that reach past their advance): a long preformatted line costs
    // what is visible of it.
    if (chunk.find(kWideLead) != std::string_view::npos) {
        if (preClip)
            canvas.ExtTextOut(x, baseline, *preClip, chunk);
        else
            canvas.TextOut(x, baseline, chunk);
        return;
    }
    const TFontFace& face = run.Font().Face();
    const int margin = run.Font().PixelSize();
    std::size_t from = 0;
    while (from < chunk.size()) {
        const int advance = face.Advance(static_cast<unsigned char>(chunk[from]));
        if (x + advance >= clip.Left - margin)
            break;
        x += advance;
        ++from;
    }
    std::size_t to = from;
    for (int right = x; to < chunk.size() && right <= clip.Right + margin; ++to)
        right += face.Advance(static_cast<unsigned char>(chunk[to]));
    const std::string_view visible = chunk.substr(from, to - from);
    if (visible.empty())
        return;
    if (preClip)
        canvas.ExtTextOut(x, baseline, *preClip, visible);
    else
        canvas.TextOut(x, baseline, visible);
}

// ---- Point and position queries ----

bool TSection::ImageLink(TImageObj& image, int xInImage, int yInImage, TImageFormControlObj*& imageControl,
                         TUrlTarget& target) const
{
    // An image input is only reported: the pointer passing over it is no
    // click, and the viewer arms the input's point only when one happens.
    if (image.ImageControl) {
        imageControl = image.ImageControl;
        return true;
    }
    if (image.UsesMap) {
        if (const TMapItem* map = image.FindMap())
            return map->LinkAt(xInImage, yInImage, target);
    }
    const TFontObj& run = RunAt(image.Index);
    if (run.Link.Url.empty())
        return false;
    target = run.Link;
    if (image.IsMap)
        target.Url += "?" + std::to_string(xInImage) + "," + std::to_string(yInImage);
    return true;
}

bool TSection::LinkAt(TCanvas&, int cellLeft, int x, int y, TImageFormControlObj*& imageControl,
                      TUrlTarget& target)
{
    int xInImage = 0;
    int yInImage = 0;
    if (TImageObj* image = ImageUnder(cellLeft, x, Y + y, xInImage, yInImage))
        return ImageLink(*image, xInImage, yInImage, imageControl, target);
    const int index = LineAtY(y);
    if (index < 0)
        return false;
    const LineRec line = Lines[index];
    const int lineLeft = LineLeft(cellLeft, line);
    if (x < lineLeft)
        return false;
    const int k = CharsFitting(line.Start, line.Count, x - lineLeft);
    if (k >= line.Count)
        return false;
    const TFontObj& run = RunAt(line.Start + k);
    if (run.Link.Url.empty())
        return false;
    target = run.Link;
    return true;
}

bool TSection::OnlyFloatsBefore(const LineRec& line, int index) const
{
    for (int at = line.Start; at < index; ++at) {
        const char character = Text()[static_cast<std::size_t>(at)];
        if (character == kLineEnd)
            continue;
        if (character != kImageMark)
            return false;
        if (const TImageObj* image = Images().At(at); image && !image->IsFloating())
            return false;
    }
    return true;
}

// The same geometry as PaintLine's, for one image.
bool TSection::ImageBox(const TImageObj& image, int cellLeft, int& left, int& top) const
{
    const int found = Lines.LineAtIndex(image.Index);
    if (found < 0)
        return false;
    const LineRec line = Lines[found];
    if (image.Index >= line.Start + line.Count)
        return false;
    const int lineTop = Y + line.Top;
    const int textBottom = lineTop + line.SpaceBefore + line.TextHeight;
    const TFontObj& run = RunAt(image.Index);
    if (image.IsFloating()) {
        left = cellLeft + image.FloatX;
        const int hangsFrom = OnlyFloatsBefore(line, image.Index) ? lineTop : lineTop + line.FullHeight();
        top = image.BoxTop(run, textBottom - line.Descent, hangsFrom);
    } else {
        left = LineLeft(cellLeft, line) + TextWidth(line.Start, image.Index - line.Start);
        top = image.BoxTop(run, textBottom - line.Descent, textBottom - line.TextHeight);
    }
    return true;
}

TImageObj* TSection::ImageUnder(int cellLeft, int x, int y, int& xInImage, int& yInImage) const
{
    for (const auto& image : Images()) {
        int left = 0;
        int top = 0;
        if (ImageBox(*image, cellLeft, left, top) && image->Contains(left, top, x, y, xInImage, yInImage))
            return image.get();
    }
    return nullptr;
}

bool TSection::ImageAt(int cellLeft, int x, int y, int& yInImage, int& xInImage, TImageObj*& image)
{
    TImageObj* found = ImageUnder(cellLeft, x, Y + y, xInImage, yInImage);
    if (!found)
        return false;
    image = found;
    return true;
}

int TSection::PositionAt(TCanvas&, int cellLeft, int x, int y, bool& insideText, int& lineHeight, int& lineTop,
                         int& cursorX, TCell*&)
{
    const int index = LineAtY(y);
    if (index < 0)
        return -1;
    const LineRec line = Lines[index];
    const int paintedX = LineLeft(cellLeft, line);
    insideText = true;
    lineHeight = line.TextHeight;
    lineTop = line.SpaceBefore + line.Top;
    if (x < paintedX) {
        insideText = false;
        cursorX = paintedX;
        return StartPosition + line.Start;
    }
    int k = CharsFitting(line.Start, line.Count, x - paintedX);
    const int width = TextWidth(line.Start, k);
    cursorX = width + paintedX;
    if (k < line.Count) {
        const int next = TextWidth(line.Start + k, 1);
        if (width + next / 2 < x - paintedX) {
            cursorX += next;
            ++k;
        }
    } else {
        insideText = false;
    }
    // No position falls between a letter and its combining marks.
    while (k < line.Count && IsCombiningAt(line.Start + k))
        ++k;
    return StartPosition + line.Start + k;
}

bool TSection::PositionToPoint(TCanvas&, int cellLeft, int position, int& y, int& x)
{
    const int index = position - StartPosition;
    if (Length == 0 || index < 0 || index > Length)
        return false;
    // A clear-space line shares its start with the first text line, which
    // is the one found.
    const int found = Lines.LineAtIndex(index);
    if (found < 0)
        return false;
    const LineRec line = Lines[found];
    if (index >= line.Start + line.Count)
        return false;
    y = Y + line.Top;
    x = LineLeft(cellLeft, line) + TextWidth(line.Start, index - line.Start);
    return true;
}

int TSection::PageBreakAbove(int limit) const
{
    // A limit below the last line cuts none.
    const int offset = limit - Y;
    const auto cut = std::partition_point(Lines.begin(), Lines.end(),
                                          [offset](const LineRec& line) { return line.Top + line.FullHeight() <= offset; });
    return cut == Lines.end() ? limit : Y + (*cut).Top;
}

bool TSection::CharAt(int position, char& ch, TSectionBase*& item)
{
    if (position < StartPosition || position >= StartPosition + Length)
        return false;
    ch = Text()[static_cast<std::size_t>(position - StartPosition)];
    item = this;
    return true;
}

// Text with characters the code page lacks is compared as Unicode, its case
// folded the Unicode way (Greek and Cyrillic letters too).
int TSection::IndexOfCharacters(std::string_view text, std::size_t from, bool matchCase) const
{
    const auto fold = [matchCase](char32_t c) { return matchCase ? c : QChar::toCaseFolded(c); };
    std::u32string searched;
    for (const uint c : Cp1252ToQString(text).toUcs4())
        searched.push_back(fold(c));
    const std::size_t count = searched.size();
    for (std::size_t index = from; index + count <= static_cast<std::size_t>(Length); ++index) {
        std::size_t k = 0;
        while (k < count && fold(CharacterAt(static_cast<int>(index + k))) == searched[k]
               && !IsReserved(Text()[index + k]))
            ++k;
        if (k == count)
            return static_cast<int>(index);
    }
    return -1;
}

int TSection::IndexOf(std::string_view text, std::size_t from, bool matchCase) const
{
    if (text.empty())
        return -1;
    if (HasWideText() || text.find(kWideLead) != std::string_view::npos)
        return IndexOfCharacters(text, from, matchCase);
    if (matchCase) {
        const std::size_t found = Text().find(text, from);
        return found == std::string::npos ? -1 : static_cast<int>(found);
    }
    const unsigned char firstFolded = Fold(text.front());
    for (std::size_t index = from; index + text.size() <= Text().size(); ++index) {
        if (Fold(Text()[index]) != firstFolded)
            continue;
        bool equal = true;
        for (std::size_t k = 1; k < text.size() && equal; ++k)
            equal = Fold(Text()[index + k]) == Fold(text[k]);
        if (equal)
            return static_cast<int>(index);
    }
    return -1;
}

int TSection::Search(int start, std::string_view text, bool matchCase)
{
    if (Length == 0 || text.empty() || start >= StartPosition + Length)
        return -1;
    const int found = IndexOf(text, static_cast<std::size_t>(std::max(0, start - StartPosition)), matchCase);
    return found < 0 ? -1 : StartPosition + found;
}

void TSection::FindAll(std::string_view text, bool matchCase, std::vector<int>& found) const
{
    for (int index = IndexOf(text, 0, matchCase); index >= 0;
         index = IndexOf(text, static_cast<std::size_t>(index) + 1, matchCase))
        found.push_back(StartPosition + index);
}

void TSection::RangeBoxes(int cellLeft, int begin, int end, std::vector<TRect>& boxes)
{
    const int from = std::max(begin - StartPosition, 0);
    const int to = std::min({end - StartPosition, Length, static_cast<int>(Text().size())});
    if (from >= to)
        return;
    // A lone picture is boxed where it is drawn, wherever its line puts it.
    if (to - from == 1 && Text()[static_cast<std::size_t>(from)] == kImageMark) {
        int left = 0;
        int top = 0;
        if (const TImageObj* image = Images().At(from); image && ImageBox(*image, cellLeft, left, top)) {
            boxes.push_back({left, top, left + image->TotalWidth, top + image->TotalHeight});
            return;
        }
    }
    for (int index = std::max(0, Lines.LineAtIndex(from)); index < static_cast<int>(Lines.size()); ++index) {
        const LineRec line = Lines[index];
        if (line.Start >= to)
            break;
        const int first = std::max(from, line.Start);
        const int last = std::min(to, line.Start + line.Count);
        if (first >= last)
            continue;
        const int left = LineLeft(cellLeft, line) + TextWidth(line.Start, first - line.Start);
        const int top = Y + line.Top + line.SpaceBefore;
        boxes.push_back({left, top, left + TextWidth(first, last - first, true), top + line.TextHeight});
    }
}

void TSection::CopySelection(TTextSink& sink)
{
    if (!Document)
        return;
    const int begin = Document->SelectionBegin - StartPosition;
    const int end = Document->SelectionEnd - StartPosition;
    for (int index = std::max(0, Lines.LineAtIndex(begin)); index < static_cast<int>(Lines.size()); ++index) {
        const LineRec line = Lines[index];
        if (line.Start >= end)
            break;
        // A line end is copied as the line break that every copied line end gives.
        const int lineEnd = line.Start + line.Count;
        const int textEnd = line.Count > 0 && Text()[static_cast<std::size_t>(lineEnd - 1)] == kLineEnd ? lineEnd - 1
                                                                                                   : lineEnd;
        const int from = std::max(begin, line.Start);
        const int to = std::min(end, lineEnd);
        if (from >= std::min(to, textEnd))
            continue;
        if (begin <= line.Start)
            sink.AddText(std::string(static_cast<std::size_t>(
                                          kCopySpacesPerIndent * std::max(0, line.IndentX / IndentManagerBasic::kListIndent)),
                                      ' '));
        const std::string part = EngineText(from, std::min(to, textEnd) - from);
        if (to >= textEnd)
            sink.AddTextCR(part);
        else
            sink.AddText(part);
    }
}

void TSection::ApplyDefaultFonts()
{
    const TFontDefaults defaults = Document->FontDefaults();
    TFontList fonts = Fonts();
    for (int run = 0; run < fonts.Count(); ++run) {
        TFontObj look = fonts[run];
        look.ApplyDefaults(defaults);
        fonts.SetLook(run, Document->FontLooks.Share(look));
    }
    // The sections that share the content take the same defaults.
    if (!fonts.SharesWith(Fonts()))
        content_.Shared().Fonts = std::move(fonts);
    TSectionBase::ApplyDefaultFonts();
}

void TSection::Added()
{
    // The section gets no more text.
    TContent& content = OwnContent();
    content.Text.shrink_to_fit();
    if (!Document)
        return;
    for (int run = 0; run < content.Fonts.Count(); ++run)
        content.Fonts.SetLook(run, Document->FontLooks.Share(content.Fonts[run]));
    content.Fonts.ShareIfEqual(Document->LastRuns);
    Document->LastRuns = content.Fonts;
    ShareContentWithLast();
}
