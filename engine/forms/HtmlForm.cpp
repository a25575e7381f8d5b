#include "engine/forms/HtmlForm.h"

#include "engine/forms/FormControls.h"
#include "engine/layout/SectionList.h"
#include "engine/lexer/Symbols.h"

#include <algorithm>

namespace {

std::string AttributeText(const TAttributeList& attributes, TSymbol symbol)
{
    const TAttribute* attribute = attributes.Find(symbol);
    return attribute ? attribute->Text : std::string();
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view first, std::string_view second)
{
    return std::equal(first.begin(), first.end(), second.begin(), second.end(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

}  // namespace

ThtmlForm& ThtmlForm::Create(TSectionList& owner, TFormList& forms, const TAttributeList& attributes)
{
    return *forms.emplace_back(std::make_unique<ThtmlForm>(owner, attributes));
}

ThtmlForm::ThtmlForm(TSectionList& owner, const TAttributeList& attributes)
    : Owner(owner), Action(AttributeText(attributes, TSymbol::Action)),
      Target(AttributeText(attributes, TSymbol::Target)), EncType(AttributeText(attributes, TSymbol::EncType))
{
    if (const TAttribute* method = attributes.Find(TSymbol::Method))
        Method = method->Text.substr(0, kMaxMethodLength);
}

ThtmlForm::~ThtmlForm() = default;

TFormControlObj& ThtmlForm::AddControl(std::unique_ptr<TFormControlObj> control)
{
    if (!dynamic_cast<THiddenFormControlObj*>(control.get()))
        ++NonHiddenCount;
    controls_.push_back(std::move(control));
    return *controls_.back();
}

void ThtmlForm::Reset()
{
    for (const auto& control : controls_)
        control->ResetToValue();
}

std::vector<std::string> ThtmlForm::SubmissionItems(const std::optional<std::string>& extraPair) const
{
    std::vector<std::string> items;
    for (const auto& control : controls_) {
        std::string text;
        for (int index = 0; control->SubmissionItem(index, text); ++index) {
            if (!text.empty())
                items.push_back(std::move(text));
            text.clear();
        }
    }
    if (extraPair)
        items.push_back(*extraPair);
    return items;
}

void ThtmlForm::Submit(const std::optional<std::string>& extraPair)
{
    if (!Owner.SubmitHandler)
        return;
    // The receiver may load another page, which frees this form: it gets
    // copies of everything.
    const auto handler = Owner.SubmitHandler;
    std::vector<std::string> items = SubmissionItems(extraPair);
    handler(std::string(Action), std::string(Target), std::string(EncType), std::string(Method), std::move(items));
}

void ThtmlForm::UpdateRadioGroup(const TRadioButtonFormControlObj& clicked)
{
    if (clicked.Name.empty())
        return;
    for (const auto& control : controls_) {
        auto* radio = dynamic_cast<TRadioButtonFormControlObj*>(control.get());
        if (radio && radio != &clicked && EqualsIgnoringCase(radio->Name, clicked.Name))
            radio->SetChecked(false);
    }
}

bool ThtmlForm::EnterPressed()
{
    if (NonHiddenCount != 1)
        return false;
    Submit();
    return true;
}

void ThtmlForm::ImageClicked(TImageFormControlObj& control, int x, int y)
{
    control.SetClick(x, y);
    Submit();
}
