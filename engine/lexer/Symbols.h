#pragma once
// The engine's HTML vocabulary: the symbols of tags and attributes, the
// attribute list of a tag, colour names and the alignment keywords.

#include "engine/base/Colors.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Every symbol the lexer can make current. Start tags come first, in the order
// of the tag table; then the end tags of the first 48 tags, in the same order;
// then the attribute names; then the symbols that are neither. The attribute
// names WRAP and SELECTED share the symbols of the tags of the same names.
enum class TSymbol : std::uint8_t {
    // Start tags (the first 48 also have an end tag).
    Html, Title, Body, Head, B, I, H, Em, Strong, U, Cite, Var, Tt, Code, Kbd, Samp,
    Ol, Ul, Dir, Menu, Dl, A, Address, BlockQuote, Pre, Center, Table, Td, Th, Caption,
    Form, TextArea, Select, Option, Font, Sub, Sup, Big, Small, P, Map, FrameSet,
    NoFrames, Script, Div, S, Strike, Tr,
    Li, Br, Hr, Dd, Dt, Img, Base, Button, Input, Selected, BaseFont, Area, Frame,
    BgSound, Wrap, Meta,

    // End tags.
    HtmlEnd, TitleEnd, BodyEnd, HeadEnd, BEnd, IEnd, HEnd, EmEnd, StrongEnd, UEnd,
    CiteEnd, VarEnd, TtEnd, CodeEnd, KbdEnd, SampEnd, OlEnd, UlEnd, DirEnd, MenuEnd,
    DlEnd, AEnd, AddressEnd, BlockQuoteEnd, PreEnd, CenterEnd, TableEnd, TdEnd, ThEnd,
    CaptionEnd, FormEnd, TextAreaEnd, SelectEnd, OptionEnd, FontEnd, SubEnd, SupEnd,
    BigEnd, SmallEnd, PEnd, MapEnd, FrameSetEnd, NoFramesEnd, ScriptEnd, DivEnd, SEnd,
    StrikeEnd, TrEnd,

    // Attribute names (WRAP and SELECTED are the tag symbols above).
    Href, Name, Src, Alt, Align, Text, BgColor, Link, Background, ColSpan, RowSpan,
    Border, CellPadding, CellSpacing, VAlign, Width, Start, Value, Type, CheckBox,
    Radio, Method, Action, Checked, Size, MaxLength, Cols, Rows, Multiple, Face, Color,
    Transp, Clear, IsMap, BorderColor, UseMap, Shape, Coords, NoHref, Height, Plain,
    Target, NoResize, Scrolling, HSpace, Language, FrameBorder, MarginWidth,
    MarginHeight, Loop, OnClick, NoShade, HttpEquiv, Content, EncType, Id,

    // Symbols that are neither tags nor attributes.
    TextRun,          // a run of text or a decoded entity, in the token text
    EndOfInput,
    UnknownTag,       // unknown name, end tag of a tag without one, stray "<" in TEXTAREA/SCRIPT
    OtherChar,        // one character that starts nothing (control character, stray ">")
    UnknownAttribute, // an attribute name not in the attribute table
    LineEnd,          // a line end, only in the TEXTAREA and SCRIPT reading modes
};

constexpr int kTagCount = 64;
constexpr int kTagsWithEnd = 48;
constexpr int kAttributeCount = 58;

// The ranges that numbers read from attributes are kept to, by the reader of
// each attribute. Layout and painting add a few of them to window coordinates
// and to one another; far inside 32 bits, no such sum can overflow.
// Sizes, spacings, spans and character counts (WIDTH, HEIGHT, BORDER,
// CELLPADDING, CELLSPACING, COLSPAN, ROWSPAN, SIZE, MAXLENGTH, COLS, ROWS):
constexpr std::int32_t kMaxAttributeSize = 100'000;
// Signed offsets and counts (HSPACE before its sign is dropped, a relative FONT
// SIZE, LOOP): -kMaxAttributeOffset to kMaxAttributeOffset.
constexpr std::int32_t kMaxAttributeOffset = 100'000;

