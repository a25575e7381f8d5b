#include "engine/builder/HtmlBuilder.h"

#include "engine/base/Cp1252.h"
#include "engine/base/ScopeExit.h"
#include "engine/layout/BlockItems.h"
#include "engine/forms/FormControlFactory.h"
#include "engine/forms/FormControls.h"
#include "engine/images/ImageMap.h"
#include "engine/layout/SectionList.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace {

// Nominal sizes of the heading levels 1 to 6; level 0 (no digit) keeps 12.
constexpr std::array<int, 7> kHeadingSizes = {12, 24, 18, 15, 12, 10, 8};
constexpr int kFixedNominalSize = 10;
constexpr int kBaseNominalSize = 12;
constexpr int kLowestStep = 1;
constexpr int kHighestStep = 7;

std::string UpperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// Leading and trailing characters of code 32 and below removed.
std::string_view TrimControls(std::string_view text)
{
    auto isControl = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    // A wide character's lead is no control.
    while (!text.empty() && isControl(text.front()) && !WideCharacterAt(text, 0))
        text.remove_prefix(1);
    while (!text.empty() && isControl(text.back()))
        text.remove_suffix(1);
    return text;
}

TColor DocumentColor(TColor color)
{
    return color | kPaletteRelative;
}

} // namespace

// ---- The anchor list ----

void TAnchorList::Add(std::string upperName, TSectionBase* item)
{
    items_.emplace(std::move(upperName), item);
}

void TAnchorList::Forget(const TSectionBase& dropped)
{
    if (items_.empty())
        return;
    // One walk over the dropped items, whatever the number of anchors.
    std::unordered_set<const TSectionBase*> gone;
    dropped.VisitItems([&gone](const TSectionBase& item) { gone.insert(&item); });
    std::erase_if(items_, [&gone](const auto& entry) { return gone.contains(entry.second); });
}

TSectionBase* TAnchorList::Find(std::string_view upperName) const
{
    const auto found = items_.find(upperName);
    return found == items_.end() ? nullptr : found->second;
}

// ---- Entry points ----

THtmlBuilder::THtmlBuilder() = default;
THtmlBuilder::~THtmlBuilder() = default;

void THtmlBuilder::ParseHtmlFile(const TPageParts& page, const std::string& fileName, const THtmlHandlers& handlers)
{
    Run(TEntry::HtmlFile, page, fileName, handlers);
}

void THtmlBuilder::ParseHtmlText(const TPageParts& page, std::string text, const THtmlHandlers& handlers)
{
    Run(TEntry::HtmlText, page, text, handlers);
}

void THtmlBuilder::ParseTextFile(const TPageParts& page, const std::string& fileName)
{
    Run(TEntry::TextFile, page, fileName, {});
}

void THtmlBuilder::ParseFile(const TPageParts& page, const std::string& fileName, TViewedFileType type,
                             const THtmlHandlers& handlers)
{
    switch (type) {
    case TViewedFileType::Html:
        ParseHtmlFile(page, fileName, handlers);
        break;
    case TViewedFileType::Text:
        ParseTextFile(page, fileName);
        break;
    case TViewedFileType::Image:
        ParseHtmlText(page, ImagePageText(fileName), handlers);
        break;
    }
}

std::string THtmlBuilder::ImagePageText(std::string_view fileName)
{
    std::string text = "<img src=\"";
    for (const char c : fileName) {
        if (c == '"')
            text += "&quot;";
        else
            text += c;
    }
    text += "\">";
    return text;
}

