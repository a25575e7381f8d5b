#pragma once
// Makes the form controls of INPUT, SELECT and TEXTAREA for the builder and
// keeps the builder's current form: controls outside any FORM join a form of
// their own, which lasts until the next FORM tag.

#include "engine/forms/HtmlForm.h"
#include "engine/lexer/Symbols.h"

#include <memory>

class TCell;
class TFormControlObj;
class ThtmlForm;
class TListBoxFormControlObj;
class TSection;
class TSectionList;
class TTextAreaFormControlObj;

class TFormControlFactory {
public:
    // INPUT TYPE is compared in lower case over this many characters.
    static constexpr std::size_t kMaxTypeLength = 20;

    // The forms the factory makes go into `forms`.
    TFormControlFactory(TSectionList& document, TFormList& forms) : document_(document), forms_(forms) {}

    // A FORM tag: its form becomes the current one.
    ThtmlForm& StartForm(const TAttributeList& attributes);
    // A FORM end tag: no current form until a control or a FORM tag makes one.
    void EndForm() { currentForm_ = nullptr; }
    ThtmlForm* CurrentForm() const { return currentForm_; }

    // The controls of INPUT, SELECT and TEXTAREA tags, made at the end of the
    // section's text and joined to the current form. An image input stands
    // in the text as its picture; a hidden field stands nowhere. The builder
    // reads the options of a SELECT and the body of a TEXTAREA into the
    // control it gets back.
    TFormControlObj& CreateInput(TSection& section, TCell* cell, const TAttributeList& attributes);
    TListBoxFormControlObj& CreateSelect(TSection& section, const TAttributeList& attributes);
    TTextAreaFormControlObj& CreateTextArea(TSection& section, const TAttributeList& attributes);

private:
    ThtmlForm& FormForControl();
    // Joins the control to the current form and to the document.
    template <typename TControl>
    TControl& Join(std::unique_ptr<TControl> control);

    TSectionList& document_;
    TFormList& forms_;
    ThtmlForm* currentForm_ = nullptr;
};
