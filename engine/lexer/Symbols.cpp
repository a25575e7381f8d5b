#include "engine/lexer/Symbols.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace {

struct TTagEntry {
    std::string_view Name;
    bool KeepsAttributes;
};

// Indexed by the start symbol; the first kTagsWithEnd entries have end symbols.
constexpr std::array<TTagEntry, kTagCount> kTagTable = {{
    {"HTML", false}, {"TITLE", false}, {"BODY", true}, {"HEAD", false},
    {"B", false}, {"I", false}, {"H", true}, {"EM", false},
    {"STRONG", false}, {"U", false}, {"CITE", false}, {"VAR", false},
    {"TT", false}, {"CODE", false}, {"KBD", false}, {"SAMP", false},
    {"OL", true}, {"UL", true}, {"DIR", false}, {"MENU", false},
    {"DL", false}, {"A", true}, {"ADDRESS", false}, {"BLOCKQUOTE", false},
    {"PRE", false}, {"CENTER", false}, {"TABLE", true}, {"TD", true},
    {"TH", true}, {"CAPTION", true}, {"FORM", true}, {"TEXTAREA", true},
    {"SELECT", true}, {"OPTION", true}, {"FONT", true}, {"SUB", false},
    {"SUP", false}, {"BIG", false}, {"SMALL", false}, {"P", true},
    {"MAP", true}, {"FRAMESET", true}, {"NOFRAMES", false}, {"SCRIPT", true},
    {"DIV", true}, {"S", false}, {"STRIKE", false}, {"TR", true},
    {"LI", false}, {"BR", true}, {"HR", true}, {"DD", false},
    {"DT", false}, {"IMG", true}, {"BASE", true}, {"BUTTON", false},
    {"INPUT", true}, {"SELECTED", false}, {"BASEFONT", true}, {"AREA", true},
    {"FRAME", true}, {"BGSOUND", true}, {"WRAP", true}, {"META", true},
}};

constexpr int kFirstEndTag = static_cast<int>(TSymbol::HtmlEnd);
static_assert(static_cast<int>(TSymbol::Meta) == kTagCount - 1);
static_assert(static_cast<int>(TSymbol::TrEnd) == kFirstEndTag + kTagsWithEnd - 1);
static_assert(static_cast<int>(TSymbol::TrEnd) + 1 == static_cast<int>(TSymbol::Href));

struct TNamedSymbol {
    std::string_view Name;
    TSymbol Symbol;
};

constexpr std::array<TNamedSymbol, kAttributeCount> kAttributeTable = {{
    {"HREF", TSymbol::Href}, {"NAME", TSymbol::Name}, {"SRC", TSymbol::Src},
    {"ALT", TSymbol::Alt}, {"ALIGN", TSymbol::Align}, {"TEXT", TSymbol::Text},
    {"BGCOLOR", TSymbol::BgColor}, {"LINK", TSymbol::Link},
    {"BACKGROUND", TSymbol::Background}, {"COLSPAN", TSymbol::ColSpan},
    {"ROWSPAN", TSymbol::RowSpan}, {"BORDER", TSymbol::Border},
    {"CELLPADDING", TSymbol::CellPadding}, {"CELLSPACING", TSymbol::CellSpacing},
    {"VALIGN", TSymbol::VAlign}, {"WIDTH", TSymbol::Width}, {"START", TSymbol::Start},
    {"VALUE", TSymbol::Value}, {"TYPE", TSymbol::Type}, {"CHECKBOX", TSymbol::CheckBox},
    {"RADIO", TSymbol::Radio}, {"METHOD", TSymbol::Method}, {"ACTION", TSymbol::Action},
    {"CHECKED", TSymbol::Checked}, {"SIZE", TSymbol::Size},
    {"MAXLENGTH", TSymbol::MaxLength}, {"COLS", TSymbol::Cols}, {"ROWS", TSymbol::Rows},
    {"MULTIPLE", TSymbol::Multiple}, {"SELECTED", TSymbol::Selected},
    {"FACE", TSymbol::Face}, {"COLOR", TSymbol::Color}, {"TRANSP", TSymbol::Transp},
    {"CLEAR", TSymbol::Clear}, {"ISMAP", TSymbol::IsMap},
    {"BORDERCOLOR", TSymbol::BorderColor}, {"USEMAP", TSymbol::UseMap},
    {"SHAPE", TSymbol::Shape}, {"COORDS", TSymbol::Coords}, {"NOHREF", TSymbol::NoHref},
    {"HEIGHT", TSymbol::Height}, {"PLAIN", TSymbol::Plain}, {"TARGET", TSymbol::Target},
    {"NORESIZE", TSymbol::NoResize}, {"SCROLLING", TSymbol::Scrolling},
    {"HSPACE", TSymbol::HSpace}, {"LANGUAGE", TSymbol::Language},
    {"FRAMEBORDER", TSymbol::FrameBorder}, {"MARGINWIDTH", TSymbol::MarginWidth},
    {"MARGINHEIGHT", TSymbol::MarginHeight}, {"LOOP", TSymbol::Loop},
    {"ONCLICK", TSymbol::OnClick}, {"WRAP", TSymbol::Wrap}, {"NOSHADE", TSymbol::NoShade},
    {"HTTP-EQUIV", TSymbol::HttpEquiv}, {"CONTENT", TSymbol::Content},
    {"ENCTYPE", TSymbol::EncType},
}};