void THtmlBuilder::Run(TEntry entry, const TPageParts& page, const std::string& source,
                       const THtmlHandlers& handlers)
{
    if (parsing_)
        throw std::logic_error("THtmlBuilder: a parse is already running");
    struct TParsingScope {
        bool& Parsing;
        explicit TParsingScope(bool& parsing) : Parsing(parsing) { Parsing = true; }
        ~TParsingScope() { Parsing = false; }
        TParsingScope(const TParsingScope&) = delete;
        TParsingScope& operator=(const TParsingScope&) = delete;
    } parsing(parsing_);
    StartParse(page, handlers);
    try {
        StartInput(entry, source);
    } catch (const EFileError&) {
        EndParse(TEnd::Discard);
        throw;
    } catch (const EParseError&) {
        EndParse(TEnd::Keep);
        if (entry == TEntry::HtmlText)
            throw;
        return;
    }
    const TScopeExit end([this] { EndParse(TEnd::Keep); });
    try {
        if (entry == TEntry::TextFile) {
            ReadTextFile();
        } else {
            Next();
            ReadBody(0, {});
        }
    } catch (const EParseError&) {
        if (entry == TEntry::HtmlText)
            throw;
    }
}

void THtmlBuilder::StartInput(TEntry entry, const std::string& source)
{
    if (entry == TEntry::HtmlText)
        lexer_.StartMemory(source);
    else
        lexer_.StartFile(source);
}

void THtmlBuilder::StartParse(const TPageParts& page, const THtmlHandlers& handlers)
{
    TSectionList& document = page.Document;
    document_ = &document;
    anchors_ = &page.Anchors;
    handlers_ = handlers;
    currentCell_ = &document;
    lexer_.SetIncludeHandler(handlers.OnInclude);
    lexer_.SetKeepScriptBodies(static_cast<bool>(document.OnScript));

    TMyFont base(document.FontName, kBaseNominalSize, {}, document.FontColor);
    base.SetCharset(document.Charset);
    base.SetFaceCache(document.FaceCache);
    base.SetHtmlSize(document.BaseFontSize, kBaseNominalSize);
    fonts_.clear();
    fonts_.push_back(std::move(base));

    link_.Clear();
    linkActive_ = false;
    baseFontSize_ = 3;
    title_.clear();
    base_.clear();
    baseTarget_.clear();
    alignment_ = TParaAlign::Left;
    style_ = {};
    inPre_ = false;
    bodySeen_ = false;
    nesting_ = 0;
    forms_ = std::make_unique<TFormControlFactory>(document, page.Forms);
    sectionAnchors_.clear();
    pendingIds_.clear();

    StartSection(0, TParaAlign::Left);
    lexer_.SetPreformatted(false);
    lexer_.SetScriptMode(false);
    lexer_.SetFirstItem(false);
}

void THtmlBuilder::EndParse(TEnd end)
{
    if (end == TEnd::Discard) {
        section_.reset();
        sectionAnchors_.clear();
    }
    if (section_)
        AdoptPendingIds();
    pendingIds_.clear();
    CloseSection();
    fonts_.clear();
    link_.Clear();
    linkActive_ = false;
    forms_.reset();
    lexer_.SetPreformatted(false);
    lexer_.SetScriptMode(false);
    lexer_.SetIncludeHandler({});
    handlers_ = {};
    currentCell_ = nullptr;
    anchors_ = nullptr;
    document_ = nullptr;
}

// ---- Small helpers ----

// An element's ID is a link target as A NAME is, at the element's place. A
// heading, a paragraph or a cell starts its section when its handler runs,
// after the tag has been read: the ID waits until then.
TSymbol THtmlBuilder::Next()
{
    if (section_)
        AdoptPendingIds();
    const TSymbol symbol = lexer_.NextSymbol();
    if (!lexer_.ElementId().empty())
        pendingIds_.push_back(UpperAscii(lexer_.ElementId()));
    return symbol;
}

std::string THtmlBuilder::AttributeText(TSymbol attribute) const
{
    const TAttribute* found = Attributes().Find(attribute);
    return found ? found->Text : std::string();
}

void THtmlBuilder::Include(TStopSet& set, std::initializer_list<TSymbol> symbols)
{
    for (const TSymbol symbol : symbols)
        set.set(static_cast<std::size_t>(symbol));
}

bool THtmlBuilder::CanNest() const
{
    return nesting_ < kMaxNesting;
}

