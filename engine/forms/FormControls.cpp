#include "engine/forms/FormControls.h"

#include "engine/canvas/Canvas.h"
#include "engine/forms/ControlSurface.h"
#include "engine/base/Cp1252.h"
#include "engine/forms/HtmlForm.h"
#include "engine/layout/SectionList.h"
#include "engine/lexer/Symbols.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetricsF>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QTextCursor>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

// Controls that show text use the page's fixed-pitch font at this size.
constexpr int kControlFontSize = 10;

// Widget sizes come from attributes of any size; keep them within what a
// widget can have.
int WidgetExtent(std::int64_t pixels)
{
    return static_cast<int>(std::clamp<std::int64_t>(pixels, 0, QWIDGETSIZE_MAX));
}

std::string AttributeText(const TAttributeList& attributes, TSymbol symbol)
{
    const TAttribute* attribute = attributes.Find(symbol);
    return attribute ? attribute->Text : std::string();
}

bool HasAttribute(const TAttributeList& attributes, TSymbol symbol)
{
    return attributes.Find(symbol) != nullptr;
}

// The numeric value of the attribute when it is present and above 0.
int PositiveNumber(const TAttributeList& attributes, TSymbol symbol, int fallback)
{
    const TAttribute* attribute = attributes.Find(symbol);
    return attribute && attribute->Value > 0 ? attribute->SizeValue() : fallback;
}

void ReadValueAndName(TFormControlObj& control, const TAttributeList& attributes)
{
    control.Value = AttributeText(attributes, TSymbol::Value);
    control.Name = AttributeText(attributes, TSymbol::Name);
}

std::string Pair(const std::string& name, std::string_view value)
{
    std::string pair;
    pair.reserve(name.size() + 1 + value.size());
    pair.append(name).append("=").append(value);
    return pair;
}

// The page's fixed-pitch font at the control size, resolved through the
// page's face cache so that a thousand controls share one face.
TMyFont ControlFont(const TSectionList& document)
{
    TMyFont font(document.FixedFontName, kControlFontSize);
    font.SetFaceCache(document.FaceCache);
    return font;
}

// The screen's default font, which buttons and drop-down lists measure with.
TMyFont ScreenFont(const TSectionList& document)
{
    const QFont appFont = QGuiApplication::font();
    const int points = appFont.pointSize() > 0 ? appFont.pointSize() : appFont.pixelSize() * 72 / kLogicalDpi;
    TMyFont font("System", std::max(points, 1));
    font.SetFaceCache(document.FaceCache);
    return font;
}

// The widget draws in the face the canvas measures with.
QFont WidgetFont(const TMyFont& font)
{
    QFont widgetFont(font.Face().FamilyName());
    widgetFont.setPixelSize(font.PixelSize());
    return widgetFont;
}

// A drop-down that makes its popup list only when the list is first needed,
// and then in the box's font. QComboBox makes the popup at once to pass a
// font change on to it, which costs far more than the box itself on pages
// with many drop-downs.
class TLazyPopupComboBox final : public QComboBox {
public:
    TLazyPopupComboBox(QWidget* parent, const QFont& font) : QComboBox(parent)
    {
        settingFirstFont_ = true;
        setFont(font);
        settingFirstFont_ = false;
    }

protected:
    void changeEvent(QEvent* event) override
    {
        if (settingFirstFont_ && event->type() == QEvent::FontChange)
            QWidget::changeEvent(event);
        else
            QComboBox::changeEvent(event);
    }

private:
    bool settingFirstFont_ = false;
};

// The extent of the text in the font, measured on the canvas; the canvas
// gets its own font back afterwards.
QSize ExtentIn(TCanvas& canvas, const TMyFont& font, std::string_view text)
{
    const TMyFont saved = canvas.Font();
    canvas.SetFont(font);
    const QSize extent = canvas.TextExtent(text);
    canvas.SetFont(saved);
    return extent;
}

// Calls the object-click handler; false when the handler has freed the
// control (a page loaded from within it), which must then not be touched.
bool ReportObjectClick(TFormControlObj& control, std::string onClick)
{
    // Copies of the handler and the text: both belong to what the handler may free.
    const auto handler = control.Owner->OnObjectClick;
    if (!handler)
        return true;
    const QPointer<QWidget> widget = control.Widget;
    handler(control, onClick);
    return !widget.isNull();
}

