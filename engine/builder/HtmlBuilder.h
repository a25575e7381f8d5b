#pragma once
// THtmlBuilder reads the lexer's symbol stream by recursive descent and fills
// a document with its items: text sections, spaces, rules, list items,
// preformatted lines, tables, images and form controls. It keeps what HTML
// carries from tag to tag (font stack, style flags, link, alignment, form) and
// collects the title, base, base target, anchors and image maps. One object
// runs one parse at a time; everything it keeps for a parse lives in it.

#include "engine/canvas/Fonts.h"
#include "engine/forms/HtmlForm.h"
#include "engine/lexer/Lexer.h"
#include "engine/lexer/LinkNames.h"
#include "engine/text/Section.h"
#include "engine/lexer/Symbols.h"
#include "engine/base/UrlTarget.h"
#include "engine/base/ViewedFileType.h"

#include <bitset>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TCell;
class TFormControlFactory;
class THtmlPane;
class TListBoxFormControlObj;
class TSectionBase;
class TSectionList;
class TTextAreaFormControlObj;

// A META tag: the texts of HTTP-EQUIV, NAME and CONTENT (empty when absent).
using TMetaType = std::function<void(THtmlPane* sender, const std::string& httpEq, const std::string& name,
                                     const std::string& content)>;
// A background sound (BGSOUND: SRC, LOOP with 1 when absent, Terminate false);
// the viewer also calls it with Terminate true to stop the sound.
using TSoundType = std::function<void(THtmlPane* sender, const std::string& src, int loop, bool terminate)>;

// The viewer's handlers for one parse. Each may be empty: its construct is
// then skipped. The handlers are told the viewer that asked for the parse as
// their sender. The script handler is the section list's OnScript.
struct THtmlHandlers {
    TMetaType OnMeta;
    TSoundType OnSound;
    TIncludeType OnInclude;
    THtmlPane* Sender = nullptr;
};

// The anchor names of a page (NAME of A, ID of any element), upper case, in sorted order, each
// with the document item that holds the anchor. A name given twice keeps its
// first item. The list does not own the items: its keeper forgets the items
// the document drops (TSectionList::OnItemDropped).
class TAnchorList {
public:
    void Add(std::string upperName, TSectionBase* item);
    // Removes the names whose item is `dropped` or lies inside it.
    void Forget(const TSectionBase& dropped);
    // The item of the name (given in upper case), or null.
    TSectionBase* Find(std::string_view upperName) const;
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::map<std::string, TSectionBase*, std::less<>> items_;
};

// What a parse fills: the document, the forms its controls belong to and
// the names of its anchors. The caller owns the three.
struct TPageParts {
    TSectionList& Document;
    TFormList& Forms;
    TAnchorList& Anchors;
};

class THtmlBuilder {
public:
    // The font stack holds the base font and at most 24 fonts above it.
    static constexpr int kFontStackSize = 25;
    // Lists, tables and divisions are read by nested calls, one per level: a
    // page nesting them tens of thousands deep would overflow the stack.
    // Beyond this depth their opening tags are ignored and their content
    // joins the level already open.
    static constexpr int kMaxNesting = 200;
    // Text reaches preformatted lines in pieces of at most this many characters.
    static constexpr int kPreFlushLength = 200;
    // A plain-text file becomes preformatted sections of this many lines: a
    // line costs its characters and a few bytes, where a section per line
    // would cost a hundred, and a section stays far below the 65536 pixels
    // of height that the viewer's packed scroll position can name inside it.
    static constexpr int kTextFileBlockLines = 512;
    // OPTION texts and values are kept to this many characters.
    static constexpr std::size_t kMaxOptionText = 80;
    // FACE is cut at its first "," and kept to this many characters.
    static constexpr std::size_t kMaxFaceLength = 50;
    // Room made for a script's text before it is read.
    static constexpr std::size_t kScriptBlockStart = 32500;

    THtmlBuilder();
    ~THtmlBuilder();
    THtmlBuilder(const THtmlBuilder&) = delete;
    THtmlBuilder& operator=(const THtmlBuilder&) = delete;

    // Each entry point fills the page's document, which the caller has
    // cleared and set up with its default fonts and colours, its forms and
    // its anchors. A handler that
    // starts another parse on the same builder gets std::logic_error.
    //
    // An HTML file. A file that cannot be read throws EFileError (Lexer.h). A page
    // that ends inside a comment ends the parse quietly, keeping what was
    // built; any other error passes on after the clean-up.
    void ParseHtmlFile(const TPageParts& page, const std::string& fileName, const THtmlHandlers& handlers = {});
    // HTML text in memory. Every error passes on after the clean-up, the
    // EParseError of a page ending inside a comment included.
    void ParseHtmlText(const TPageParts& page, std::string text, const THtmlHandlers& handlers = {});
    // A plain-text file, its lines in preformatted sections of up to
    // kTextFileBlockLines lines (comments are skipped). Errors as for
    // ParseHtmlFile.
    void ParseTextFile(const TPageParts& page, const std::string& fileName);
    // A file of the type the viewer shows it as: one of the two files above,
    // or a lone picture through its one-tag page (ImagePageText; give the
    // picture's full name). The handlers serve the pages.
    void ParseFile(const TPageParts& page, const std::string& fileName, TViewedFileType type,
                   const THtmlHandlers& handlers = {});

    // What the last parse found; kept until the next parse starts.
    const std::string& Title() const { return title_; }
    const std::string& Base() const { return base_; }
    const std::string& BaseTarget() const { return baseTarget_; }

