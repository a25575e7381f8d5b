#pragma once
// Fonts of the engine: the description a text run carries (TMyFont), the face
// it resolves to (whole-pixel advances of the 256 Windows-1252 bytes and the
// text metrics), the font runs of a section (TFontObj, TFontList) and the HTML
// size scale.

#include "engine/base/Colors.h"
#include "engine/base/SharedValue.h"
#include "engine/base/UrlTarget.h"

#include <QFont>
#include <QRawFont>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <span>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Every device is 96 logical dots per inch: P points are MulDiv(P, 96, 72) pixels.
constexpr int kLogicalDpi = 96;

// The text metrics the layout reads, in whole pixels.
struct TTextMetrics {
    int Height = 0;           // ascent + descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0;  // height − em size, at least 0
    int ExternalLeading = 0;  // max(0, the font's leading)
    int Overhang = 0;         // always 0: outline fonts have none
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
};

enum class TFontStyle : std::uint8_t { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

// A set of font styles.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(TFontStyle style) : bits_(static_cast<std::uint8_t>(style)) {}

    constexpr bool Has(TFontStyle style) const { return bits_ & static_cast<std::uint8_t>(style); }
    constexpr bool IsEmpty() const { return bits_ == 0; }
    constexpr void Include(TFontStyles styles) { bits_ |= styles.bits_; }
    constexpr void Exclude(TFontStyles styles) { bits_ &= static_cast<std::uint8_t>(~styles.bits_); }
    constexpr TFontStyles operator|(TFontStyles other) const
    {
        TFontStyles result = *this;
        result.Include(other);
        return result;
    }
    constexpr bool operator==(const TFontStyles&) const = default;
    constexpr std::uint8_t Bits() const { return bits_; }

private:
    std::uint8_t bits_ = 0;
};

constexpr TFontStyles operator|(TFontStyle left, TFontStyle right)
{
    return TFontStyles(left) | TFontStyles(right);
}

// What a face is made from: the attributes that change glyph shapes and
// advances (underline, strike-out and colour are drawn over the glyphs).
struct TFontFaceKey {
    std::string Name;   // Windows-1252; "System" is the application font
    int PixelSize = 16;
    bool Bold = false;
    bool Italic = false;
    bool operator==(const TFontFaceKey&) const = default;
};

// A resolved font: its raw font, the glyph and the whole-pixel advance of each
// Windows-1252 byte, and its metrics. Every description that resolves to it
// shares it. Measuring a string is a sum of table entries, and the canvas
// draws the glyphs at exactly these advances. An advance is measured when
// first asked for: measuring loads the glyph, and a page uses a few dozen of
// the 256.
class TFontFace {
public:
    explicit TFontFace(const TFontFaceKey& key);

    const TFontFaceKey& Key() const { return key_; }
    const QRawFont& RawFont() const { return rawFont_; }
    // The family fontconfig chose ("Liberation Serif" for "Times New Roman").
    QString FamilyName() const { return rawFont_.familyName(); }
    const TTextMetrics& Metrics() const { return metrics_; }
    std::uint32_t Glyph(unsigned char byte) const { return glyphs_[byte]; }
    int Advance(unsigned char byte) const
    {
        const int advance = advances_[byte];
        return advance != kUnmeasured ? advance : Measure(byte);
    }

    int Width(std::string_view text) const
    {
        int width = 0;
        for (const char byte : text)
            width += Advance(static_cast<unsigned char>(byte));
        return width;
    }

    // A character the code page lacks is measured and drawn with Qt's text
    // engine, in the face's family with the fonts Qt merges in for the
    // glyphs it lacks; its whole-pixel advance is measured once and kept.
    // Combining marks take no room of their own.
    int WideAdvance(char32_t character) const
    {
        const char32_t page = character >> 8;
        if (page != lastWidePage_) {
            auto [entry, made] = wideAdvances_.try_emplace(page);
            if (made)
                entry->second.fill(kUnmeasured);
            lastWidePage_ = page;
            lastWideAdvances_ = &entry->second;
        }
        const int advance = (*lastWideAdvances_)[character & 0xFF];
        return advance != kUnmeasured ? advance : MeasureWide(character);
    }
    const QFont& WideFont() const;
    // The width of engine text that may hold wide sequences (Cp1252.h).
    int EngineTextWidth(std::string_view text) const;
    // Underline and strike-out lines, relative to the baseline (down is positive).
    int UnderlineOffset() const { return underlineOffset_; }
    int StrikeOutOffset() const { return strikeOutOffset_; }
    int LineThickness() const { return lineThickness_; }

private:
    static constexpr int kUnmeasured = -1;

