#pragma once
// TPageSelection, the selection of the page shown and the caret it moves:
// the anchor of a drag, extending it, the word under a double click, find
// (which starts from the caret), select all and copy. The selected range
// itself is the document's (it paints it); this class decides it. Each
// change says whether the page must be repainted, and the control repaints:
// the selection knows the document and a measuring canvas, not the screen.

#include <optional>
#include <string_view>

class TCanvas;
class TSection;
class TSectionList;

// Whether the character belongs to a word (a double click selects it, a
// whole-word search wants none beside what it finds).
bool IsWordCharacter(char ch);
// The same for the character at a text index of the section; of the
// characters the code page lacks, letters, digits and combining marks make
// words (a Greek or Russian word, a run of Chinese characters).
bool IsWordCharacterAt(const TSection& section, std::size_t index);

class TPageSelection {
public:
    // Find copies the searched text into a buffer of this many characters.
    static constexpr std::size_t kSearchBufferLength = 255;

    TPageSelection(TSectionList& document, TCanvas& measure);

    int CaretPos() const { return caretPos_; }
    // The character position of the last left press; -1 when not on text.
    int Anchor() const { return anchor_; }
    bool NoSelect() const { return noSelect_; }
    // True when a selection was dropped and must be repainted away.
    bool SetNoSelect(bool value);
    // A new page: the caret at the top, no anchor.
    void Reset();

    // A left press at the position (negative: not on text); true when a
    // selection was showing and must be repainted away.
    bool Press(int position);
    // The drag reached the position: true when the selection changed.
    bool ExtendTo(int position);
    // Selects the word at the position, when the character there lies on the
    // line whose top (document Y) is lineY; true when a word was selected.
    bool SelectWordAt(int position, int lineY);
    // Selects the next occurrence after the caret; its position, or nothing.
    std::optional<int> Find(std::string_view text, bool matchCase);
    // Selects what find found, the caret after it.
    void SelectFound(int begin, int end);
    // The selection is empty: begin and end are the same.
    int SelectionBegin() const;
    int SelectionEnd() const;
    // False when there is nothing to select.
    bool SelectAll();
    void CopyToClipboard();
    int Length();

private:
    void Select(int begin, int end);

    TSectionList& document_;
    TCanvas& measure_;
    int caretPos_ = 0;
    int anchor_ = -1;
    bool noSelect_ = false;
};