    // The text of the one-tag page the viewer shows a lone image file with:
    // <img src="NAME"> with the name's double quotes written as &quot;.
    static std::string ImagePageText(std::string_view fileName);

private:
    using TStopSet = std::bitset<256>;
    enum class TEntry { HtmlFile, HtmlText, TextFile };
    // Whether the end of a parse keeps the section being filled.
    enum class TEnd { Keep, Discard };
    struct TTableState;
    // Counts one nesting level of lists, tables and divisions while it lives.
    class TNestingScope {
    public:
        explicit TNestingScope(int& depth) : depth_(depth) { ++depth_; }
        ~TNestingScope() { --depth_; }
        TNestingScope(const TNestingScope&) = delete;
        TNestingScope& operator=(const TNestingScope&) = delete;

    private:
        int& depth_;
    };

    // Parse set-up and clean-up.
    void Run(TEntry entry, const TPageParts& page, const std::string& source,
             const THtmlHandlers& handlers);
    void StartParse(const TPageParts& page, const THtmlHandlers& handlers);
    void StartInput(TEntry entry, const std::string& source);
    void EndParse(TEnd end);

    // Symbols and stop sets.
    TSymbol Sym() const { return lexer_.Symbol(); }
    TSymbol Next();
    const TAttributeList& Attributes() const { return lexer_.Attributes(); }
    std::string AttributeText(TSymbol attribute) const;
    static bool Has(const TStopSet& set, TSymbol symbol) { return set.test(static_cast<std::size_t>(symbol)); }
    static void Include(TStopSet& set, std::initializer_list<TSymbol> symbols);
    bool CanNest() const;

    // The current section and the current cell.
    void CloseSection();
    void AdoptPendingIds();
    void StartSection(int indent, TParaAlign alignment);
    void EnsureSection(int indent);
    void AddItem(std::unique_ptr<TSectionBase> item);
    void ApplyFont();

    // The font stack.
    const TMyFont& TopFont() const { return fonts_.back(); }
    bool CanPush() const { return static_cast<int>(fonts_.size()) < kFontStackSize; }
    bool PushFont(const TMyFont& font);
    void PopFont();
    void PopFontsTo(std::size_t depth);
    TMyFont FixedFont() const;

    // The body reader and the common-tag handler.
    void ReadBody(int indent, const TStopSet& stops);
    void ReadTitle();
    void ReadBodyTag(int indent);
    void AddHorzLine();
    void CallSound();
    void CallMeta();
    // False when the division ended before its end tag, at a symbol of `stops`.
    bool ReadDivision(int indent, const TStopSet& stops);
    static bool IsCommonSymbol(TSymbol symbol);
    // The style flag a style tag sets (`on`) or clears.
    static std::optional<TFontStyle> StyleOf(TSymbol symbol, bool& on);
    void HandleCommon(int indent);
    void ActInline(int indent);
    void SetStyle(TFontStyle style, bool on);
    void ReadAddress(int indent);
    void ReadParagraph(int indent);
    void ReadBreak(int indent);
    void ReadHeading(int indent);
    void EndHeading();
    void ReadSizeStep(bool bigger);
    void ReadFontAttributes(bool baseFont);
    void ReadImage(int indent);
    void ReadAnchor(int indent);
    void EndLink();
    void ReadControl(int indent);
    void ReadTextAreaBody(TTextAreaFormControlObj& textArea);
    void ReadOptions(TListBoxFormControlObj& list);
    void ReadMap();
    void ReadScript();

    // The list reader.
    static bool IsListStart(TSymbol symbol);
    static bool IsListEnd(TSymbol symbol);
    void ReadNestedList(int level, const TStopSet& stops);
    void ReadList(int level, const TStopSet& stops);

    // The preformatted readers.
    void ReadPre(int indent);
    TSymbol ReadPreBody(int indent, std::string& pending);
    void ReadTextFile();
    bool ActOnPreTag(int indent, std::string& pending);
    void StartPreLine(int indent);
    void AppendPreChar(std::string& pending);
    // Flushes the pending text once it is longer than kPreFlushLength and
    // ends between characters.
    void FlushFullPreText(std::string& pending);
    void FlushPreText(std::string& pending);
    void EndPreLine(int indent, std::string& pending);
    void EndTextFileLine(std::string& pending, int& linesInBlock);

    // The table reader.
    void ReadTable(int indent);
    void ReadTableSymbols(TTableState& table);
    void RestoreCellState(const TTableState& table);
    void StartRow(TTableState& table, const TAttributeList* attributes);
    void EndRow(TTableState& table);
    void CloseCell(TTableState& table);
    void ReadCell(TTableState& table);
    void ReadCaption(TTableState& table);
    void ReadTextBeforeTable(TTableState& table);
    void FinishTable(TTableState& table);

    THtmlLexer lexer_;
    // The parse in progress.
    TSectionList* document_ = nullptr;
    TAnchorList* anchors_ = nullptr;
    THtmlHandlers handlers_;
    TCell* currentCell_ = nullptr;
    std::unique_ptr<TSection> section_;
    std::vector<TMyFont> fonts_;
    TUrlTarget link_;
    bool linkActive_ = false;
    // Style flags (flags, not a stack) and the vertical mode.
    TBuilderStyle style_;
    TParaAlign alignment_ = TParaAlign::Left;
    int baseFontSize_ = 3;
    // FONT sizes take the fixed-pitch scale inside PRE.
    bool inPre_ = false;
    bool bodySeen_ = false;
    int nesting_ = 0;
    bool parsing_ = false;
    // The current form, and the factory of the controls that join it.
    std::unique_ptr<TFormControlFactory> forms_;
    // Anchor names waiting for the current section to reach its cell.
    std::vector<std::string> sectionAnchors_;
    // IDs of elements whose handler has not run yet: they join the section
    // current after it, or the next one started.
    std::vector<std::string> pendingIds_;

    std::string title_;
    std::string base_;
    std::string baseTarget_;
};