// The Latin-1 entity names for the codes 160 to 255.
constexpr std::array<std::string_view, 96> kLatin1EntityNames = {
    "nbsp", "iexcl", "cent", "pound", "curren", "yen", "brvbar", "sect", "uml", "copy",
    "ordf", "laquo", "not", "shy", "reg", "macr", "deg", "plusmn", "sup2", "sup3",
    "acute", "micro", "para", "middot", "cedil", "sup1", "ordm", "raquo", "frac14",
    "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc", "Atilde", "Auml", "Aring",
    "AElig", "Ccedil", "Egrave", "Eacute", "Ecirc", "Euml", "Igrave", "Iacute", "Icirc",
    "Iuml", "ETH", "Ntilde", "Ograve", "Oacute", "Ocirc", "Otilde", "Ouml", "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc", "Uuml", "Yacute", "THORN", "szlig", "agrave",
    "aacute", "acirc", "atilde", "auml", "aring", "aelig", "ccedil", "egrave", "eacute",
    "ecirc", "euml", "igrave", "iacute", "icirc", "iuml", "eth", "ntilde", "ograve",
    "oacute", "ocirc", "otilde", "ouml", "divide", "oslash", "ugrave", "uacute", "ucirc",
    "uuml", "yacute", "thorn", "yuml",
};