// ---- Sections ----

void THtmlBuilder::CloseSection()
{
    if (!section_)
        return;
    if (!currentCell_) {
        // Nowhere to go: the section and the anchors it held are dropped.
        sectionAnchors_.clear();
        section_.reset();
        return;
    }
    TSection* added = section_.get();
    currentCell_->Add(std::move(section_));
    for (std::string& name : sectionAnchors_)
        anchors_->Add(std::move(name), added);
    sectionAnchors_.clear();
}

void THtmlBuilder::AdoptPendingIds()
{
    for (std::string& name : pendingIds_)
        sectionAnchors_.push_back(std::move(name));
    pendingIds_.clear();
}

void THtmlBuilder::StartSection(int indent, TParaAlign alignment)
{
    section_ = std::make_unique<TSection>(indent, alignment, linkActive_ ? &link_ : nullptr, TopFont(), style_);
}

void THtmlBuilder::EnsureSection(int indent)
{
    if (!section_)
        StartSection(indent, alignment_);
}

void THtmlBuilder::AddItem(std::unique_ptr<TSectionBase> item)
{
    if (currentCell_)
        currentCell_->Add(std::move(item));
}

void THtmlBuilder::ApplyFont()
{
    if (section_)
        section_->ChangeFont(*document_, TopFont(), style_);
}

// ---- The font stack ----

bool THtmlBuilder::PushFont(const TMyFont& font)
{
    if (!CanPush())
        return false;
    fonts_.push_back(font);
    return true;
}

void THtmlBuilder::PopFont()
{
    if (fonts_.size() > 1)
        fonts_.pop_back();
}

void THtmlBuilder::PopFontsTo(std::size_t depth)
{
    while (fonts_.size() > std::max<std::size_t>(depth, 1))
        fonts_.pop_back();
}

TMyFont THtmlBuilder::FixedFont() const
{
    TMyFont font = TopFont();
    font.SetName(document_->FixedFontName);
    font.SetHtmlSize(document_->BaseFontSize, kFixedNominalSize);
    font.SetFixedPitch(true);
    return font;
}

// ---- The body reader ----

void THtmlBuilder::ReadBody(int indent, const TStopSet& stops)
{
    for (;;) {
        const TSymbol symbol = Sym();
        switch (symbol) {
        case TSymbol::EndOfInput:
            return;
        case TSymbol::Title:
            ReadTitle();
            break;
        case TSymbol::Body:
            ReadBodyTag(indent);
            Next();
            break;
        case TSymbol::Hr:
            AddHorzLine();
            Next();
            break;
        case TSymbol::Base:
            base_ = AttributeText(TSymbol::Href);
            baseTarget_ = AttributeText(TSymbol::Target);
            Next();
            break;
        case TSymbol::Ol:
        case TSymbol::Ul:
        case TSymbol::Dir:
        case TSymbol::Menu:
        case TSymbol::Dl:
            ReadNestedList(indent + 1, stops);
            break;
        case TSymbol::BlockQuote:
            CloseSection();
            ReadNestedList(indent + 1, stops);
            break;
        case TSymbol::Center:
        case TSymbol::Div:
            ReadDivision(indent, stops);
            break;
        case TSymbol::BgSound:
            CallSound();
            Next();
            break;
        case TSymbol::Meta:
            CallMeta();
            Next();
            break;
        default:
            if (IsCommonSymbol(symbol))
                HandleCommon(indent);
            else if (Has(stops, symbol))
                return;
            else
                Next();
            break;
        }
    }
}

void THtmlBuilder::ReadTitle()
{
    title_.clear();
    while (Next() == TSymbol::TextRun)
        title_ += lexer_.TokenText();
}

