#pragma once
// Makes the form controls of INPUT, SELECT and TEXTAREA for the builder and
// keeps the builder's current form: controls outside any FORM join a form of
// their own, which lasts until the next FORM tag.

#include "engine/lexer/Symbols.h"

class TCell;
class TFormControlObj;
class ThtmlForm;
class TSection;
class TSectionList;

class TFormControlFactory {
public:
    // INPUT TYPE is compared in lower case over this many characters.
    static constexpr std::size_t kMaxTypeLength = 20;

    explicit TFormControlFactory(TSectionList& document) : document_(document) {}

    // A FORM tag: its form becomes the current one.
    ThtmlForm& StartForm(const TAttributeList& attributes);
    // A FORM end tag: no current form until a control or a FORM tag makes one.
    void EndForm() { currentForm_ = nullptr; }
    ThtmlForm* CurrentForm() const { return currentForm_; }

    // The control for an INPUT, SELECT or TEXTAREA tag, made at the end of
    // the section's text and joined to the current form. An image control
    // stands in the text as its picture; a hidden field stands nowhere.
    TFormControlObj& CreateControl(TSection& section, TSymbol symbol, TCell* cell, const TAttributeList& attributes);

private:
    ThtmlForm& FormForControl();

    TSectionList& document_;
    ThtmlForm* currentForm_ = nullptr;
};
