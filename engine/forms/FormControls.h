#pragma once
// The form controls made for INPUT, SELECT and TEXTAREA: each knows its
// initial state from the document, sizes itself from the layout canvas, makes
// its widget (a child of the drawing surface) when first needed and gives its
// name=value pairs to its form's submission, from the widget once made and
// from the document's state before. The image control (no widget) is in
// FormControlObj.h.

#include "engine/canvas/Fonts.h"
#include "engine/forms/FormControlObj.h"

#include <string>
#include <string_view>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class TAttributeList;
class TCell;

// INPUT TYPE=text or password (and any type not known): a single-line box.
class TEditFormControlObj : public TFormControlObj {
public:
    static constexpr int kDefaultWidthInChars = 20;
    static constexpr int kStartWidth = 120;
    static constexpr int kStartHeight = 20;

    enum class TEcho : std::uint8_t { Plain, Password };

    TEditFormControlObj(TSectionList& owner, ThtmlForm& form, int position, const TAttributeList& attributes,
                        TEcho echo);

    // Characters the box is made wide enough for (SIZE).
    int WidthInChars = kDefaultWidthInChars;
    // Characters the box takes at most (MAXLENGTH); 0 for no limit.
    int MaxLength = 0;
    TEcho Echo;

    // The box's widget, made if it was not.
    QLineEdit* Edit();
    void ResetToValue() override;
    bool SubmissionItem(int index, std::string& text) override;
    void SizeFromCanvas(TCanvas& canvas) override;

protected:
    QWidget* MakeWidget() override;

private:
    // The value as the box holds it: cut to the maximum length.
    QString InitialText() const;
    // Puts the initial text in the box, its start in view.
    void ShowInitialText(QLineEdit& edit) const;

    TMyFont font_;
};

enum class TButtonKind : std::uint8_t { Submit, Reset, Plain };

// INPUT TYPE=submit, reset or button: a push button.
class TButtonFormControlObj : public TFormControlObj {
public:
    TButtonFormControlObj(TSectionList& owner, ThtmlForm& form, int position, const TAttributeList& attributes,
                          TButtonKind kind);

    TButtonKind Kind;
    std::string OnClickText;

    QPushButton* Button();
    // The caption: the value, else the kind's own word.
    const std::string& Caption() const { return caption_; }
    // What a click does: the object-click handler, then reset or submit.
    void Click();
    void SizeFromCanvas(TCanvas& canvas) override;

protected:
    QWidget* MakeWidget() override;

private:
    std::string caption_;
    TMyFont font_;
};

// INPUT TYPE=checkbox.
class TCheckBoxFormControlObj : public TFormControlObj {
public:
    static constexpr int kSize = 13;
    static constexpr const char* kDefaultValue = "On";

    TCheckBoxFormControlObj(TSectionList& owner, ThtmlForm& form, int position, const TAttributeList& attributes);

    bool InitiallyChecked;
    std::string OnClickText;

    QCheckBox* CheckBox();
    void ResetToValue() override;
    bool SubmissionItem(int index, std::string& text) override;

protected:
    QWidget* MakeWidget() override;
};

// INPUT TYPE=radio: a radio button in a frameless panel that takes the colour
// behind it. Buttons of one form with the same name (case aside) form a group.
class TRadioButtonFormControlObj : public TFormControlObj {
public:
    static constexpr int kPanelWidth = 13;
    static constexpr int kPanelHeight = 14;

    TRadioButtonFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                               const TAttributeList& attributes, TCell* cell);

    bool InitiallyChecked;
    std::string OnClickText;
    // The cell the button stands in.
    TCell* Cell;

    // The button inside the panel, made if it was not.
    QRadioButton* RadioButton();
    bool IsChecked() const;
    // Also before the widget is made: its group unchecks it.
    void SetChecked(bool checked);
    // The button inside the panel takes the focus and the clicks.
    QWidget* FocusWidget() const override;
    void ResetToValue() override;
    bool SubmissionItem(int index, std::string& text) override;

protected:
    QWidget* MakeWidget() override;

private:
    QRadioButton* MadeButton() const;
    void Clicked();

    // The state while the widget is not made.
    bool checked_;
};

