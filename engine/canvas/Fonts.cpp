#include "engine/canvas/Fonts.h"

#include "engine/base/Cp1252.h"
#include "engine/base/MulDiv.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QList>
#include <QPointF>
#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

// Faces are made between these em heights: a zero or negative size from a
// page would give no font at all, and giant ones cost memory for nothing.
constexpr int kMinPixelSize = 1;
constexpr int kMaxPixelSize = 1000;

bool IsSystemFontName(std::string_view name)
{
    constexpr std::string_view kSystem = "system";
    return name.empty()
        || std::equal(name.begin(), name.end(), kSystem.begin(), kSystem.end(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// The family handed to the font database; fontconfig substitutes the
// metric-compatible Liberation fonts for the usual Windows names.
QString FamilyFor(std::string_view name)
{
    if (IsSystemFontName(name))
        return QGuiApplication::font().family();
    return Cp1252ToQString(name);
}

QRawFont MakeRawFont(const TFontFaceKey& key)
{
    QFont font(FamilyFor(key.Name));
    font.setPixelSize(key.PixelSize);
    font.setBold(key.Bold);
    font.setItalic(key.Italic);
    font.setKerning(false);
    QRawFont raw = QRawFont::fromFont(font, QFontDatabase::Latin);
    if (!raw.isValid()) {
        // A name the database cannot place at all still gets a face.
        QFont fallback = QGuiApplication::font();
        fallback.setPixelSize(key.PixelSize);
        fallback.setBold(key.Bold);
        fallback.setItalic(key.Italic);
        raw = QRawFont::fromFont(fallback, QFontDatabase::Latin);
    }
    return raw;
}

}  // namespace

TFontFace::TFontFace(const TFontFaceKey& key) : key_(key), rawFont_(MakeRawFont(key))
{
    if (!rawFont_.isValid()) {
        // No font at all on the machine: measure as a plain box font.
        advances_.fill(std::max(1, key.PixelSize / 2));
        metrics_.Ascent = key.PixelSize * 4 / 5;
        metrics_.Descent = key.PixelSize - metrics_.Ascent;
        metrics_.Height = key.PixelSize;
        metrics_.AveCharWidth = metrics_.MaxCharWidth = advances_[0];
        return;
    }

    std::array<QChar, 256> characters;
    for (int byte = 0; byte < 256; ++byte)
        characters[static_cast<std::size_t>(byte)] = QChar(Cp1252ToUnicode(static_cast<unsigned char>(byte)));
    int glyphCount = 256;
    rawFont_.glyphIndexesForChars(characters.data(), 256, glyphs_.data(), &glyphCount);
    advances_.fill(kUnmeasured);

    // Rounded up, so that the text cell holds the ink of every glyph.
    metrics_.Ascent = static_cast<int>(std::ceil(rawFont_.ascent()));
    metrics_.Descent = static_cast<int>(std::ceil(rawFont_.descent()));
    metrics_.Height = metrics_.Ascent + metrics_.Descent;
    metrics_.InternalLeading = std::max(0, metrics_.Height - key.PixelSize);
    metrics_.ExternalLeading = std::max(0, static_cast<int>(std::lround(rawFont_.leading())));
    metrics_.Overhang = 0;
    metrics_.AveCharWidth = static_cast<int>(std::lround(rawFont_.averageCharWidth()));
    metrics_.MaxCharWidth = static_cast<int>(std::lround(rawFont_.maxCharWidth()));

    // Decorations stay inside the text cell, where the opaque background is.
    lineThickness_ = std::max(1, static_cast<int>(std::lround(rawFont_.lineThickness())));
    const int underline = std::max(1, static_cast<int>(std::lround(rawFont_.underlinePosition())));
    underlineOffset_ = std::max(0, std::min(underline, metrics_.Descent - lineThickness_));
    strikeOutOffset_ = -std::max(1, static_cast<int>(std::lround(metrics_.Ascent / 3.0)));
}

int TFontFace::Measure(unsigned char byte) const
{
    QPointF advance;
    rawFont_.advancesForGlyphIndexes(&glyphs_[byte], &advance, 1);
    advances_[byte] = std::max(0, static_cast<int>(std::lround(advance.x())));
    return advances_[byte];
}

const QFont& TFontFace::WideFont() const
{
    if (!wideFont_) {
        wideFont_ = std::make_unique<QFont>(rawFont_.isValid() ? rawFont_.familyName() : FamilyFor(key_.Name));
        wideFont_->setPixelSize(key_.PixelSize);
        wideFont_->setBold(key_.Bold);
        wideFont_->setItalic(key_.Italic);
    }
    return *wideFont_;
}

int TFontFace::MeasureWide(char32_t character) const
{
    int advance = 0;
    if (!QChar::isMark(character)) {
        const QFontMetricsF metrics(WideFont());
        advance = std::max(0, static_cast<int>(std::lround(metrics.horizontalAdvance(QString::fromUcs4(&character, 1)))));
    }
    // Asked for by WideAdvance, which made the character's block current.
    (*lastWideAdvances_)[character & 0xFF] = advance;
    return advance;
}

int TFontFace::EngineTextWidth(std::string_view text) const
{
    int width = 0;
    for (std::size_t index = 0; index < text.size();) {
        if (const std::optional<char32_t> wide = WideCharacterAt(text, index)) {
            width += WideAdvance(*wide);
            index += kWideLength;
        } else {
            width += Advance(static_cast<unsigned char>(text[index++]));
        }
    }
    return width;
}

std::shared_ptr<const TFontFace> TFontFaceCache::Face(const TFontFaceKey& key)
{
    for (const auto& face : faces_)
        if (face->Key() == key)
            return face;
    faces_.push_back(std::make_shared<const TFontFace>(key));
    return faces_.back();
}

int HtmlSizeTwelfths(int htmlSize, TPitch pitch)
{
    const auto& scale = pitch == TPitch::Fixed ? kFixedSizeScale : kProportionalSizeScale;
    const int index = std::clamp(htmlSize, 1, 7) - 1;
    return scale[static_cast<std::size_t>(index)];
}

TMyFont::TMyFont() : name_("System") {}

TMyFont::TMyFont(std::string_view name, int size, TFontStyles style, TColor color)
    : name_(name), size_(size), style_(style), color_(color)
{
}

void TMyFont::SetName(std::string_view name)
{
    if (name == name_)
        return;
    name_ = name;
    DropFace();
}

void TMyFont::SetSize(int points)
{
    if (points == size_)
        return;
    const int oldPixels = PixelSize();
    size_ = points;
    if (PixelSize() != oldPixels)
        DropFace();
}

void TMyFont::SetStyle(TFontStyles style)
{
    const bool shapeChanged = style.Has(TFontStyle::Bold) != style_.Has(TFontStyle::Bold)
        || style.Has(TFontStyle::Italic) != style_.Has(TFontStyle::Italic);
    style_ = style;
    if (shapeChanged)
        DropFace();
}

void TMyFont::SetHtmlSize(int baseFontSize, int twelfths)
{
    htmlSize_ = twelfths;
    SetSize(MulDiv(baseFontSize, twelfths, 12));
}

void TMyFont::ApplyDefaults(const TFontDefaults& defaults, TColor color)
{
    SetName(fixedPitch_ ? defaults.FixedFontName : defaults.FontName);
    charset_ = defaults.Charset;
    SetSize(MulDiv(defaults.BaseFontSize, htmlSize_, 12));
    color_ = color | kPaletteRelative;
    SetFaceCache(defaults.Faces);
}

void TMyFont::SetFaceCache(std::shared_ptr<TFontFaceCache> cache)
{
    if (cache == faceCache_)
        return;
    faceCache_ = std::move(cache);
    DropFace();
}

int TMyFont::PixelSize() const
{
    return std::clamp(MulDiv(size_, kLogicalDpi, 72), kMinPixelSize, kMaxPixelSize);
}

bool TMyFont::operator==(const TMyFont& other) const
{
    return name_ == other.name_ && size_ == other.size_ && style_ == other.style_
        && color_ == other.color_ && charset_ == other.charset_ && htmlSize_ == other.htmlSize_
        && fixedPitch_ == other.fixedPitch_;
}

TFontFaceKey TMyFont::FaceKey() const
{
    return {name_, PixelSize(), style_.Has(TFontStyle::Bold), style_.Has(TFontStyle::Italic)};
}

void TMyFont::ResolveFace() const
{
    face_ = faceCache_ ? faceCache_->Face(FaceKey()) : std::make_shared<const TFontFace>(FaceKey());
}

TFontObj::TFontObj(const TMyFont& font, const TUrlTarget& link) : Link(link), font_(font) {}

void TFontObj::ApplyDefaults(const TFontDefaults& defaults)
{
    font_.ApplyDefaults(defaults, Link.Url.empty() ? defaults.FontColor : defaults.LinkColor);
}

bool TFontObj::operator==(const TFontObj& other) const
{
    return VPos == other.VPos && font_ == other.font_ && font_.FaceCache() == other.font_.FaceCache()
        && Link == other.Link;
}

std::size_t TFontObj::Hash() const
{
    // Looks of one page differ mostly in size, style, colour and link.
    std::size_t hash = std::hash<std::string>()(Link.Url);
    auto mix = [&hash](std::size_t value) { hash ^= value + 0x9E3779B97F4A7C15u + (hash << 6) + (hash >> 2); };
    mix(static_cast<std::size_t>(font_.Size()));
    mix(static_cast<std::size_t>(font_.HtmlSize()));
    mix(font_.Color());
    mix(font_.Style().Bits() | static_cast<std::size_t>(VPos) << 4 | static_cast<std::size_t>(font_.FixedPitch()) << 6);
    mix(std::hash<std::string>()(font_.Name()));
    return hash;
}

TFontLook TFontLooks::Share(const TFontObj& look)
{
    if (const auto found = looks_.find(look); found != looks_.end())
        return *found;
    return *looks_.insert(std::make_shared<const TFontObj>(look)).first;
}

void TFontList::Add(int start, TFontLook look)
{
    runs_.Own().push_back({start, std::move(look)});
}

void TFontList::SetLook(int index, TFontLook look)
{
    if (Runs()[static_cast<std::size_t>(index)].Look == look)
        return;
    runs_.Own()[static_cast<std::size_t>(index)].Look = std::move(look);
}

int TFontList::IndexAt(int textIndex) const
{
    const std::span<const TRun> runs = Runs();
    const auto after = std::upper_bound(runs.begin(), runs.end(), textIndex,
                                        [](int index, const TRun& run) { return index < run.Start; });
    return after == runs.begin() ? 0 : static_cast<int>(after - runs.begin()) - 1;
}
