#pragma once
// A text section: one paragraph of flowing text with its font runs, inline
// images and form controls. It wraps its text into lines, aligns and paints
// them with the selection, and answers the point and position queries that
// links, the cursor, selection, search and copy rest on.

#include "engine/base/BlockPool.h"
#include "engine/base/CompactText.h"
#include "engine/base/SharedValue.h"
#include "engine/canvas/Fonts.h"
#include "engine/text/InlineControl.h"
#include "engine/text/ImageObj.h"
#include "engine/layout/LineList.h"
#include "engine/layout/SectionBase.h"
#include "engine/lexer/Symbols.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TAttributeList;
class TCell;
class TImageFormControlObj;

// What the builder has switched on for the text it reads: bold, italic and
// underline, and subscript or superscript. Sections read it when they make or
// change a run.
struct TBuilderStyle {
    TFontStyles Style;
    TVerticalPosition VPos = TVerticalPosition::Normal;
};

enum class TListKind : std::uint8_t { None, Ordered, Unordered, Definition };
enum class TClearMode : std::uint8_t { None, Left, Right, Both };

// Sections come from the block pool: a page of a million of them spends no
// bytes on bookkeeping for each.
class TSection : public TSectionBase, public BlockPool::TPooled {
public:
    // Marks that stand in the text for an inline image and a form control.
    static constexpr char kImageMark = 4;
    static constexpr char kControlMark = 2;
    // Ends a line of preformatted text that holds several (a plain-text
    // file's): the line breaks after it, and it is neither drawn nor copied.
    static constexpr char kLineEnd = '\r';
    // Lines of preformatted text are laid out this wide, so that they break
    // only where the text breaks them.
    static constexpr int kPreformattedWidth = 32000;

    // The first run is a copy of the font with the builder's style added and
    // a copy of the link when one is given. The builder's subscript or
    // superscript state ends with the section.
    TSection(int listLevel, TParaAlign alignment, const TUrlTarget* link, const TMyFont& font,
             TBuilderStyle& builderStyle);
    ~TSection() override;

    // A page can hold a million sections, most of them alike (a page of line
    // breaks, a table of numbers): a section is 56 bytes, its list level
    // (below the builder's nesting limit) and modes packed into the room the
    // base leaves; it shares its lines with the sections laid out alike
    // before it, and what the builder gave it (text, runs, images and
    // controls) with the section added before it when that was given the
    // same, wherever on the page.
    int ListLevel : 26;
    TListKind ListKind : 2 = TListKind::None;
    TParaAlign Alignment : 2;
    TClearMode ClearMode : 2 = TClearMode::None;
    TLineList Lines;

    // One byte a character: Windows-1252 bytes, the marks, and kWideLead
    // (Cp1252.h) where a character the code page lacks stands, kept beside.
    const TCompactText& Text() const { return content_->Text; }
    // Whether the text holds characters the code page lacks.
    bool HasWideText() const { return content_->Wide != nullptr; }
    // The character the code page lacks that stands at the index, or 0.
    char32_t WideAt(int index) const
    {
        return content_->Wide ? (*content_->Wide)[static_cast<std::size_t>(index)] : 0;
    }
    // The Unicode character at the index.
    char32_t CharacterAt(int index) const;
    // The count characters from index as engine text (wide sequences for
    // the characters the code page lacks).
    std::string EngineText(int index, int count) const;
    const TFontList& Fonts() const { return content_->Fonts; }
    // The images and the controls that stand in the text.
    const TImageObjList& Images() const { return InlineObjects().Images; }
    const TFormControlList& FormControls() const { return InlineObjects().FormControls; }
    // The left edge at the section's Y, from layout.
    int FirstLineLeft() const { return Lines.FirstLeft(); }

    // Slot 12: appends text, collapsing a space that would double the one
    // before it and dropping the space after leading floating images.
    virtual void AddText(std::string_view text);

    // The list indent: 35 pixels a level.
    int Indent() const;

    // CLEAR: "left", "right", anything else both; nothing without CLEAR.
    void SetClearMode(const TAttributeList& attributes);
    // An empty section gets one space, so that a line break keeps its
    // height; returns the alignment for the next section.
    TParaAlign CloseForBreak();
    // Text from here on is in this font (with the builder's style added). The
    // run takes the document's look that matches.
    void ChangeFont(TSectionList& document, const TMyFont& font, const TBuilderStyle& builderStyle);
    // As ChangeFont, then the link ends, or starts with `target` when the
    // symbol is HREF.
    void ChangeLink(TSymbol symbol, TSectionList& document, const TMyFont& font, const TUrlTarget& target,
                    const TBuilderStyle& builderStyle);
    // An IMG at the end of the text; the cell gives the document.
    TImageObj& AddImage(const TAttributeList& attributes, TCell* cell);
    // A control made by the form factory: appended to the controls at the end
    // of the text, with a control mark.
    void AddFormControl(TInlineControl& control);
    // An image control stands in the text as an inline image that leads to
    // it; the control stands at the image's index.
    TImageObj& AddImageControl(TImageFormControlObj& control, const TAttributeList& attributes, TCell* cell);