// SIZE="40,1": the number before the first comma or space, when one stands
// there. Widths of 0 or less would make the box vanish; they keep the default.
int EditWidthInChars(const TAttributeList& attributes)
{
    const TAttribute* size = attributes.Find(TSymbol::Size);
    if (!size)
        return TEditFormControlObj::kDefaultWidthInChars;
    if (size->Value > 0)
        return size->SizeValue();
    const std::size_t cut = size->Text.find_first_of(", ");
    if (cut == std::string::npos || cut == 0)
        return TEditFormControlObj::kDefaultWidthInChars;
    std::string_view digits(size->Text.data(), cut);
    if (digits.front() == '+')
        digits.remove_prefix(1);
    int width = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), width);
    if (error != std::errc() || end != digits.data() + digits.size() || width <= 0)
        return TEditFormControlObj::kDefaultWidthInChars;
    return std::min(width, kMaxAttributeSize);
}

// Qt takes "&" in a caption as a mnemonic mark; the page's text shows as written.
QString CaptionText(std::string_view caption)
{
    return Cp1252ToQString(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}

// Widgets the layout sizes before they are made take this size until then.
constexpr int kUnsizedWidth = 100;
constexpr int kUnsizedHeight = 30;

// The frame lists and multi-line boxes draw around their client area: the
// style's sunken panel, as their frames ask it for.
int ScrollAreaFrameWidth()
{
    QStyleOptionFrame option;
    option.frameShape = QFrame::StyledPanel;
    option.state |= QStyle::State_Sunken;
    option.lineWidth = 1;
    return QApplication::style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, nullptr);
}

int ScrollBarExtent()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, nullptr);
}

// The space item views leave on each side of an item's text.
int ItemTextMargin()
{
    return QApplication::style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, nullptr) + 1;
}

// The widget size that gives the client size inside a list's or box's frame.
QSize AroundClient(std::int64_t clientWidth, std::int64_t clientHeight)
{
    const int border = 2 * ScrollAreaFrameWidth();
    return {WidgetExtent(clientWidth + border), WidgetExtent(clientHeight + border)};
}

// The height a drop-down list of the font asks for, as the style gives it
// for one line of text.
int DropDownHeight(const QFont& font)
{
    QStyleOptionComboBox option;
    option.fontMetrics = QFontMetrics(font);
    option.frame = true;
    option.editable = false;
    const int textHeight = std::max(static_cast<int>(std::ceil(QFontMetricsF(font).height())), 14) + 2;
    return QApplication::style()->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(0, textHeight), nullptr)
        .height();
}

}  // namespace

// ---------------------------------------------------------------------------
// Single-line box

TEditFormControlObj::TEditFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                         const TAttributeList& attributes, TEcho echo)
    : TFormControlObj(&owner, &form, position), WidthInChars(EditWidthInChars(attributes)),
      MaxLength(PositiveNumber(attributes, TSymbol::MaxLength, 0)), Echo(echo), font_(ControlFont(owner))
{
    ReadValueAndName(*this, attributes);
    WillMakeWidget(kStartWidth, kStartHeight);
}

QWidget* TEditFormControlObj::MakeWidget()
{
    auto* edit = new QLineEdit(ControlParentOf(*Owner));
    edit->setFont(WidgetFont(font_));
    if (MaxLength > 0)
        edit->setMaxLength(MaxLength);
    if (Echo == TEcho::Password) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    }
    ShowInitialText(*edit);
    QObject::connect(edit, &QLineEdit::returnPressed, edit, [this] { Form->EnterPressed(); });
    return edit;
}

QLineEdit* TEditFormControlObj::Edit()
{
    return static_cast<QLineEdit*>(EnsureWidget());
}

QString TEditFormControlObj::InitialText() const
{
    const QString text = Cp1252ToQString(Value);
    return MaxLength > 0 ? text.left(MaxLength) : text;
}

void TEditFormControlObj::ResetToValue()
{
    if (Widget)
        ShowInitialText(*Edit());
}

void TEditFormControlObj::ShowInitialText(QLineEdit& edit) const
{
    edit.setText(InitialText());
    // A value longer than the box shows its start, not its end.
    edit.setCursorPosition(0);
}