// Names are found through small open-addressing hash tables built at
// compile time: the lexer looks up every tag and attribute it reads.
constexpr std::uint32_t HashName(std::string_view name)
{
    std::uint32_t hash = 2166136261u;
    for (const char c : name)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

constexpr bool SameName(std::string_view left, std::string_view right)
{
    if (left.size() != right.size())
        return false;
    for (std::size_t index = 0; index < left.size(); ++index)
        if (left[index] != right[index])
            return false;
    return true;
}

template <std::size_t Slots>
struct THashIndex {
    static_assert((Slots & (Slots - 1)) == 0, "a power of two");
    std::array<std::int16_t, Slots> Entries{};
};

// Slots hold indexes into the names; -1 marks an empty slot.
template <std::size_t Slots, std::size_t Count, typename TNameOf>
constexpr THashIndex<Slots> BuildHashIndex(TNameOf nameOf)
{
    static_assert(Count * 2 <= Slots, "the table stays at most half full");
    THashIndex<Slots> index;
    for (auto& entry : index.Entries)
        entry = -1;
    for (std::size_t item = 0; item < Count; ++item) {
        std::size_t slot = HashName(nameOf(item)) & (Slots - 1);
        while (index.Entries[slot] >= 0)
            slot = (slot + 1) & (Slots - 1);
        index.Entries[slot] = static_cast<std::int16_t>(item);
    }
    return index;
}

template <std::size_t Slots, typename TNameOf>
int FindInHashIndex(const THashIndex<Slots>& index, std::string_view name, TNameOf nameOf)
{
    for (std::size_t slot = HashName(name) & (Slots - 1); index.Entries[slot] >= 0; slot = (slot + 1) & (Slots - 1))
        if (SameName(nameOf(static_cast<std::size_t>(index.Entries[slot])), name))
            return index.Entries[slot];
    return -1;
}

constexpr auto kTagNameOf = [](std::size_t index) { return kTagTable[index].Name; };
constexpr auto kAttributeNameOf = [](std::size_t index) { return kAttributeTable[index].Name; };

struct TEntityTable {
    std::array<std::string_view, 100> Names;
    std::array<unsigned char, 100> Codes;
};

// The four markup entities, then the Latin-1 names in code order.
constexpr TEntityTable MakeEntityTable()
{
    TEntityTable table{{"amp", "lt", "gt", "quot"}, {'&', '<', '>', '"'}};
    for (std::size_t index = 0; index < kLatin1EntityNames.size(); ++index) {
        table.Names[4 + index] = kLatin1EntityNames[index];
        table.Codes[4 + index] = static_cast<unsigned char>(160 + index);
    }
    return table;
}

constexpr TEntityTable kEntityTable = MakeEntityTable();
constexpr auto kEntityNameOf = [](std::size_t index) { return kEntityTable.Names[index]; };

constexpr auto kTagIndex = BuildHashIndex<256, kTagCount>(kTagNameOf);
constexpr auto kAttributeIndex = BuildHashIndex<128, kAttributeCount>(kAttributeNameOf);
constexpr auto kEntityIndex = BuildHashIndex<256, 100>(kEntityNameOf);

struct TColorName {
    std::string_view Name;
    TColor Value;
};

constexpr std::array<TColorName, 16> kColorNames = {{
    {"BLACK", RGB(0x00, 0x00, 0x00)}, {"MAROON", RGB(0x80, 0x00, 0x00)},
    {"GREEN", RGB(0x00, 0x80, 0x00)}, {"OLIVE", RGB(0x80, 0x80, 0x00)},
    {"NAVY", RGB(0x00, 0x00, 0x80)}, {"PURPLE", RGB(0x80, 0x00, 0x80)},
    {"TEAL", RGB(0x00, 0x80, 0x80)}, {"GRAY", RGB(0x80, 0x80, 0x80)},
    {"SILVER", RGB(0xC0, 0xC0, 0xC0)}, {"RED", RGB(0xFF, 0x00, 0x00)},
    {"LIME", RGB(0x00, 0xFF, 0x00)}, {"YELLOW", RGB(0xFF, 0xFF, 0x00)},
    {"BLUE", RGB(0x00, 0x00, 0xFF)}, {"FUCHSIA", RGB(0xFF, 0x00, 0xFF)},
    {"AQUA", RGB(0x00, 0xFF, 0xFF)}, {"WHITE", RGB(0xFF, 0xFF, 0xFF)},
}};

constexpr char ToUpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsIgnoringCase(std::string_view text, std::string_view lowerKeyword)
{
    return text.size() == lowerKeyword.size()
        && std::equal(text.begin(), text.end(), lowerKeyword.begin(),
            [](char c, char keyword) { return ToUpperAscii(c) == ToUpperAscii(keyword); });
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char upper = ToUpperAscii(c);
    if (upper >= 'A' && upper <= 'F')
        return upper - 'A' + 10;
    return -1;
}

// A hexadecimal number of at most 32 bits; anything else fails.
std::optional<std::uint32_t> ParseHex(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::string_view AlignText(const TAttributeList& attributes, TSymbol symbol)
{
    const TAttribute* attribute = attributes.Find(symbol);
    return attribute ? std::string_view(attribute->Text) : std::string_view();
}

} // namespace

std::string LowerCasePrefix(std::string_view text, std::size_t limit)
{
    std::string lower(text.substr(0, limit));
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

const TAttribute* TAttributeList::Find(TSymbol symbol) const
{
    for (const TAttribute& attribute : Items)
        if (attribute.Symbol == symbol)
            return &attribute;
    return nullptr;
}

TSymbol LookupTag(std::string_view upperName, bool endTag)
{
    const int index = FindInHashIndex(kTagIndex, upperName, kTagNameOf);
    if (index < 0)
        return TSymbol::UnknownTag;
    const auto start = static_cast<TSymbol>(index);
    return endTag ? EndTagOf(start) : start;
}

bool IsStartTag(TSymbol symbol) { return static_cast<int>(symbol) < kTagCount; }

bool IsEndTag(TSymbol symbol)
{
    const int value = static_cast<int>(symbol);
    return value >= kFirstEndTag && value < kFirstEndTag + kTagsWithEnd;
}

TSymbol EndTagOf(TSymbol startTag)
{
    const int value = static_cast<int>(startTag);
    return value < kTagsWithEnd ? static_cast<TSymbol>(kFirstEndTag + value) : TSymbol::UnknownTag;
}

bool KeepsAttributes(TSymbol symbol)
{
    return IsStartTag(symbol) && kTagTable[static_cast<int>(symbol)].KeepsAttributes;
}

std::string_view TagName(TSymbol symbol)
{
    if (IsStartTag(symbol))
        return kTagTable[static_cast<int>(symbol)].Name;
    if (IsEndTag(symbol))
        return kTagTable[static_cast<int>(symbol) - kFirstEndTag].Name;
    return {};
}

TSymbol LookupAttribute(std::string_view upperName)
{
    const int index = FindInHashIndex(kAttributeIndex, upperName, kAttributeNameOf);
    return index < 0 ? TSymbol::UnknownAttribute : kAttributeTable[static_cast<std::size_t>(index)].Symbol;
}

std::string_view AttributeName(TSymbol symbol)
{
    for (const TNamedSymbol& entry : kAttributeTable)
        if (entry.Symbol == symbol)
            return entry.Name;
    return {};
}

std::optional<char> LookupEntity(std::string_view name)
{
    const int index = FindInHashIndex(kEntityIndex, name, kEntityNameOf);
    if (index < 0)
        return std::nullopt;
    return static_cast<char>(kEntityTable.Codes[static_cast<std::size_t>(index)]);
}

std::optional<TColor> ParseColor(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    // Names are compared on the first ten characters, folded to upper case.
    const std::string_view cut = text.substr(0, 10);
    for (const TColorName& entry : kColorNames)
        if (EqualsIgnoringCase(cut, entry.Name))
            return entry.Value;

    std::string digits(text);
    if (const auto hash = digits.find('#'); hash != std::string::npos)
        digits.erase(hash, 1);
    const auto value = ParseHex(digits);
    if (!value)
        return std::nullopt;
    return RGB(static_cast<int>(*value >> 16), static_cast<int>(*value >> 8), static_cast<int>(*value));
}

TParaAlign ReadParaAlign(const TAttributeList& attributes, TParaAlign current)
{
    const std::string_view text = AlignText(attributes, TSymbol::Align);
    if (EqualsIgnoringCase(text, "left"))
        return TParaAlign::Left;
    if (EqualsIgnoringCase(text, "center"))
        return TParaAlign::Centre;
    if (EqualsIgnoringCase(text, "right"))
        return TParaAlign::Right;
    return current;
}

TCellAlign ReadCellAlign(const TAttributeList& attributes)
{
    const std::string_view text = AlignText(attributes, TSymbol::Align);
    if (EqualsIgnoringCase(text, "left"))
        return TCellAlign::Left;
    if (EqualsIgnoringCase(text, "center"))
        return TCellAlign::Centre;
    if (EqualsIgnoringCase(text, "right"))
        return TCellAlign::Right;
    return TCellAlign::None;
}

TParaAlign ToParaAlign(TCellAlign alignment, TParaAlign otherwise)
{
    switch (alignment) {
    case TCellAlign::Left:
        return TParaAlign::Left;
    case TCellAlign::Centre:
        return TParaAlign::Centre;
    case TCellAlign::Right:
        return TParaAlign::Right;
    case TCellAlign::None:
        break;
    }
    return otherwise;
}

TVertAlign ReadVertAlign(const TAttributeList& attributes, TVertAlign defaultAlign)
{
    const std::string_view text = AlignText(attributes, TSymbol::VAlign);
    if (EqualsIgnoringCase(text, "top") || EqualsIgnoringCase(text, "baseline"))
        return TVertAlign::Top;
    if (EqualsIgnoringCase(text, "middle"))
        return TVertAlign::Middle;
    if (EqualsIgnoringCase(text, "bottom"))
        return TVertAlign::Bottom;
    return defaultAlign;
}