void THtmlBuilder::ReadBodyTag(int indent)
{
    // Only the first BODY tag counts: a later one would throw away the text
    // read since the first and repaint the page in other colours.
    const bool first = !bodySeen_;
    bodySeen_ = true;
    if (!first || !currentCell_ || !currentCell_->Items.empty())
        return;
    // What came before BODY is not shown; its anchors stay, on the new section.
    section_.reset();
    const TAttributeList& attributes = Attributes();
    if (const TAttribute* text = attributes.Find(TSymbol::Text))
        if (const std::optional<TColor> color = ParseColor(text->Text)) {
            fonts_.back().SetColor(DocumentColor(*color));
            document_->FontColor = DocumentColor(*color);
        }
    if (const TAttribute* link = attributes.Find(TSymbol::Link))
        if (const std::optional<TColor> color = ParseColor(link->Text))
            document_->LinkColor = DocumentColor(*color);
    if (const TAttribute* background = attributes.Find(TSymbol::BgColor))
        if (const std::optional<TColor> color = ParseColor(background->Text))
            document_->SetBackground(DocumentColor(*color));
    if (const TAttribute* image = attributes.Find(TSymbol::Background))
        document_->SetBackgroundImage(image->Text);
    section_ = std::make_unique<TSection>(indent, alignment_, nullptr, fonts_.front(), style_);
}

void THtmlBuilder::AddHorzLine()
{
    CloseSection();
    AddItem(std::make_unique<THorzLine>(Attributes()));
}

void THtmlBuilder::CallSound()
{
    const TAttribute* source = Attributes().Find(TSymbol::Src);
    if (!handlers_.OnSound || !source)
        return;
    const TAttribute* loop = Attributes().Find(TSymbol::Loop);
    handlers_.OnSound(handlers_.Sender, source->Text, loop ? loop->OffsetValue() : 1, false);
}

void THtmlBuilder::CallMeta()
{
    if (handlers_.OnMeta)
        handlers_.OnMeta(handlers_.Sender, AttributeText(TSymbol::HttpEquiv), AttributeText(TSymbol::Name),
                         AttributeText(TSymbol::Content));
}

bool THtmlBuilder::ReadDivision(int indent, const TStopSet& stops)
{
    if (!CanNest()) {
        Next();
        return true;
    }
    TNestingScope level(nesting_);
    const TParaAlign saved = alignment_;
    alignment_ = Sym() == TSymbol::Center ? TParaAlign::Centre : ReadParaAlign(Attributes(), alignment_);
    // A left-aligned division that opens a list item goes on in the item, so
    // that its first line carries the item's marker.
    const bool opensItem = section_ && section_->ListKind != TListKind::None && section_->Length == 0;
    if (!opensItem || alignment_ != TParaAlign::Left) {
        CloseSection();
        StartSection(indent, alignment_);
    }
    Next();
    TStopSet inner = stops;
    Include(inner, {TSymbol::CenterEnd, TSymbol::DivEnd});
    ReadBody(indent, inner);
    CloseSection();
    alignment_ = saved;
    StartSection(indent, alignment_);
    if (Sym() != TSymbol::CenterEnd && Sym() != TSymbol::DivEnd)
        return false;
    Next();
    return true;
}

// ---- The common-tag handler ----

bool THtmlBuilder::IsCommonSymbol(TSymbol symbol)
{
    switch (symbol) {
    case TSymbol::P: case TSymbol::PEnd: case TSymbol::Br: case TSymbol::H: case TSymbol::HEnd:
    case TSymbol::B: case TSymbol::BEnd: case TSymbol::Strong: case TSymbol::StrongEnd:
    case TSymbol::I: case TSymbol::IEnd: case TSymbol::Em: case TSymbol::EmEnd:
    case TSymbol::Cite: case TSymbol::CiteEnd: case TSymbol::Var: case TSymbol::VarEnd:
    case TSymbol::U: case TSymbol::UEnd: case TSymbol::S: case TSymbol::SEnd:
    case TSymbol::Strike: case TSymbol::StrikeEnd: case TSymbol::Sub: case TSymbol::SubEnd:
    case TSymbol::Sup: case TSymbol::SupEnd: case TSymbol::Tt: case TSymbol::TtEnd:
    case TSymbol::Code: case TSymbol::CodeEnd: case TSymbol::Kbd: case TSymbol::KbdEnd:
    case TSymbol::Samp: case TSymbol::SampEnd: case TSymbol::FontEnd: case TSymbol::Big:
    case TSymbol::BigEnd: case TSymbol::Small: case TSymbol::SmallEnd: case TSymbol::Font:
    case TSymbol::BaseFont: case TSymbol::Address: case TSymbol::AddressEnd: case TSymbol::Pre:
    case TSymbol::Img: case TSymbol::A: case TSymbol::AEnd: case TSymbol::TextRun:
    case TSymbol::Table: case TSymbol::Input: case TSymbol::Select: case TSymbol::TextArea:
    case TSymbol::TextAreaEnd: case TSymbol::Form: case TSymbol::FormEnd: case TSymbol::Map:
    case TSymbol::Script:
        return true;
    default:
        return false;
    }
}

