#include "engine/FormControls.h"

#include "engine/Canvas.h"
#include "engine/Cp1252.h"
#include "engine/HtmlForm.h"
#include "engine/Lexer.h"
#include "engine/SectionList.h"
#include "engine/Symbols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextCursor>

#include <algorithm>
#include <charconv>
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
    return attribute && attribute->Value > 0 ? attribute->Value : fallback;
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

// Tells the viewer when a control's widget gains the focus, and lets the
// document settle its unplaced widgets when the focus goes.
class TFocusWatcher : public QObject {
public:
    TFocusWatcher(TFormControlObj& control, QWidget* widget) : QObject(widget), control_(control)
    {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool focusIn = event->type() == QEvent::FocusIn;
        if ((focusIn || event->type() == QEvent::FocusOut) && IsInPage()) {
            TSectionList& document = *control_.Owner;
            if (!focusIn) {
                document.HideUnplacedControls();
            } else {
                if (document.FormFocusHandler)
                    document.FormFocusHandler(control_);
                document.ParkUnplacedControls();
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Freeing a page moves the focus between its widgets after the page has
    // let go of its controls; those moves concern nobody.
    bool IsInPage() const
    {
        const auto& controls = control_.Owner->FormControlList;
        return std::find(controls.begin(), controls.end(), &control_) != controls.end();
    }

    TFormControlObj& control_;
};

// Puts a new widget on the drawing surface, out of sight above it until its
// line is painted, and watches the focus of the widget that takes it.
void InstallWidget(TFormControlObj& control, QWidget* widget)
{
    control.Widget = widget;
    widget->move(0, TFormControlObj::kUnplacedTop);
    new TFocusWatcher(control, control.FocusWidget());
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
        return size->Value;
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
    return width;
}

// Qt takes "&" in a caption as a mnemonic mark; the page's text shows as written.
QString CaptionText(std::string_view caption)
{
    return Cp1252ToQString(caption).replace(QLatin1Char('&'), QLatin1String("&&"));
}

// The widget size that gives the client size inside the widget's frame.
QSize AroundClient(const QFrame& frame, std::int64_t clientWidth, std::int64_t clientHeight)
{
    const int border = 2 * frame.frameWidth();
    return {WidgetExtent(clientWidth + border), WidgetExtent(clientHeight + border)};
}

}  // namespace

// ---------------------------------------------------------------------------
// Single-line box

TEditFormControlObj::TEditFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                         const TAttributeList& attributes, TEcho echo)
    : TFormControlObj(&owner, &form, position), WidthInChars(EditWidthInChars(attributes)), font_(ControlFont(owner))
{
    ReadValueAndName(*this, attributes);
    auto* edit = new QLineEdit(owner.PaintPanel);
    edit->resize(kStartWidth, kStartHeight);
    edit->setFont(WidgetFont(font_));
    const int maxLength = PositiveNumber(attributes, TSymbol::MaxLength, 0);
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    if (echo == TEcho::Password) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    }
    edit->setText(Cp1252ToQString(Value));
    QObject::connect(edit, &QLineEdit::returnPressed, edit, [this] { Form->EnterPressed(); });
    InstallWidget(*this, edit);
}

QLineEdit* TEditFormControlObj::Edit() const
{
    return static_cast<QLineEdit*>(Widget.data());
}

void TEditFormControlObj::ResetToValue()
{
    if (QLineEdit* edit = Edit())
        edit->setText(Cp1252ToQString(Value));
}

bool TEditFormControlObj::SubmissionItem(int index, std::string& text)
{
    const QLineEdit* edit = Edit();
    if (index != 0 || !edit)
        return false;
    text = Pair(Name, QStringToCp1252(edit->text()));
    return true;
}

void TEditFormControlObj::SizeFromCanvas(TCanvas& canvas)
{
    if (QLineEdit* edit = Edit()) {
        const int charWidth = ExtentIn(canvas, font_, "A").width();
        edit->resize(WidgetExtent(std::int64_t{charWidth} * WidthInChars + 5), edit->height());
    }
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
    auto* button = new QPushButton(CaptionText(caption_), owner.PaintPanel);
    button->setFont(WidgetFont(font_));
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [this] { Click(); });
    InstallWidget(*this, button);
}

QPushButton* TButtonFormControlObj::Button() const
{
    return static_cast<QPushButton*>(Widget.data());
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
    if (QPushButton* button = Button()) {
        const int height = ExtentIn(canvas, font_, "A").height() + 8;
        const int width = ExtentIn(canvas, font_, caption_).width() + 20;
        button->resize(width, height);
    }
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
    auto* checkBox = new QCheckBox(owner.PaintPanel);
    checkBox->resize(kSize, kSize);
    checkBox->setChecked(InitiallyChecked);
    QObject::connect(checkBox, &QCheckBox::clicked, checkBox, [this] { ReportObjectClick(*this, OnClickText); });
    InstallWidget(*this, checkBox);
}

QCheckBox* TCheckBoxFormControlObj::CheckBox() const
{
    return static_cast<QCheckBox*>(Widget.data());
}