bool TEditFormControlObj::SubmissionItem(int index, std::string& text)
{
    if (index != 0)
        return false;
    text = Pair(Name, QStringToEngineText(Widget ? Edit()->text() : InitialText()));
    return true;
}

void TEditFormControlObj::SizeFromCanvas(TCanvas& canvas)
{
    const int charWidth = ExtentIn(canvas, font_, "A").width();
    Resize(WidgetExtent(std::int64_t{charWidth} * WidthInChars + 5), Height());
}

// ---------------------------------------------------------------------------
// Push button

namespace {

std::string ButtonCaption(const std::string& value, TButtonKind kind)
{
    if (!value.empty())
        return value;
    switch (kind) {
    case TButtonKind::Submit:
        return "Submit";
    case TButtonKind::Reset:
        return "Reset";
    case TButtonKind::Plain:
        break;
    }
    return "Button";
}

}  // namespace

TButtonFormControlObj::TButtonFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                             const TAttributeList& attributes, TButtonKind kind)
    : TFormControlObj(&owner, &form, position), Kind(kind), OnClickText(AttributeText(attributes, TSymbol::OnClick)),
      font_(ScreenFont(owner))
{
    ReadValueAndName(*this, attributes);
    caption_ = ButtonCaption(Value, Kind);
    WillMakeWidget(kUnsizedWidth, kUnsizedHeight);
}

QWidget* TButtonFormControlObj::MakeWidget()
{
    auto* button = new QPushButton(CaptionText(caption_), ControlParentOf(*Owner));
    button->setFont(WidgetFont(font_));
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [this] { Click(); });
    return button;
}

QPushButton* TButtonFormControlObj::Button()
{
    return static_cast<QPushButton*>(EnsureWidget());
}

void TButtonFormControlObj::Click()
{
    if (!ReportObjectClick(*this, OnClickText))
        return;
    switch (Kind) {
    case TButtonKind::Reset:
        Form->Reset();
        break;
    case TButtonKind::Submit:
        Form->Submit(Name.empty() ? std::nullopt : std::optional<std::string>(Pair(Name, Value)));
        break;
    case TButtonKind::Plain:
        break;
    }
}

void TButtonFormControlObj::SizeFromCanvas(TCanvas& canvas)
{
    const int height = ExtentIn(canvas, font_, "A").height() + 8;
    const int width = ExtentIn(canvas, font_, caption_).width() + 20;
    Resize(WidgetExtent(width), WidgetExtent(height));
}

// ---------------------------------------------------------------------------
// Check box

TCheckBoxFormControlObj::TCheckBoxFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                                 const TAttributeList& attributes)
    : TFormControlObj(&owner, &form, position), InitiallyChecked(HasAttribute(attributes, TSymbol::Checked)),
      OnClickText(AttributeText(attributes, TSymbol::OnClick))
{
    ReadValueAndName(*this, attributes);
    if (Value.empty())
        Value = kDefaultValue;
    SitsOnBaseline = true;
    WillMakeWidget(kSize, kSize);
}

QWidget* TCheckBoxFormControlObj::MakeWidget()
{
    auto* checkBox = new QCheckBox(ControlParentOf(*Owner));
    checkBox->setChecked(InitiallyChecked);
    QObject::connect(checkBox, &QCheckBox::clicked, checkBox, [this] { ReportObjectClick(*this, OnClickText); });
    return checkBox;
}

QCheckBox* TCheckBoxFormControlObj::CheckBox()
{
    return static_cast<QCheckBox*>(EnsureWidget());
}

void TCheckBoxFormControlObj::ResetToValue()
{
    if (Widget)
        CheckBox()->setChecked(InitiallyChecked);
}

bool TCheckBoxFormControlObj::SubmissionItem(int index, std::string& text)
{
    if (index != 0)
        return false;
    const bool checked = Widget ? CheckBox()->isChecked() : InitiallyChecked;
    text = checked ? Pair(Name, Value) : std::string();
    return true;
}

// ---------------------------------------------------------------------------
// Radio button