    // Fills in the advance of one byte's glyph.
    int Measure(unsigned char byte) const;
    int MeasureWide(char32_t character) const;

    TFontFaceKey key_;
    QRawFont rawFont_;
    std::array<std::uint32_t, 256> glyphs_{};
    mutable std::array<int, 256> advances_{};
    // Advances of wide characters, by blocks of 256 characters; the block
    // used last is kept at hand, as text stays in one script for long.
    mutable std::unordered_map<char32_t, std::array<int, 256>> wideAdvances_;
    mutable char32_t lastWidePage_ = ~char32_t{0};
    mutable std::array<int, 256>* lastWideAdvances_ = nullptr;
    mutable std::unique_ptr<QFont> wideFont_;
    TTextMetrics metrics_;
    int underlineOffset_ = 0;
    int strikeOutOffset_ = 0;
    int lineThickness_ = 1;
};

// Faces by key, shared by the fonts of a document. Making a face costs about
// a tenth of a millisecond (matching the font, measuring 256 glyphs), and a
// page re-applies its defaults to every run; with a cache each distinct face
// is made once. Fonts keep the cache alive through their shared pointer.
class TFontFaceCache {
public:
    std::shared_ptr<const TFontFace> Face(const TFontFaceKey& key);
    int Count() const { return static_cast<int>(faces_.size()); }

private:
    // A page uses a few dozen faces at most: a linear search is the fastest.
    std::vector<std::shared_ptr<const TFontFace>> faces_;
};

// The document's default fonts and colours, which runs take when defaults are
// applied, and the face cache its fonts resolve through.
struct TFontDefaults {
    std::string FontName = "Times New Roman";
    std::string FixedFontName = "Courier New";
    int BaseFontSize = 12;  // points
    int Charset = 1;        // the platform's default character set
    TColor FontColor = kSystemColorFlag | 0x12;
    TColor LinkColor = 0x00FF0000;
    std::shared_ptr<TFontFaceCache> Faces;  // none: each font makes its own face
};

// The HTML size scale: sizes 1 to 7 in twelfths of the base font size.
enum class TPitch { Proportional, Fixed };
constexpr std::array<int, 7> kProportionalSizeScale = {8, 10, 12, 14, 18, 24, 36};
constexpr std::array<int, 7> kFixedSizeScale = {7, 8, 10, 12, 15, 20, 30};

// The twelfths for HTML size 1 to 7; sizes outside are taken as the nearest end.
int HtmlSizeTwelfths(int htmlSize, TPitch pitch);

// A font description: name, size in points, style, colour and charset, with
// the HTML size (in twelfths of the base size) and the fixed-pitch flag. The
// face is resolved on first use (through the face cache when the font has
// one) and dropped when an attribute that shapes the glyphs changes; copies
// share both the face and the cache.
class TMyFont {
public:
    TMyFont();
    TMyFont(std::string_view name, int size, TFontStyles style = {}, TColor color = clWindowText);

    const std::string& Name() const { return name_; }
    void SetName(std::string_view name);
    int Size() const { return size_; }  // points
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }
    int Charset() const { return charset_; }
    void SetCharset(int charset) { charset_ = charset; }

    int HtmlSize() const { return htmlSize_; }  // twelfths of the base size
    bool FixedPitch() const { return fixedPitch_; }
    void SetFixedPitch(bool fixedPitch) { fixedPitch_ = fixedPitch; }

    // HTML size := twelfths; size := MulDiv(base font size, twelfths, 12).
    void SetHtmlSize(int baseFontSize, int twelfths);
    // Name from the defaults (fixed or proportional), their charset, the size
    // from the HTML size, and the given colour marked palette-relative. The
    // font resolves through the defaults' face cache from then on.
    void ApplyDefaults(const TFontDefaults& defaults, TColor color);

    const std::shared_ptr<TFontFaceCache>& FaceCache() const { return faceCache_; }
    void SetFaceCache(std::shared_ptr<TFontFaceCache> cache);

    // The em height in pixels at 96 DPI, kept within what a face can be made at.
    int PixelSize() const;
    const TFontFace& Face() const
    {
        if (!face_)
            ResolveFace();
        return *face_;
    }
    const TTextMetrics& Metrics() const { return Face().Metrics(); }
    int TextWidth(std::string_view text) const { return Face().Width(text); }

    // Same description (the face is not compared).
    bool operator==(const TMyFont& other) const;