    // Lookups over the text (indexes relative to the section).
    const TFontObj& RunAt(int index) const;
    // Characters from index to the start of the next run (or the text end).
    int RunEnd(int index) const;
    // Distance from index to the next image or control at or after it; 9999
    // when there is none.
    int NextImage(int index) const;
    int NextControl(int index) const;
    TInlineControl* ControlAt(int index) const;
    // Width of count characters from index as laid out; floating images
    // count nothing.
    int TextWidth(int index, int count, bool ignoreTrailingSpaces = false) const;
    // How many characters from index (at most count) fit in the width, as
    // measured by TextWidth.
    int CharsFitting(int index, int count, int width) const;
    // The line holding y relative to the section top, or -1.
    int LineAtY(int y) const { return Lines.LineAtY(y); }
    // Whether the two sections hold one content, which the builder gave both.
    bool SharesContentWith(const TSection& other) const { return content_.SharesWith(other.content_); }
    // Window X of the line's first character for the cell's left edge at cellLeft.
    static int LineLeft(int cellLeft, const LineRec& line) { return cellLeft + line.IndentX; }

    void CopySelection(TTextSink& sink) override;
    int Layout(TCanvas& canvas, int y, int& position, int& maxWidth, IndentManager& indent) override;
    int Paint(TCanvas& canvas, const TRect& clip, int y, int x, IndentManager& indent) override;
    bool LinkAt(TCanvas& canvas, int cellLeft, int x, int y, TImageFormControlObj*& imageControl,
                TUrlTarget& target) override;
    bool ImageAt(int cellLeft, int x, int y, int& yInImage, int& xInImage, TImageObj*& image) override;
    int PositionAt(TCanvas& canvas, int cellLeft, int x, int y, bool& insideText, int& lineHeight, int& lineTop,
                   int& cursorX, TCell*& cell) override;
    int Search(int start, std::string_view text, bool matchCase) override;
    bool PositionToPoint(TCanvas& canvas, int cellLeft, int position, int& y, int& x) override;
    bool CharAt(int position, char& ch, TSectionBase*& item) override;
    int PageBreakAbove(int limit) const override;
    void RangeBoxes(int cellLeft, int begin, int end, std::vector<TRect>& boxes) override;
    // Appends the position of every occurrence of the text in the section.
    void FindAll(std::string_view text, bool matchCase, std::vector<int>& found) const;
    void ApplyDefaultFonts() override;
    void WidthRange(TCanvas& canvas, int& minimum, int& maximum) override;
    // The runs take the document's looks, which runs of other sections share.
    void Added() override;

protected:
    virtual bool IsPreformatted() const { return false; }
    // Draws the list marker beside the first line; x0 is the window X of the
    // first line's left edge, textBottom the document Y of the bottom of its
    // text part.
    virtual void PaintMarker(TCanvas& canvas, int x0, int textBottom, const LineRec& line);
    // Appends raw characters (no space rules), keeping Length in step.
    void AppendRaw(std::string_view text);
    // Appends the text without the marks and line ends that only the section
    // itself may put there; its wide sequences become one character each.
    void AppendUnreserved(std::string_view text);

private:
    // What most sections lack, made when the first image or control comes.
    struct TInlineObjects {
        TImageObjList Images;
        TFormControlList FormControls;
        // The available width of the last layout: percentages of images are of it.
        int AvailableWidth = 0;
    };
    static const TInlineObjects kNoInlineObjects;
    // The characters the code page lacks, one for each byte of a text (0
    // where the byte is its own character), in three bytes each: a
    // character has 21 bits, and a page in another script has one for
    // nearly every byte.
    class TWideCharacters {
    public:
        explicit TWideCharacters(std::size_t count = 0) : bytes_(count * kBytes, '\0') {}
        char32_t operator[](std::size_t index) const
        {
            const auto byte = [this, index](std::size_t part) {
                return static_cast<char32_t>(static_cast<unsigned char>(bytes_[index * kBytes + part]));
            };
            return byte(0) | (byte(1) << 8) | (byte(2) << 16);
        }
        void Append(char32_t character)
        {
            for (std::size_t part = 0; part < kBytes; ++part)
                bytes_.push_back(static_cast<char>((character >> (8 * part)) & 0xFF));
        }
        void AppendNone(std::size_t count) { bytes_.append(count * kBytes, '\0'); }
        void Append(const TWideCharacters& other) { bytes_ += other.bytes_; }
        void Erase(std::size_t index) { bytes_.erase(index * kBytes, kBytes); }
        void Reserve(std::size_t count) { bytes_.reserve(count * kBytes); }
        bool operator==(const TWideCharacters& other) const = default;