TRadioButtonFormControlObj::TRadioButtonFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                                       const TAttributeList& attributes, TCell* cell)
    : TFormControlObj(&owner, &form, position), InitiallyChecked(HasAttribute(attributes, TSymbol::Checked)),
      OnClickText(AttributeText(attributes, TSymbol::OnClick)), Cell(cell), checked_(InitiallyChecked)
{
    ReadValueAndName(*this, attributes);
    SitsOnBaseline = true;
    PanelTakesBackground = true;
    WillMakeWidget(kPanelWidth, kPanelHeight);
}

QWidget* TRadioButtonFormControlObj::MakeWidget()
{
    auto* panel = new QFrame(ControlParentOf(*Owner));
    panel->setFrameShape(QFrame::NoFrame);
    auto* button = new QRadioButton(panel);
    button->setGeometry(0, 0, kPanelWidth, kPanelHeight);
    // Groups are the form's business (by name), not the parent widget's.
    button->setAutoExclusive(false);
    button->setChecked(checked_);
    QObject::connect(button, &QRadioButton::clicked, button, [this] { Clicked(); });
    return panel;
}

QRadioButton* TRadioButtonFormControlObj::MadeButton() const
{
    return Widget ? Widget->findChild<QRadioButton*>() : nullptr;
}

QRadioButton* TRadioButtonFormControlObj::RadioButton()
{
    EnsureWidget();
    return MadeButton();
}

QWidget* TRadioButtonFormControlObj::FocusWidget() const
{
    return MadeButton();
}

bool TRadioButtonFormControlObj::IsChecked() const
{
    const QRadioButton* button = MadeButton();
    return button ? button->isChecked() : checked_;
}

void TRadioButtonFormControlObj::SetChecked(bool checked)
{
    checked_ = checked;
    if (QRadioButton* button = MadeButton())
        button->setChecked(checked);
}

void TRadioButtonFormControlObj::Clicked()
{
    // A click on a checked radio button leaves it checked and does nothing.
    if (!IsChecked()) {
        SetChecked(true);
        return;
    }
    Form->UpdateRadioGroup(*this);
    ReportObjectClick(*this, OnClickText);
}

void TRadioButtonFormControlObj::ResetToValue()
{
    SetChecked(InitiallyChecked);
}

bool TRadioButtonFormControlObj::SubmissionItem(int index, std::string& text)
{
    if (index != 0)
        return false;
    text = IsChecked() ? Pair(Name, Value) : std::string();
    return true;
}

// ---------------------------------------------------------------------------
// Hidden field

THiddenFormControlObj::THiddenFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                             const TAttributeList& attributes)
    : TFormControlObj(&owner, &form, position)
{
    ReadValueAndName(*this, attributes);
}

bool THiddenFormControlObj::SubmissionItem(int index, std::string& text)
{
    if (index != 0)
        return false;
    text = Pair(Name, Value);
    return true;
}

// ---------------------------------------------------------------------------
// List box

TListBoxFormControlObj::TListBoxFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                               const TAttributeList& attributes)
    : TFormControlObj(&owner, &form, position), Multiple(HasAttribute(attributes, TSymbol::Multiple)),
      Rows(PositiveNumber(attributes, TSymbol::Size, 0)), font_(ControlFont(owner))
{
    ReadValueAndName(*this, attributes);
    WillMakeWidget(kUnsizedWidth, kUnsizedHeight);
}