std::optional<TFontStyle> THtmlBuilder::StyleOf(TSymbol symbol, bool& on)
{
    switch (symbol) {
    case TSymbol::B: case TSymbol::Strong:
        on = true;
        return TFontStyle::Bold;
    case TSymbol::BEnd: case TSymbol::StrongEnd:
        on = false;
        return TFontStyle::Bold;
    case TSymbol::I: case TSymbol::Em: case TSymbol::Cite: case TSymbol::Var:
        on = true;
        return TFontStyle::Italic;
    case TSymbol::IEnd: case TSymbol::EmEnd: case TSymbol::CiteEnd: case TSymbol::VarEnd:
        on = false;
        return TFontStyle::Italic;
    case TSymbol::U:
        on = true;
        return TFontStyle::Underline;
    case TSymbol::UEnd:
        on = false;
        return TFontStyle::Underline;
    case TSymbol::S: case TSymbol::Strike:
        on = true;
        return TFontStyle::StrikeOut;
    case TSymbol::SEnd: case TSymbol::StrikeEnd:
        on = false;
        return TFontStyle::StrikeOut;
    default:
        return std::nullopt;
    }
}

void THtmlBuilder::HandleCommon(int indent)
{
    const TSymbol symbol = Sym();
    bool on = false;
    if (const std::optional<TFontStyle> style = StyleOf(symbol, on)) {
        SetStyle(*style, on);
        Next();
        return;
    }
    switch (symbol) {
    case TSymbol::P:
    case TSymbol::PEnd:
        ReadParagraph(indent);
        return; // the paragraph reader has read the next symbol
    case TSymbol::Pre:
        ReadPre(indent);
        return;
    case TSymbol::Table:
        ReadTable(indent);
        return;
    case TSymbol::Br:
        ReadBreak(indent);
        break;
    case TSymbol::H:
        ReadHeading(indent);
        break;
    case TSymbol::HEnd:
        EndHeading();
        break;
    case TSymbol::Sub:
    case TSymbol::Sup:
        EnsureSection(indent);
        style_.VPos = symbol == TSymbol::Sub ? TVerticalPosition::Subscript : TVerticalPosition::Superscript;
        ApplyFont();
        break;
    case TSymbol::SubEnd:
    case TSymbol::SupEnd:
        style_.VPos = TVerticalPosition::Normal;
        ApplyFont();
        break;
    case TSymbol::Tt:
    case TSymbol::Code:
    case TSymbol::Kbd:
    case TSymbol::Samp:
        if (PushFont(FixedFont()))
            ApplyFont();
        break;
    case TSymbol::TtEnd:
    case TSymbol::CodeEnd:
    case TSymbol::KbdEnd:
    case TSymbol::SampEnd:
    case TSymbol::FontEnd:
    case TSymbol::BigEnd:
    case TSymbol::SmallEnd:
        PopFont();
        ApplyFont();
        break;
    case TSymbol::Big:
    case TSymbol::Small:
        ReadSizeStep(symbol == TSymbol::Big);
        break;
    case TSymbol::Font:
    case TSymbol::BaseFont:
        ReadFontAttributes(symbol == TSymbol::BaseFont);
        break;
    case TSymbol::Address:
        ReadAddress(indent);
        break;
    case TSymbol::AddressEnd:
        CloseSection();
        PopFont();
        break;
    default:
        ActInline(indent);
        break;
    }
    Next();
}