void TCheckBoxFormControlObj::ResetToValue()
{
    if (QCheckBox* checkBox = CheckBox())
        checkBox->setChecked(InitiallyChecked);
}

bool TCheckBoxFormControlObj::SubmissionItem(int index, std::string& text)
{
    const QCheckBox* checkBox = CheckBox();
    if (index != 0 || !checkBox)
        return false;
    text = checkBox->isChecked() ? Pair(Name, Value) : std::string();
    return true;
}

// ---------------------------------------------------------------------------
// Radio button

TRadioButtonFormControlObj::TRadioButtonFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                                       const TAttributeList& attributes, TCell* cell)
    : TFormControlObj(&owner, &form, position), InitiallyChecked(HasAttribute(attributes, TSymbol::Checked)),
      OnClickText(AttributeText(attributes, TSymbol::OnClick)), Cell(cell)
{
    ReadValueAndName(*this, attributes);
    SitsOnBaseline = true;
    PanelTakesBackground = true;
    auto* panel = new QFrame(owner.PaintPanel);
    panel->setFrameShape(QFrame::NoFrame);
    panel->resize(kPanelWidth, kPanelHeight);
    auto* button = new QRadioButton(panel);
    button->setGeometry(0, 0, kPanelWidth, kPanelHeight);
    // Groups are the form's business (by name), not the parent widget's.
    button->setAutoExclusive(false);
    button->setChecked(InitiallyChecked);
    QObject::connect(button, &QRadioButton::clicked, button, [this] { Clicked(); });
    InstallWidget(*this, panel);
}

QRadioButton* TRadioButtonFormControlObj::RadioButton() const
{
    return Widget ? Widget->findChild<QRadioButton*>() : nullptr;
}

QWidget* TRadioButtonFormControlObj::FocusWidget() const
{
    return RadioButton();
}

bool TRadioButtonFormControlObj::IsChecked() const
{
    const QRadioButton* button = RadioButton();
    return button && button->isChecked();
}

void TRadioButtonFormControlObj::SetChecked(bool checked)
{
    if (QRadioButton* button = RadioButton())
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
    if (index != 0 || !RadioButton())
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
                                               const TAttributeList& attributes, TNoListWidget)
    : TFormControlObj(&owner, &form, position), Multiple(HasAttribute(attributes, TSymbol::Multiple)),
      Rows(PositiveNumber(attributes, TSymbol::Size, 0)), font_(ControlFont(owner))
{
    ReadValueAndName(*this, attributes);
}