private:
    TFontFaceKey FaceKey() const;
    void ResolveFace() const;
    void DropFace() { face_.reset(); }

    std::string name_;
    int size_ = 8;
    TFontStyles style_;
    TColor color_ = clWindowText;
    int charset_ = 1;
    int htmlSize_ = 12;
    bool fixedPitch_ = false;
    std::shared_ptr<TFontFaceCache> faceCache_;
    // Lazily resolved; a cache of the description above, not state of its own.
    mutable std::shared_ptr<const TFontFace> face_;
};

enum class TVerticalPosition : std::uint8_t { Normal, Subscript, Superscript };

// How a font run looks: its font, its link and its vertical position. Its
// metrics always follow its font: they are read from the font's face, which
// every change of the font replaces. Runs that look alike share one look.
class TFontObj {
public:
    TFontObj() = default;
    explicit TFontObj(const TMyFont& font, const TUrlTarget& link = {});

    TVerticalPosition VPos = TVerticalPosition::Normal;
    TUrlTarget Link;

    const TMyFont& Font() const { return font_; }
    TMyFont& Font() { return font_; }
    void SetFont(const TMyFont& font) { font_ = font; }

    int LineHeight() const { return Metrics().Height + Metrics().ExternalLeading; }
    int Height() const { return Metrics().Height; }
    int Overhang() const { return Metrics().Overhang; }
    int Descent() const { return Metrics().Descent; }

    // Document defaults, with the link colour when the run is a link.
    void ApplyDefaults(const TFontDefaults& defaults);

    // Same font description resolving through the same face cache, same link
    // and vertical position.
    bool operator==(const TFontObj& other) const;
    std::size_t Hash() const;

private:
    const TTextMetrics& Metrics() const { return font_.Metrics(); }

    TMyFont font_;
};

// A look shared by the runs that have it; never changed once shared.
using TFontLook = std::shared_ptr<const TFontObj>;

// The looks of a document's runs, each kept once: a page of a million runs
// has a few dozen looks, and a link's look per link.
class TFontLooks {
public:
    // The kept look equal to `look`, which is kept first when there is none.
    TFontLook Share(const TFontObj& look);
    void Clear() { looks_.clear(); }
    int Count() const { return static_cast<int>(looks_.size()); }

private:
    struct THash {
        using is_transparent = void;
        std::size_t operator()(const TFontObj& look) const { return look.Hash(); }
        std::size_t operator()(const TFontLook& look) const { return look->Hash(); }
    };
    struct TEqual {
        using is_transparent = void;
        static const TFontObj& Of(const TFontObj& look) { return look; }
        static const TFontObj& Of(const TFontLook& look) { return *look; }
        template <typename TLeft, typename TRight>
        bool operator()(const TLeft& left, const TRight& right) const
        {
            return Of(left) == Of(right);
        }
    };
    std::unordered_set<TFontLook, THash, TEqual> looks_;
};

// The font runs of one section: where each starts and how it looks, ordered
// by start. Sections whose runs are the same (every line of a plain-text file,
// most cells of a table) share one list: a list is never changed once shared.
class TFontList {
public:
    struct TRun {
        int Start = 0;
        TFontLook Look;
        // The run's look.
        const TFontObj* operator->() const { return Look.get(); }
        bool operator==(const TRun&) const = default;
    };

    // Appends a run; it starts after the last one.
    void Add(int start, TFontLook look);
    // Gives the run at the index another look.
    void SetLook(int index, TFontLook look);
    // Takes the other list's runs when they are the same as these.
    void ShareIfEqual(const TFontList& other) { runs_.ShareIfEqual(other.runs_); }
    bool SharesWith(const TFontList& other) const { return runs_.SharesWith(other.runs_); }
    bool operator==(const TFontList& other) const { return std::ranges::equal(Runs(), other.Runs()); }

    int Count() const { return static_cast<int>(Runs().size()); }
    bool IsEmpty() const { return Runs().empty(); }
    const TFontObj& operator[](int index) const { return *Runs()[static_cast<std::size_t>(index)].Look; }
    int Start(int index) const { return Runs()[static_cast<std::size_t>(index)].Start; }
    const TFontObj& Last() const { return *Runs().back().Look; }
    int LastStart() const { return Runs().back().Start; }
    void Clear() { runs_.Reset(); }

    // The index of the run that holds the text index (the last run starting at
    // or before it); 0 when the list is empty or the index precedes every run.
    int IndexAt(int textIndex) const;

    auto begin() const { return Runs().begin(); }
    auto end() const { return Runs().end(); }

private:
    std::span<const TRun> Runs() const
    {
        return runs_.HasValue() ? std::span<const TRun>(*runs_) : std::span<const TRun>();
    }

    TSharedValue<std::vector<TRun>> runs_;
};