// The inline actions that PRE shares with the common table. Each leaves the
// lexer after the last symbol it used, without reading the next one.
void THtmlBuilder::ActInline(int indent)
{
    switch (Sym()) {
    case TSymbol::Img:
        ReadImage(indent);
        break;
    case TSymbol::A:
        ReadAnchor(indent);
        break;
    case TSymbol::AEnd:
        EndLink();
        break;
    case TSymbol::TextRun:
        EnsureSection(indent);
        section_->AddText(lexer_.TokenText());
        break;
    case TSymbol::Input:
    case TSymbol::Select:
    case TSymbol::TextArea:
        ReadControl(indent);
        break;
    case TSymbol::Form:
        forms_->StartForm(Attributes());
        break;
    case TSymbol::FormEnd:
        forms_->EndForm();
        break;
    case TSymbol::Map:
        ReadMap();
        break;
    case TSymbol::Script:
        ReadScript();
        break;
    default:
        break; // TEXTAREA end: nothing
    }
}

void THtmlBuilder::SetStyle(TFontStyle style, bool on)
{
    if (on)
        style_.Style.Include(style);
    else
        style_.Style.Exclude(style);
    ApplyFont();
}

void THtmlBuilder::ReadAddress(int indent)
{
    CloseSection();
    TMyFont italic = TopFont();
    italic.SetStyle(italic.Style() | TFontStyle::Italic);
    PushFont(italic);
    StartSection(indent, alignment_);
}

void THtmlBuilder::ReadParagraph(int indent)
{
    CloseSection();
    if (!lexer_.IsFirstItem())
        AddItem(std::make_unique<TParagraphSpace>());
    TParaAlign alignment = Sym() == TSymbol::P ? ReadParaAlign(Attributes(), alignment_) : alignment_;
    for (;;) {
        lexer_.SkipWhiteSpace();
        // Set before the next symbol is read, which clears it when it is content.
        lexer_.SetFirstItem(true);
        Next();
        if (Sym() == TSymbol::P)
            alignment = ReadParaAlign(Attributes(), alignment_);
        else if (Sym() == TSymbol::PEnd)
            alignment = alignment_;
        else
            break;
    }
    StartSection(indent, alignment);
}

void THtmlBuilder::ReadBreak(int indent)
{
    const TParaAlign alignment = section_ ? section_->CloseForBreak() : alignment_;
    CloseSection();
    StartSection(indent, alignment);
    section_->SetClearMode(Attributes());
}

void THtmlBuilder::ReadHeading(int indent)
{
    if (!CanPush())
        return;
    CloseSection();
    const int level = std::clamp(lexer_.HeadingLevel(), 0, 6);
    TMyFont font = TopFont();
    font.SetHtmlSize(document_->BaseFontSize, kHeadingSizes[static_cast<std::size_t>(level)]);
    if (level > 0)
        font.SetStyle(font.Style() | TFontStyle::Bold);
    PushFont(font);
    AddItem(std::make_unique<THeadingSpace>(level));
    StartSection(indent, ReadParaAlign(Attributes(), alignment_));
}

void THtmlBuilder::EndHeading()
{
    if (fonts_.size() <= 1)
        return;
    CloseSection();
    AddItem(std::make_unique<THeadingSpace>(lexer_.HeadingLevel()));
    PopFont();
}

