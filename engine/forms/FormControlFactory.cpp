#include "engine/forms/FormControlFactory.h"

#include "engine/forms/FormControls.h"
#include "engine/forms/HtmlForm.h"
#include "engine/text/Section.h"
#include "engine/layout/SectionList.h"

#include <array>
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

// The controls of the input kinds that stand in the text as a control.
std::unique_ptr<TFormControlObj> MakeInputInText(TInputKind kind, TSectionList& document, ThtmlForm& form,
                                                 int position, TCell* cell, const TAttributeList& attributes)
{
    switch (kind) {
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
    case TInputKind::Text: case TInputKind::Hidden: case TInputKind::Image:
        break;
    }
    return std::make_unique<TEditFormControlObj>(document, form, position, attributes,
                                                 TEditFormControlObj::TEcho::Plain);
}

std::unique_ptr<TImageFormControlObj> MakeImageInput(TSectionList& document, ThtmlForm& form, int position,
                                                     const TAttributeList& attributes)
{
    auto image = std::make_unique<TImageFormControlObj>(&document, &form, position);
    if (const TAttribute* value = attributes.Find(TSymbol::Value))
        image->Value = value->Text;
    if (const TAttribute* name = attributes.Find(TSymbol::Name))
        image->Name = name->Text;
    return image;
}

std::unique_ptr<TListBoxFormControlObj> MakeSelect(TSectionList& document, ThtmlForm& form, int position,
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
    currentForm_ = &ThtmlForm::Create(document_, forms_, attributes);
    return *currentForm_;
}

ThtmlForm& TFormControlFactory::FormForControl()
{
    if (!currentForm_)
        currentForm_ = &ThtmlForm::Create(document_, forms_, TAttributeList());
    return *currentForm_;
}

template <typename TControl>
TControl& TFormControlFactory::Join(std::unique_ptr<TControl> control)
{
    TControl& joined = *control;
    FormForControl().AddControl(std::move(control));
    document_.FormControlList.push_back(&joined);
    return joined;
}

TFormControlObj& TFormControlFactory::CreateInput(TSection& section, TCell* cell, const TAttributeList& attributes)
{
    ThtmlForm& form = FormForControl();
    const int position = section.Length;
    const TInputKind kind = InputKindOf(attributes);
    if (kind == TInputKind::Image) {
        TImageFormControlObj& image = Join(MakeImageInput(document_, form, position, attributes));
        image.Position = section.AddImageControl(image, attributes, cell).Index;
        return image;
    }
    if (kind == TInputKind::Hidden)
        return Join(std::make_unique<THiddenFormControlObj>(document_, form, position, attributes));
    TFormControlObj& control = Join(MakeInputInText(kind, document_, form, position, cell, attributes));
    section.AddFormControl(control);
    return control;
}

TListBoxFormControlObj& TFormControlFactory::CreateSelect(TSection& section, const TAttributeList& attributes)
{
    TListBoxFormControlObj& list = Join(MakeSelect(document_, FormForControl(), section.Length, attributes));
    section.AddFormControl(list);
    return list;
}

TTextAreaFormControlObj& TFormControlFactory::CreateTextArea(TSection& section, const TAttributeList& attributes)
{
    TTextAreaFormControlObj& area =
        Join(std::make_unique<TTextAreaFormControlObj>(document_, FormForControl(), section.Length, attributes));
    section.AddFormControl(area);
    return area;
}