// One attribute of a tag. Value is the numeric value (0 when the text is not a
// number; 1 for a bare BORDER), as written; readers take it through SizeValue
// or OffsetValue, or compare it with small bounds. Text is the value as
// written, Windows-1252.
struct TAttribute {
    TSymbol Symbol;
    std::int32_t Value;
    std::string Text;

    // The number as a size: 0 to kMaxAttributeSize.
    int SizeValue() const { return std::clamp(Value, 0, kMaxAttributeSize); }
    // The number as a signed offset: -kMaxAttributeOffset to kMaxAttributeOffset.
    int OffsetValue() const { return std::clamp(Value, -kMaxAttributeOffset, kMaxAttributeOffset); }
};

// The attributes of one tag in source order. Duplicates are all kept; Find
// answers the first.
// The list keeps the slots of earlier tags, so that reading a tag's
// attributes allocates nothing once their texts have been that long before.
class TAttributeList {
public:
    const TAttribute* Find(TSymbol symbol) const;

    void Clear() { Count = 0; }
    void Add(TAttribute attribute) { AddReusing(attribute); }
    // Takes the attribute, and gives back in its place a used one whose text
    // can be reused.
    void AddReusing(TAttribute& attribute)
    {
        if (Count == Items.size())
            Items.emplace_back();
        std::swap(Items[Count++], attribute);
    }
    std::size_t Size() const { return Count; }
    bool Empty() const { return Count == 0; }
    const TAttribute& operator[](std::size_t index) const { return Items[index]; }
    auto begin() const { return Items.begin(); }
    auto end() const { return Items.begin() + static_cast<std::ptrdiff_t>(Count); }

private:
    std::vector<TAttribute> Items;
    std::size_t Count = 0;
};

// Tag lookups. Names are given in upper case; the result is the start or end
// symbol of the tag, or UnknownTag (unknown names, and end tags of the tags
// that have none).
TSymbol LookupTag(std::string_view upperName, bool endTag);
bool IsStartTag(TSymbol symbol);
bool IsEndTag(TSymbol symbol);
// The end symbol of a start tag among the first 48, else UnknownTag.
TSymbol EndTagOf(TSymbol startTag);
// Whether reading this symbol's tag replaces the attribute list.
bool KeepsAttributes(TSymbol symbol);
// The table name of a start or end tag symbol ("TD" for Td and TdEnd), or empty.
std::string_view TagName(TSymbol symbol);

// Attribute lookups: upper-case name to symbol (UnknownAttribute when absent),
// and back (empty for symbols that are not attribute names).
TSymbol LookupAttribute(std::string_view upperName);
std::string_view AttributeName(TSymbol symbol);

// The Unicode character of an HTML 4 character name ("amp", "eacute",
// "rsquo"...) or of "apos", matched with case.
std::optional<char32_t> LookupEntity(std::string_view name);

// The longest character name ("thetasym").
constexpr int kMaxEntityName = 8;

// A colour name (BLACK ... WHITE) or a hexadecimal RRGGBB value with or
// without "#". The result carries no palette-relative flag; callers that keep
// document colours add kPaletteRelative.
std::optional<TColor> ParseColor(std::string_view text);

// Keyword values of attributes (ALIGN, SHAPE, TYPE, WRAP...) are compared in
// lower case, on their first `limit` characters only; letters A to Z alone fold.
std::string LowerCasePrefix(std::string_view text, std::size_t limit = std::string_view::npos);

enum class TParaAlign : std::uint8_t { Left, Centre, Right };
enum class TCellAlign : std::uint8_t { None, Left, Centre, Right };
enum class TVertAlign : std::uint8_t { Top, Middle, Bottom };

// ALIGN of P, H, DIV: left, center, right; otherwise the current alignment.
TParaAlign ReadParaAlign(const TAttributeList& attributes, TParaAlign current);
// ALIGN of TD, TH, TR: left, center, right; otherwise None (inherit).
TCellAlign ReadCellAlign(const TAttributeList& attributes);
// A cell's own alignment as a paragraph alignment; None gives `otherwise`.
TParaAlign ToParaAlign(TCellAlign alignment, TParaAlign otherwise);
// VALIGN: top or baseline, middle, bottom; otherwise the given default.
TVertAlign ReadVertAlign(const TAttributeList& attributes, TVertAlign defaultAlign);
