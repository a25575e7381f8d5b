#include "engine/lexer/Symbols.h"

#include "engine/base/AsciiText.h"

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
    {"ENCTYPE", TSymbol::EncType}, {"ID", TSymbol::Id},
}};

// The Latin-1 entity names for the codes 160 to 255, in code order.
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
// The length and three letters (the first, the middle and the last) tell
// the names of a table apart well enough, and take no loop over the name.
constexpr std::uint32_t HashName(std::string_view name)
{
    if (name.empty())
        return 0;
    const auto byte = [name](std::size_t index) { return static_cast<std::uint32_t>(static_cast<unsigned char>(name[index])); };
    const std::uint32_t key = (static_cast<std::uint32_t>(name.size()) << 24) | (byte(0) << 16)
        | (byte(name.size() / 2) << 8) | byte(name.size() - 1);
    const std::uint32_t mixed = key * 0x9E3779B1u;
    return mixed ^ (mixed >> 16);
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

// A slot holds an index into the names, -1 when empty, and the high half of
// its name's hash: most slots that hold another name are passed over on that
// alone, without comparing the names.
struct THashSlot {
    std::int16_t Item = -1;
    std::uint16_t Check = 0;
};

template <std::size_t Slots>
struct THashIndex {
    static_assert((Slots & (Slots - 1)) == 0, "a power of two");
    std::array<THashSlot, Slots> Entries{};
};

template <std::size_t Slots, std::size_t Count, typename TNameOf>
constexpr THashIndex<Slots> BuildHashIndex(TNameOf nameOf)
{
    static_assert(Count * 2 <= Slots, "the table stays at most half full");
    THashIndex<Slots> index;
    for (std::size_t item = 0; item < Count; ++item) {
        const std::uint32_t hash = HashName(nameOf(item));
        std::size_t slot = hash & (Slots - 1);
        while (index.Entries[slot].Item >= 0)
            slot = (slot + 1) & (Slots - 1);
        index.Entries[slot] = {static_cast<std::int16_t>(item), static_cast<std::uint16_t>(hash >> 16)};
    }
    return index;
}

template <std::size_t Slots, typename TNameOf>
int FindInHashIndex(const THashIndex<Slots>& index, std::string_view name, TNameOf nameOf)
{
    const std::uint32_t hash = HashName(name);
    const auto check = static_cast<std::uint16_t>(hash >> 16);
    for (std::size_t slot = hash & (Slots - 1); index.Entries[slot].Item >= 0; slot = (slot + 1) & (Slots - 1)) {
        const THashSlot entry = index.Entries[slot];
        if (entry.Check == check && SameName(nameOf(static_cast<std::size_t>(entry.Item)), name))
            return entry.Item;
    }
    return -1;
}

constexpr auto kTagNameOf = [](std::size_t index) { return kTagTable[index].Name; };
constexpr auto kAttributeNameOf = [](std::size_t index) { return kAttributeTable[index].Name; };

struct TNamedCharacter {
    std::string_view Name;
    char32_t Character;
};

// The other character names of HTML 4 (its special and symbol sets), and
// &apos;. The lexer shows each as its Windows-1252 byte when the code page
// has one (lsquo 0x91, euro 0x80, fnof 0x83...), else as the stand-in.
constexpr std::array<TNamedCharacter, 153> kMoreCharacterNames = {{
    {"apos", 39},
    {"OElig", 338}, {"oelig", 339}, {"Scaron", 352}, {"scaron", 353}, {"Yuml", 376},
    {"fnof", 402}, {"circ", 710}, {"tilde", 732},
    {"Alpha", 913}, {"Beta", 914}, {"Gamma", 915}, {"Delta", 916}, {"Epsilon", 917},
    {"Zeta", 918}, {"Eta", 919}, {"Theta", 920}, {"Iota", 921}, {"Kappa", 922},
    {"Lambda", 923}, {"Mu", 924}, {"Nu", 925}, {"Xi", 926}, {"Omicron", 927}, {"Pi", 928},
    {"Rho", 929}, {"Sigma", 931}, {"Tau", 932}, {"Upsilon", 933}, {"Phi", 934},
    {"Chi", 935}, {"Psi", 936}, {"Omega", 937},
    {"alpha", 945}, {"beta", 946}, {"gamma", 947}, {"delta", 948}, {"epsilon", 949},
    {"zeta", 950}, {"eta", 951}, {"theta", 952}, {"iota", 953}, {"kappa", 954},
    {"lambda", 955}, {"mu", 956}, {"nu", 957}, {"xi", 958}, {"omicron", 959}, {"pi", 960},
    {"rho", 961}, {"sigmaf", 962}, {"sigma", 963}, {"tau", 964}, {"upsilon", 965},
    {"phi", 966}, {"chi", 967}, {"psi", 968}, {"omega", 969}, {"thetasym", 977},
    {"upsih", 978}, {"piv", 982},
    {"ensp", 8194}, {"emsp", 8195}, {"thinsp", 8201}, {"zwnj", 8204}, {"zwj", 8205},
    {"lrm", 8206}, {"rlm", 8207}, {"ndash", 8211}, {"mdash", 8212}, {"lsquo", 8216},
    {"rsquo", 8217}, {"sbquo", 8218}, {"ldquo", 8220}, {"rdquo", 8221}, {"bdquo", 8222},
    {"dagger", 8224}, {"Dagger", 8225}, {"bull", 8226}, {"hellip", 8230}, {"permil", 8240},
    {"prime", 8242}, {"Prime", 8243}, {"lsaquo", 8249}, {"rsaquo", 8250}, {"oline", 8254},
    {"frasl", 8260}, {"euro", 8364},
    {"image", 8465}, {"weierp", 8472}, {"real", 8476}, {"trade", 8482}, {"alefsym", 8501},
    {"larr", 8592}, {"uarr", 8593}, {"rarr", 8594}, {"darr", 8595}, {"harr", 8596},
    {"crarr", 8629}, {"lArr", 8656}, {"uArr", 8657}, {"rArr", 8658}, {"dArr", 8659},
    {"hArr", 8660},
    {"forall", 8704}, {"part", 8706}, {"exist", 8707}, {"empty", 8709}, {"nabla", 8711},
    {"isin", 8712}, {"notin", 8713}, {"ni", 8715}, {"prod", 8719}, {"sum", 8721},
    {"minus", 8722}, {"lowast", 8727}, {"radic", 8730}, {"prop", 8733}, {"infin", 8734},
    {"ang", 8736}, {"and", 8743}, {"or", 8744}, {"cap", 8745}, {"cup", 8746}, {"int", 8747},
    {"there4", 8756}, {"sim", 8764}, {"cong", 8773}, {"asymp", 8776}, {"ne", 8800},
    {"equiv", 8801}, {"le", 8804}, {"ge", 8805}, {"sub", 8834}, {"sup", 8835},
    {"nsub", 8836}, {"sube", 8838}, {"supe", 8839}, {"oplus", 8853}, {"otimes", 8855},
    {"perp", 8869}, {"sdot", 8901},
    {"lceil", 8968}, {"rceil", 8969}, {"lfloor", 8970}, {"rfloor", 8971}, {"lang", 9001},
    {"rang", 9002}, {"loz", 9674},
    {"spades", 9824}, {"clubs", 9827}, {"hearts", 9829}, {"diams", 9830},
}};

// The four markup names and the Latin-1 names of HTML 3.2 come first, as
// they always have; then the rest of HTML 4.
constexpr std::size_t kEntityCount = 4 + kLatin1EntityNames.size() + kMoreCharacterNames.size();
static_assert(kEntityCount == 253, "the 252 names of HTML 4 and apos");

using TEntityTable = std::array<TNamedCharacter, kEntityCount>;

constexpr TEntityTable MakeEntityTable()
{
    TEntityTable table{{{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}}};
    std::size_t index = 4;
    for (std::size_t code = 0; code < kLatin1EntityNames.size(); ++code)
        table[index++] = {kLatin1EntityNames[code], static_cast<char32_t>(160 + code)};
    for (const TNamedCharacter& entry : kMoreCharacterNames)
        table[index++] = entry;
    return table;
}

constexpr TEntityTable kEntityTable = MakeEntityTable();

constexpr bool NamesAreDistinct(const TEntityTable& table)
{
    for (std::size_t first = 0; first < table.size(); ++first)
        for (std::size_t second = first + 1; second < table.size(); ++second)
            if (SameName(table[first].Name, table[second].Name))
                return false;
    return true;
}
static_assert(NamesAreDistinct(kEntityTable), "a name found twice would hide its second entry");
constexpr auto kEntityNameOf = [](std::size_t index) { return kEntityTable[index].Name; };

constexpr auto kTagIndex = BuildHashIndex<256, kTagCount>(kTagNameOf);
constexpr auto kAttributeIndex = BuildHashIndex<128, kAttributeCount>(kAttributeNameOf);
constexpr auto kEntityIndex = BuildHashIndex<512, kEntityCount>(kEntityNameOf);

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
    for (const TAttribute& attribute : *this)
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

std::optional<char32_t> LookupEntity(std::string_view name)
{
    const int index = FindInHashIndex(kEntityIndex, name, kEntityNameOf);
    if (index < 0)
        return std::nullopt;
    return kEntityTable[static_cast<std::size_t>(index)].Character;
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