    private:
        static constexpr std::size_t kBytes = 3;
        std::string bytes_;
    };
    struct TContent {
        TCompactText Text;
        // Only in a text that holds characters the code page lacks: as long
        // as the text, each such character where its kWideLead stands, 0
        // elsewhere.
        std::unique_ptr<TWideCharacters> Wide;
        TFontList Fonts;
        // Contents are shared only while they hold no image or control, so
        // a copy (made when a shared content changes) has none.
        std::unique_ptr<TInlineObjects> Objects;

        TContent() = default;
        TContent(const TContent& other)
            : Text(other.Text),
              Wide(other.Wide ? std::make_unique<TWideCharacters>(*other.Wide) : nullptr),
              Fonts(other.Fonts)
        {
        }
        bool operator==(const TContent& other) const;
    };
    // The content of the text section added last, kept by the document.
    struct TLastContent;

    const TInlineObjects& InlineObjects() const { return content_->Objects ? *content_->Objects : kNoInlineObjects; }
    // The content, made this section's own first.
    TContent& OwnContent() { return content_.Own(); }
    TCompactText& OwnText() { return OwnContent().Text; }
    // Shares the content of the text section added last when it is the
    // same, and leaves this one for the next.
    void ShareContentWithLast();
    // The image under window X x, document Y y, for the cell's left edge at
    // cellLeft, with the point inside the picture.
    TImageObj* ImageUnder(int cellLeft, int x, int y, int& xInImage, int& yInImage) const;
    // Where the image's box stands when painted: its left in window X and
    // its top in document Y. False when its line is not laid out.
    bool ImageBox(const TImageObj& image, int cellLeft, int& left, int& top) const;
    // Whether only floating images stand in the line before the index.
    bool OnlyFloatsBefore(const LineRec& line, int index) const;

    struct TLineState;
    struct TFitState;

    // Appends engine text with no reserved byte, keeping the wide characters beside.
    void AppendEngineText(std::string_view text);
    // The characters the code page lacks from index on, in one run, at most limit.
    int WideStretch(int index, int limit) const;
    // How many of them fit in what the width leaves beyond sum, which takes
    // their advances; and whether the fitting stopped on one that did not fit.
    int FitWide(int index, int limit, int width, int& sum) const;
    bool WideFitStopped(int index, int fitted, int limit) const;
    // Whether a line may break between the character at index and the one before.
    bool BreaksBefore(int index) const;
    bool IsCombiningAt(int index) const;
    int FitLine(int start, int remaining, int width, TLineState& state, IndentManager& indent);
    int BreakLine(int start, int fitted, bool& lastLine) const;
    void BuildLine(int start, int count, TLineState& state, IndentManager& indent);
    void RegisterFloat(TImageObj& image, int y, IndentManager& indent) const;
    int ClearSpace(int y, const IndentManager& indent) const;
    // Sizes the images for the available width of the last layout.
    void SizeImages(TCanvas& canvas);
    void PaintLine(TCanvas& canvas, const TRect& clip, const LineRec& line, int textBottom, int cellLeft,
                   IndentManager& indent);
    void PaintText(TCanvas& canvas, const TRect& clip, const TFontObj& run, std::string_view chunk, int x,
                   int baseline, bool selected, const TRect* preClip) const;
    bool ImageLink(TImageObj& image, int xInImage, int yInImage, TImageFormControlObj*& imageControl,
                   TUrlTarget& target) const;
    // The text index of the first occurrence at or after `from`, or -1.
    int IndexOf(std::string_view text, std::size_t from, bool matchCase) const;
    int IndexOfCharacters(std::string_view text, std::size_t from, bool matchCase) const;
    // Whether the first `count` characters are all floating images.
    bool HoldsOnlyFloats(std::size_t count) const;
    // Text from here on looks so: the last run takes the look when it starts
    // at the end of the text, else a new run starts there.
    void LookFromHere(TSectionList& document, TFontObj look);

    TInlineObjects& OwnInlineObjects();

    TSharedValue<TContent> content_;
};
