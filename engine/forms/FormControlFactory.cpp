#include "engine/forms/FormControlFactory.h"

#include "engine/forms/FormControls.h"
#include "engine/forms/HtmlForm.h"
#include "engine/text/Section.h"
#include "engine/layout/SectionList.h"

#include <array>
#include <cassert>
#include <memory>
#include <string_view>

namespace {

enum class TInputKind : std::uint8_t { Text, Password, Submit, Reset, Button, Radio, CheckBox, Hidden, Image };

struct TInputType {
    std::string_view Name;
    TInputKind Kind;
};

// Any TYPE not listed gives a text box.
constexpr std::array<TInputType, 9> kInputTypes = {{
    {"text", TInputKind::Text},
    {"password", TInputKind::Password},
    {"submit", TInputKind::Submit},
    {"reset", TInputKind::Reset},
    {"button", TInputKind::Button},
    {"radio", TInputKind::Radio},
    {"checkbox", TInputKind::CheckBox},
    {"hidden", TInputKind::Hidden},
    {"image", TInputKind::Image},
}};

TInputKind InputKindOf(const TAttributeList& attributes)
{
    const TAttribute* type = attributes.Find(TSymbol::Type);
    if (!type)
        return TInputKind::Text;
    const std::string lower = LowerCasePrefix(type->Text, TFormControlFactory::kMaxTypeLength);
    for (const TInputType& known : kInputTypes)
        if (known.Name == lower)
            return known.Kind;
    return TInputKind::Text;
}

std::unique_ptr<TFormControlObj> MakeInput(TSectionList& document, ThtmlForm& form, int position, TCell* cell,
                                           const TAttributeList& attributes)
{
    switch (InputKindOf(attributes)) {
    case TInputKind::Text:
        break;
    case TInputKind::Password:
        return std::make_unique<TEditFormControlObj>(document, form, position, attributes,
                                                     TEditFormControlObj::TEcho::Password);
    case TInputKind::Submit:
        return std::make_unique<TButtonFormControlObj>(document, form, position, attributes, TButtonKind::Submit);
    case TInputKind::Reset:
        return std::make_unique<TButtonFormControlObj>(document, form, position, attributes, TButtonKind::Reset);
    case TInputKind::Button:
        return std::make_unique<TButtonFormControlObj>(document, form, position, attributes, TButtonKind::Plain);
    case TInputKind::Radio:
        return std::make_unique<TRadioButtonFormControlObj>(document, form, position, attributes, cell);
    case TInputKind::CheckBox:
        return std::make_unique<TCheckBoxFormControlObj>(document, form, position, attributes);
    case TInputKind::Hidden:
        return std::make_unique<THiddenFormControlObj>(document, form, position, attributes);
    case TInputKind::Image: {
        auto image = std::make_unique<TImageFormControlObj>(&document, &form, position);
        if (const TAttribute* value = attributes.Find(TSymbol::Value))
            image->Value = value->Text;
        if (const TAttribute* name = attributes.Find(TSymbol::Name))
            image->Name = name->Text;
        return image;
    }
    }
    return std::make_unique<TEditFormControlObj>(document, form, position, attributes,
                                                 TEditFormControlObj::TEcho::Plain);
}

std::unique_ptr<TFormControlObj> MakeSelect(TSectionList& document, ThtmlForm& form, int position,
                                            const TAttributeList& attributes)
{
    const TAttribute* size = attributes.Find(TSymbol::Size);
    if (attributes.Find(TSymbol::Multiple) || (size && size->Value > 1))
        return std::make_unique<TListBoxFormControlObj>(document, form, position, attributes);
    return std::make_unique<TComboFormControlObj>(document, form, position, attributes);
}

}  // namespace

ThtmlForm& TFormControlFactory::StartForm(const TAttributeList& attributes)
{
    currentForm_ = &ThtmlForm::Create(document_, attributes);
    return *currentForm_;
}

ThtmlForm& TFormControlFactory::FormForControl()
{
    if (!currentForm_)
        currentForm_ = &ThtmlForm::Create(document_, TAttributeList());
    return *currentForm_;
}

TFormControlObj& TFormControlFactory::CreateControl(TSection& section, TSymbol symbol, TCell* cell,
                                                    const TAttributeList& attributes)
{
    assert(symbol == TSymbol::Input || symbol == TSymbol::Select || symbol == TSymbol::TextArea);
    ThtmlForm& form = FormForControl();
    const int position = section.Length;
    std::unique_ptr<TFormControlObj> made;
    if (symbol == TSymbol::Select)
        made = MakeSelect(document_, form, position, attributes);
    else if (symbol == TSymbol::TextArea)
        made = std::make_unique<TTextAreaFormControlObj>(document_, form, position, attributes);
    else
        made = MakeInput(document_, form, position, cell, attributes);

    TFormControlObj& control = form.AddControl(std::move(made));
    document_.FormControlList.push_back(&control);
    if (auto* image = dynamic_cast<TImageFormControlObj*>(&control))
        section.AddImageControl(*image, attributes, cell);
    else if (!dynamic_cast<THiddenFormControlObj*>(&control))
        section.AddFormControl(control);
    return control;
}