// INPUT TYPE=hidden: no widget, its pair is always submitted.
class THiddenFormControlObj : public TFormControlObj {
public:
    THiddenFormControlObj(TSectionList& owner, ThtmlForm& form, int position, const TAttributeList& attributes);

    bool SubmissionItem(int index, std::string& text) override;
};

// One OPTION of a list: its value (may be empty) and whether it starts
// selected. The display text is kept beside it in the list's options.
struct TOptionObj {
    std::string Value;
    bool Selected = false;
};

// SELECT with MULTIPLE or a SIZE above 1: a list box.
class TListBoxFormControlObj : public TFormControlObj {
public:
    static constexpr int kMinWidthInChars = 3;
    // Without SIZE a list shows its options, but never more than this many rows.
    static constexpr int kMaxAutomaticRows = 8;

    struct TOption {
        std::string Text;
        TOptionObj Object;
    };

    TListBoxFormControlObj(TSectionList& owner, ThtmlForm& form, int position, const TAttributeList& attributes);

    bool Multiple;
    // Rows from SIZE; 0 when the options decide.
    int Rows = 0;
    int WidthInChars = kMinWidthInChars;

    const std::vector<TOption>& Options() const { return options_; }
    // An option read by the builder; an empty display text adds none.
    void AddOption(std::string_view value, bool selected, std::string_view text);
    // Rows shown: SIZE, else the option count within 1 to 8.
    int VisibleRows() const;

    QListWidget* ListWidget();
    void ResetToValue() override;
    bool SubmissionItem(int index, std::string& text) override;
    void SizeFromCanvas(TCanvas& canvas) override;

protected:
    QWidget* MakeWidget() override;

    // "name=value", the display text standing in for an empty value.
    std::string OptionPair(int index) const;
    // The last option that starts selected, else the first; -1 without options.
    int InitialCurrent() const;
    // Fills the widget with the options in their initial state.
    void ShowOptions(QListWidget& list) const;

    TMyFont font_;

private:
    std::vector<TOption> options_;
    // The last option that starts selected, -1 for none; a submission without
    // the widget asks for it once per option.
    int lastSelected_ = -1;
};

// Any other SELECT: a drop-down list without typing.
class TComboFormControlObj : public TListBoxFormControlObj {
public:
    TComboFormControlObj(TSectionList& owner, ThtmlForm& form, int position, const TAttributeList& attributes);

    QComboBox* ComboBox();
    void ResetToValue() override;
    bool SubmissionItem(int index, std::string& text) override;
    void SizeFromCanvas(TCanvas& canvas) override;

protected:
    QWidget* MakeWidget() override;

private:
    void ShowOptions(QComboBox& combo) const;

    TMyFont screenFont_;
};

// TEXTAREA: a multi-line box; every line of its text is one pair.
class TTextAreaFormControlObj : public TFormControlObj {
public:
    static constexpr int kDefaultRows = 5;
    static constexpr int kDefaultColumns = 30;

    TTextAreaFormControlObj(TSectionList& owner, ThtmlForm& form, int position, const TAttributeList& attributes);

    int Rows = kDefaultRows;
    int Columns = kDefaultColumns;
    // WRAP=soft or hard: word wrapping with a vertical scroll bar; otherwise
    // no wrapping and both scroll bars.
    bool Wrap = false;
    std::vector<std::string> InitialLines;

    // The lines of the TEXTAREA's body, which the builder reads: the box
    // shows them and a reset goes back to them.
    void SetInitialLines(std::vector<std::string> lines);
    // The lines of the current text; a last empty line does not count.
    std::vector<std::string> CurrentLines() const;

    QPlainTextEdit* TextEdit();
    void ResetToValue() override;
    bool SubmissionItem(int index, std::string& text) override;
    void SizeFromCanvas(TCanvas& canvas) override;

protected:
    QWidget* MakeWidget() override;

private:
    void ShowInitialLines(QPlainTextEdit& edit) const;

    TMyFont font_;
    // The lines a submission in progress is reading.
    std::vector<std::string> submissionLines_;
};