QWidget* TListBoxFormControlObj::MakeWidget()
{
    auto* list = new QListWidget(ControlParentOf(*Owner));
    list->setFont(WidgetFont(font_));
    // The box is sized for its longest option: a horizontal bar would only
    // take the room of the last row.
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setSelectionMode(Multiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    ShowOptions(*list);
    return list;
}

void TListBoxFormControlObj::AddOption(std::string_view value, bool selected, std::string_view text)
{
    if (text.empty())
        return;
    if (selected)
        lastSelected_ = static_cast<int>(options_.size());
    options_.push_back({std::string(text), {std::string(value), selected}});
    WidthInChars = std::max(WidthInChars, static_cast<int>(std::min<std::size_t>(text.size(), QWIDGETSIZE_MAX)));
}

int TListBoxFormControlObj::VisibleRows() const
{
    if (Rows > 0)
        return Rows;
    return std::clamp(static_cast<int>(options_.size()), 1, kMaxAutomaticRows);
}

QListWidget* TListBoxFormControlObj::ListWidget()
{
    return qobject_cast<QListWidget*>(EnsureWidget());
}

int TListBoxFormControlObj::InitialCurrent() const
{
    if (lastSelected_ >= 0)
        return lastSelected_;
    return options_.empty() ? -1 : 0;
}

std::string TListBoxFormControlObj::OptionPair(int index) const
{
    const TOption& option = options_[static_cast<std::size_t>(index)];
    return Pair(Name, option.Object.Value.empty() ? option.Text : option.Object.Value);
}

void TListBoxFormControlObj::ResetToValue()
{
    if (auto* list = qobject_cast<QListWidget*>(Widget.data()))
        ShowOptions(*list);
}

void TListBoxFormControlObj::ShowOptions(QListWidget& list) const
{
    list.clear();
    for (const TOption& option : options_)
        list.addItem(Cp1252ToQString(option.Text));
    if (Multiple) {
        for (std::size_t index = 0; index < options_.size(); ++index)
            list.item(static_cast<int>(index))->setSelected(options_[index].Object.Selected);
        // The first option takes the caret without being selected.
        if (!options_.empty())
            list.selectionModel()->setCurrentIndex(list.model()->index(0, 0), QItemSelectionModel::NoUpdate);
    } else if (!options_.empty()) {
        list.setCurrentRow(InitialCurrent());
    }
    list.scrollToTop();
}

bool TListBoxFormControlObj::SubmissionItem(int index, std::string& text)
{
    if (index < 0 || index >= static_cast<int>(options_.size()))
        return false;
    bool chosen = false;
    if (const auto* list = qobject_cast<const QListWidget*>(Widget.data())) {
        const QListWidgetItem* item = list->item(index);
        chosen = Multiple ? item && item->isSelected() : list->currentRow() == index;
    } else {
        chosen = Multiple ? options_[static_cast<std::size_t>(index)].Object.Selected : InitialCurrent() == index;
    }
    text = chosen ? OptionPair(index) : std::string();
    return true;
}

void TListBoxFormControlObj::SizeFromCanvas(TCanvas& canvas)
{
    const QSize charSize = ExtentIn(canvas, font_, "A");
    // Room for the longest option beside the vertical bar: the 15 pixels of
    // the classic box, or what the style's bar and item margins take.
    const int beside = std::max(15, ScrollBarExtent() + 2 * ItemTextMargin());
    const QSize size = AroundClient(std::int64_t{charSize.width()} * WidthInChars + beside,
                                    std::int64_t{charSize.height()} * VisibleRows());
    Resize(size.width(), size.height());
}

// ---------------------------------------------------------------------------
// Drop-down list

TComboFormControlObj::TComboFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                           const TAttributeList& attributes)
    : TListBoxFormControlObj(owner, form, position, attributes), screenFont_(ScreenFont(owner))
{
}

QWidget* TComboFormControlObj::MakeWidget()
{
    auto* combo = new TLazyPopupComboBox(ControlParentOf(*Owner), WidgetFont(font_));
    ShowOptions(*combo);
    return combo;
}

QComboBox* TComboFormControlObj::ComboBox()
{
    return qobject_cast<QComboBox*>(EnsureWidget());
}

void TComboFormControlObj::ResetToValue()
{
    if (auto* combo = qobject_cast<QComboBox*>(Widget.data()))
        ShowOptions(*combo);
}

void TComboFormControlObj::ShowOptions(QComboBox& combo) const
{
    combo.clear();
    for (const TOption& option : Options())
        combo.addItem(Cp1252ToQString(option.Text));
    combo.setCurrentIndex(InitialCurrent());
}

bool TComboFormControlObj::SubmissionItem(int index, std::string& text)
{
    if (index < 0 || index >= static_cast<int>(Options().size()))
        return false;
    const auto* combo = qobject_cast<const QComboBox*>(Widget.data());
    const int current = combo ? combo->currentIndex() : InitialCurrent();
    text = current == index ? OptionPair(index) : std::string();
    return true;
}