void THtmlBuilder::ReadSizeStep(bool bigger)
{
    if (inPre_)
        return;
    const auto& scale = kProportionalSizeScale;
    const auto found = std::find(scale.begin(), scale.end(), TopFont().HtmlSize());
    if (found == scale.end())
        return;
    const int step = static_cast<int>(found - scale.begin()) + 1;
    if (!bigger && step == kLowestStep)
        return;
    // At the largest step BIG keeps the size, but still pushes, so that its
    // end tag takes off this font and not an enclosing one.
    const int newStep = bigger ? std::min(step + 1, kHighestStep) : step - 1;
    TMyFont font = TopFont();
    font.SetHtmlSize(document_->BaseFontSize, scale[static_cast<std::size_t>(newStep - 1)]);
    if (PushFont(font))
        ApplyFont();
}

void THtmlBuilder::ReadFontAttributes(bool baseFont)
{
    std::optional<int> step;
    std::optional<TColor> color;
    std::optional<std::string> face;
    for (const TAttribute& attribute : Attributes()) {
        if (attribute.Symbol == TSymbol::Size) {
            int size = attribute.OffsetValue();
            if (attribute.Text.size() > 1 && (attribute.Text[0] == '+' || attribute.Text[0] == '-'))
                size += baseFontSize_;
            size = std::clamp(size, kLowestStep, kHighestStep);
            step = size;
            if (baseFont)
                baseFontSize_ = size;
        } else if (attribute.Symbol == TSymbol::Color && !baseFont) {
            if (const std::optional<TColor> parsed = ParseColor(attribute.Text))
                color = DocumentColor(*parsed);
        } else if (attribute.Symbol == TSymbol::Face && !baseFont) {
            std::string_view name = attribute.Text;
            name = name.substr(0, name.find(','));
            name = TrimControls(name.substr(0, kMaxFaceLength));
            if (!name.empty())
                face = std::string(name);
        }
    }
    if (baseFont && !document_->Items.empty())
        return;
    if (!PushFont(TopFont()) || (!step && !color && !face))
        return;
    TMyFont& font = fonts_.back();
    if (color)
        font.SetColor(*color);
    if (step) {
        const auto& scale = inPre_ ? kFixedSizeScale : kProportionalSizeScale;
        font.SetHtmlSize(document_->BaseFontSize, scale[static_cast<std::size_t>(*step - 1)]);
    }
    if (face)
        font.SetName(*face);
    ApplyFont();
}

void THtmlBuilder::ReadImage(int indent)
{
    EnsureSection(indent);
    section_->AddImage(Attributes(), currentCell_);
}

void THtmlBuilder::ReadAnchor(int indent)
{
    for (const TAttribute& attribute : Attributes()) {
        if (attribute.Symbol == TSymbol::Href) {
            EndLink();
            if (attribute.Text.empty())
                continue;
            link_.Url = attribute.Text;
            link_.Target = AttributeText(TSymbol::Target);
            linkActive_ = true;
            TMyFont font = TopFont();
            font.SetStyle(font.Style() | TFontStyle::Underline);
            font.SetColor(document_->LinkColor);
            PushFont(font);
            if (section_)
                section_->ChangeLink(TSymbol::Href, *document_, TopFont(), link_, style_);
        } else if (attribute.Symbol == TSymbol::Name && !attribute.Text.empty()) {
            EnsureSection(indent);
            sectionAnchors_.push_back(UpperAscii(attribute.Text));
        }
    }
}

void THtmlBuilder::EndLink()
{
    if (!linkActive_)
        return;
    link_.Clear();
    linkActive_ = false;
    PopFont();
    if (section_)
        section_->ChangeLink(TSymbol::AEnd, *document_, TopFont(), link_, style_);
}

void THtmlBuilder::ReadControl(int indent)
{
    EnsureSection(indent);
    if (Sym() == TSymbol::Select)
        ReadOptions(forms_->CreateSelect(*section_, Attributes()));
    else if (Sym() == TSymbol::TextArea)
        ReadTextAreaBody(forms_->CreateTextArea(*section_, Attributes()));
    else
        forms_->CreateInput(*section_, currentCell_, Attributes());
}

