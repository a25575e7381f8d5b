#pragma once
// A form of the page: its controls in document order, their reset, and the
// submission that gathers their name=value pairs for the viewer's receiver.

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TAttributeList;
class TFormControlObj;
class TImageFormControlObj;
class TRadioButtonFormControlObj;
class TSectionList;

class ThtmlForm;
// The forms of a page; the shown page owns them.
using TFormList = std::vector<std::unique_ptr<ThtmlForm>>;

class ThtmlForm {
public:
    // METHOD is kept to this many characters.
    static constexpr std::size_t kMaxMethodLength = 4;

    // Makes a form from the FORM tag's attributes and adds it to the
    // document's form list, which owns it.
    static ThtmlForm& Create(TSectionList& owner, TFormList& forms, const TAttributeList& attributes);

    ThtmlForm(TSectionList& owner, const TAttributeList& attributes);
    ThtmlForm(const ThtmlForm&) = delete;
    ThtmlForm& operator=(const ThtmlForm&) = delete;
    ~ThtmlForm();

    TSectionList& Owner;
    std::string Method = "Get";
    std::string Action;
    std::string Target;
    std::string EncType;
    // Controls other than hidden fields.
    int NonHiddenCount = 0;

    const std::vector<std::unique_ptr<TFormControlObj>>& Controls() const { return controls_; }

    // Takes the control into the form, after those already there.
    TFormControlObj& AddControl(std::unique_ptr<TFormControlObj> control);
    // Every control back to the state the document gave it, in order.
    void Reset();
    // Hands the controls' pairs, then the extra pair, to the document's
    // submission receiver; nothing happens without a receiver.
    void Submit(const std::optional<std::string>& extraPair = std::nullopt);
    // Unchecks the other radio buttons of the clicked one's group: same name
    // without regard to case, in this form. Unnamed buttons form no group.
    void UpdateRadioGroup(const TRadioButtonFormControlObj& clicked);
    // Enter in a single-line box submits the form only when the box is its
    // only visible control; returns whether it did.
    bool EnterPressed();
    // A click on the picture of an image control: the control keeps the point
    // and the form is submitted.
    void ImageClicked(TImageFormControlObj& control, int x, int y);

private:
    // The pairs a submission hands over, in order.
    std::vector<std::string> SubmissionItems(const std::optional<std::string>& extraPair) const;

    std::vector<std::unique_ptr<TFormControlObj>> controls_;
};