void TComboFormControlObj::SizeFromCanvas(TCanvas& canvas)
{
    const int charWidth = ExtentIn(canvas, screenFont_, "A").width();
    Resize(WidgetExtent(std::int64_t{charWidth} * WidthInChars + 30), DropDownHeight(WidgetFont(font_)));
}

// ---------------------------------------------------------------------------
// Multi-line box

TTextAreaFormControlObj::TTextAreaFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                                 const TAttributeList& attributes)
    : TFormControlObj(&owner, &form, position), Rows(PositiveNumber(attributes, TSymbol::Rows, kDefaultRows)),
      Columns(PositiveNumber(attributes, TSymbol::Cols, kDefaultColumns)), font_(ControlFont(owner))
{
    ReadValueAndName(*this, attributes);
    const std::string wrap = LowerCasePrefix(AttributeText(attributes, TSymbol::Wrap));
    Wrap = wrap == "soft" || wrap == "hard";
    WillMakeWidget(kUnsizedWidth, kUnsizedHeight);
}

QWidget* TTextAreaFormControlObj::MakeWidget()
{
    auto* edit = new QPlainTextEdit(ControlParentOf(*Owner));
    edit->setFont(WidgetFont(font_));
    edit->setLineWrapMode(Wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setHorizontalScrollBarPolicy(Wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    ShowInitialLines(*edit);
    return edit;
}

QPlainTextEdit* TTextAreaFormControlObj::TextEdit()
{
    return qobject_cast<QPlainTextEdit*>(EnsureWidget());
}

void TTextAreaFormControlObj::SetInitialLines(std::vector<std::string> lines)
{
    InitialLines = std::move(lines);
    ResetToValue();
}

void TTextAreaFormControlObj::ResetToValue()
{
    if (auto* edit = qobject_cast<QPlainTextEdit*>(Widget.data()))
        ShowInitialLines(*edit);
}

void TTextAreaFormControlObj::ShowInitialLines(QPlainTextEdit& edit) const
{
    QString text;
    for (std::size_t index = 0; index < InitialLines.size(); ++index) {
        if (index > 0)
            text += QLatin1Char('\n');
        text += Cp1252ToQString(InitialLines[index]);
    }
    edit.setPlainText(text);
    QTextCursor cursor = edit.textCursor();
    cursor.movePosition(QTextCursor::Start);
    edit.setTextCursor(cursor);
}

std::vector<std::string> TTextAreaFormControlObj::CurrentLines() const
{
    const auto* edit = qobject_cast<const QPlainTextEdit*>(Widget.data());
    if (!edit) {
        // The box's text is the lines joined, and would read back the same.
        std::vector<std::string> lines = InitialLines;
        if (!lines.empty() && lines.back().empty())
            lines.pop_back();
        return lines;
    }
    std::vector<std::string> lines;
    // The raw text keeps non-breaking spaces, which plain text would turn into spaces.
    const QString text = edit->document()->toRawText();
    qsizetype start = 0;
    for (qsizetype index = 0; index <= text.size(); ++index) {
        const bool atEnd = index == text.size();
        if (atEnd || text[index] == QChar::ParagraphSeparator || text[index] == QChar::LineSeparator
            || text[index] == QLatin1Char('\n')) {
            lines.push_back(QStringToEngineText(QStringView(text).mid(start, index - start)));
            start = index + 1;
        }
    }
    if (lines.back().empty())
        lines.pop_back();
    return lines;
}

bool TTextAreaFormControlObj::SubmissionItem(int index, std::string& text)
{
    // Lines are taken from the widget once per submission, at item 0.
    if (index == 0)
        submissionLines_ = CurrentLines();
    if (index < 0 || index >= static_cast<int>(submissionLines_.size()))
        return false;
    text = Pair(Name, submissionLines_[static_cast<std::size_t>(index)]);
    return true;
}

void TTextAreaFormControlObj::SizeFromCanvas(TCanvas& canvas)
{
    const QSize charSize = ExtentIn(canvas, font_, "A");
    const int scrollBar = ScrollBarExtent();
    const int horizontalBar = Wrap ? 0 : scrollBar;
    const QSize size = AroundClient(std::int64_t{charSize.width()} * Columns + 5 + scrollBar,
                                    std::int64_t{charSize.height()} * Rows + 5 + horizontalBar);
    Resize(size.width(), size.height());
}