void THtmlBuilder::ReadTextAreaBody(TTextAreaFormControlObj& textArea)
{
    std::vector<std::string> lines;
    std::string line;
    // The text read before an unclosed comment is the box's text too.
    const TScopeExit showLines([&] {
        if (!line.empty())
            lines.push_back(std::move(line));
        textArea.SetInitialLines(std::move(lines));
    });
    for (TSymbol symbol = lexer_.NextTextAreaSymbol(); symbol != TSymbol::TextAreaEnd && symbol != TSymbol::EndOfInput;
         symbol = lexer_.NextTextAreaSymbol()) {
        if (symbol == TSymbol::LineEnd) {
            lines.push_back(std::move(line));
            line.clear();
        } else {
            // Text, entities and unknown tags such as "<b" are all kept as text.
            line += lexer_.TokenText();
        }
    }
    // The end tag may carry anything before its ">".
    while (!lexer_.AtEnd() && lexer_.CurrentChar() != '>')
        lexer_.NextChar();
    if (!lexer_.AtEnd())
        lexer_.NextChar();
}

void THtmlBuilder::ReadOptions(TListBoxFormControlObj& list)
{
    bool open = false;
    bool selected = false;
    std::string value;
    std::string text;
    auto complete = [&] {
        if (open) {
            const std::string_view shown = TrimControls(text);
            if (!shown.empty())
                list.AddOption(value, selected, shown);
        }
        open = false;
        text.clear();
    };
    for (TSymbol symbol = Next(); symbol != TSymbol::SelectEnd && symbol != TSymbol::EndOfInput; symbol = Next()) {
        if (symbol == TSymbol::TextRun) {
            if (open)
                text.append(CutAtCharacter(lexer_.TokenText(), kMaxOptionText - std::min(kMaxOptionText, text.size())));
        } else if (symbol == TSymbol::Option || symbol == TSymbol::OptionEnd) {
            complete();
            if (symbol == TSymbol::Option) {
                open = true;
                selected = Attributes().Find(TSymbol::Selected) != nullptr;
                value = CutAtCharacter(AttributeText(TSymbol::Value), kMaxOptionText);
            }
        }
    }
    complete();
    list.ResetToValue();
}

void THtmlBuilder::ReadMap()
{
    auto map = std::make_unique<TMapItem>();
    map->MapName = UpperAscii(AttributeText(TSymbol::Name));
    TSymbol symbol = Next();
    for (; symbol != TSymbol::MapEnd && symbol != TSymbol::EndOfInput; symbol = Next())
        if (symbol == TSymbol::Area)
            map->AddArea(Attributes());
    if (symbol == TSymbol::MapEnd)
        document_->MapList.push_back(std::move(map));
}

void THtmlBuilder::ReadScript()
{
    if (!document_->OnScript) {
        for (TSymbol symbol = lexer_.NextScriptSymbol();
             symbol != TSymbol::ScriptEnd && symbol != TSymbol::EndOfInput; symbol = lexer_.NextScriptSymbol()) {
        }
        return;
    }
    struct TScriptModeScope {
        THtmlLexer& Lexer;
        explicit TScriptModeScope(THtmlLexer& lexer) : Lexer(lexer) { Lexer.SetScriptMode(true); }
        ~TScriptModeScope() { Lexer.SetScriptMode(false); }
        TScriptModeScope(const TScriptModeScope&) = delete;
        TScriptModeScope& operator=(const TScriptModeScope&) = delete;
    } scriptMode(lexer_);
    const std::string language = AttributeText(TSymbol::Language);
    std::string script;
    script.reserve(kScriptBlockStart);
    for (TSymbol symbol = lexer_.NextScriptSymbol(); symbol != TSymbol::ScriptEnd && symbol != TSymbol::EndOfInput;
         symbol = lexer_.NextScriptSymbol()) {
        if (symbol == TSymbol::LineEnd)
            script += "\r\n";
        else
            script += lexer_.TokenText();
    }
    document_->OnScript(language, script);
}