TListBoxFormControlObj::TListBoxFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                               const TAttributeList& attributes)
    : TListBoxFormControlObj(owner, form, position, attributes, TNoListWidget{})
{
    auto* list = new QListWidget(owner.PaintPanel);
    list->setFont(WidgetFont(font_));
    list->setSelectionMode(Multiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    InstallWidget(*this, list);
}

void TListBoxFormControlObj::AddOption(std::string_view value, bool selected, std::string_view text)
{
    if (text.empty())
        return;
    options_.push_back({std::string(text), {std::string(value), selected}});
    WidthInChars = std::max(WidthInChars, static_cast<int>(std::min<std::size_t>(text.size(), QWIDGETSIZE_MAX)));
}

int TListBoxFormControlObj::VisibleRows() const
{
    if (Rows > 0)
        return Rows;
    return std::clamp(static_cast<int>(options_.size()), 1, kMaxAutomaticRows);
}

QListWidget* TListBoxFormControlObj::ListWidget() const
{
    return qobject_cast<QListWidget*>(Widget.data());
}

int TListBoxFormControlObj::InitialCurrent() const
{
    for (int index = static_cast<int>(options_.size()) - 1; index >= 0; --index)
        if (options_[static_cast<std::size_t>(index)].Object.Selected)
            return index;
    return options_.empty() ? -1 : 0;
}

std::string TListBoxFormControlObj::OptionPair(int index) const
{
    const TOption& option = options_[static_cast<std::size_t>(index)];
    return Pair(Name, option.Object.Value.empty() ? option.Text : option.Object.Value);
}

void TListBoxFormControlObj::ResetToValue()
{
    QListWidget* list = ListWidget();
    if (!list)
        return;
    list->clear();
    for (const TOption& option : options_)
        list->addItem(Cp1252ToQString(option.Text));
    if (Multiple) {
        for (std::size_t index = 0; index < options_.size(); ++index)
            list->item(static_cast<int>(index))->setSelected(options_[index].Object.Selected);
        // The first option takes the caret without being selected.
        if (!options_.empty())
            list->selectionModel()->setCurrentIndex(list->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    } else if (!options_.empty()) {
        list->setCurrentRow(InitialCurrent());
    }
    list->scrollToTop();
}

bool TListBoxFormControlObj::SubmissionItem(int index, std::string& text)
{
    const QListWidget* list = ListWidget();
    if (!list || index < 0 || index >= static_cast<int>(options_.size()))
        return false;
    const QListWidgetItem* item = list->item(index);
    const bool chosen = Multiple ? item && item->isSelected() : list->currentRow() == index;
    text = chosen ? OptionPair(index) : std::string();
    return true;
}

void TListBoxFormControlObj::SizeFromCanvas(TCanvas& canvas)
{
    if (QListWidget* list = ListWidget()) {
        const QSize charSize = ExtentIn(canvas, font_, "A");
        list->resize(AroundClient(*list, std::int64_t{charSize.width()} * WidthInChars + 15,
                                  std::int64_t{charSize.height()} * VisibleRows()));
    }
}

// ---------------------------------------------------------------------------
// Drop-down list

TComboFormControlObj::TComboFormControlObj(TSectionList& owner, ThtmlForm& form, int position,
                                           const TAttributeList& attributes)
    : TListBoxFormControlObj(owner, form, position, attributes, TNoListWidget{}), screenFont_(ScreenFont(owner))
{
    auto* combo = new TLazyPopupComboBox(owner.PaintPanel, WidgetFont(font_));
    InstallWidget(*this, combo);
}

QComboBox* TComboFormControlObj::ComboBox() const
{
    return qobject_cast<QComboBox*>(Widget.data());
}

void TComboFormControlObj::ResetToValue()
{
    QComboBox* combo = ComboBox();
    if (!combo)
        return;
    combo->clear();
    for (const TOption& option : Options())
        combo->addItem(Cp1252ToQString(option.Text));
    combo->setCurrentIndex(InitialCurrent());
}

bool TComboFormControlObj::SubmissionItem(int index, std::string& text)
{
    const QComboBox* combo = ComboBox();
    if (!combo || index < 0 || index >= static_cast<int>(Options().size()))
        return false;
    text = combo->currentIndex() == index ? OptionPair(index) : std::string();
    return true;
}

void TComboFormControlObj::SizeFromCanvas(TCanvas& canvas)
{
    if (QComboBox* combo = ComboBox()) {
        const int charWidth = ExtentIn(canvas, screenFont_, "A").width();
        combo->resize(WidgetExtent(std::int64_t{charWidth} * WidthInChars + 30), combo->sizeHint().height());
    }
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
    auto* edit = new QPlainTextEdit(owner.PaintPanel);
    edit->setFont(WidgetFont(font_));
    edit->setLineWrapMode(Wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setHorizontalScrollBarPolicy(Wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    InstallWidget(*this, edit);
}

QPlainTextEdit* TTextAreaFormControlObj::TextEdit() const
{
    return qobject_cast<QPlainTextEdit*>(Widget.data());
}

void TTextAreaFormControlObj::ReadBody(THtmlLexer& lexer)
{
    std::string line;
    for (TSymbol symbol = lexer.NextTextAreaSymbol(); symbol != TSymbol::TextAreaEnd && symbol != TSymbol::EndOfInput;
         symbol = lexer.NextTextAreaSymbol()) {
        if (symbol == TSymbol::LineEnd) {
            InitialLines.push_back(std::move(line));
            line.clear();
        } else {
            // Text, entities and unknown tags such as "<b" are all kept as text.
            line += lexer.TokenText();
        }
    }
    // The end tag may carry anything before its ">".
    while (!lexer.AtEnd() && lexer.CurrentChar() != '>')
        lexer.NextChar();
    if (!lexer.AtEnd())
        lexer.NextChar();
    if (!line.empty())
        InitialLines.push_back(std::move(line));
    ResetToValue();
}

void TTextAreaFormControlObj::ResetToValue()
{
    QPlainTextEdit* edit = TextEdit();
    if (!edit)
        return;
    QString text;
    for (std::size_t index = 0; index < InitialLines.size(); ++index) {
        if (index > 0)
            text += QLatin1Char('\n');
        text += Cp1252ToQString(InitialLines[index]);
    }
    edit->setPlainText(text);
    QTextCursor cursor = edit->textCursor();
    cursor.movePosition(QTextCursor::Start);
    edit->setTextCursor(cursor);
}

std::vector<std::string> TTextAreaFormControlObj::CurrentLines() const
{
    std::vector<std::string> lines;
    const QPlainTextEdit* edit = TextEdit();
    if (!edit)
        return lines;
    // The raw text keeps non-breaking spaces, which plain text would turn into spaces.
    const QString text = edit->document()->toRawText();
    qsizetype start = 0;
    for (qsizetype index = 0; index <= text.size(); ++index) {
        const bool atEnd = index == text.size();
        if (atEnd || text[index] == QChar::ParagraphSeparator || text[index] == QChar::LineSeparator
            || text[index] == QLatin1Char('\n')) {
            lines.push_back(QStringToCp1252(QStringView(text).mid(start, index - start)));
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
    QPlainTextEdit* edit = TextEdit();
    if (!edit)
        return;
    const QSize charSize = ExtentIn(canvas, font_, "A");
    const int scrollBar = edit->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, edit);
    const int horizontalBar = Wrap ? 0 : scrollBar;
    edit->resize(AroundClient(*edit, std::int64_t{charSize.width()} * Columns + 5 + scrollBar,
                              std::int64_t{charSize.height()} * Rows + 5 + horizontalBar));
}
