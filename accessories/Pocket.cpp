#include "accessories/Pocket.h"

#include "accessories/WindowColors.h"
#include "engine/base/Cp1252.h"
#include "engine/base/ErrorBox.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace {

// Interface texts (Windows-1252).
constexpr char kCaption[] = "Calculatrice";
constexpr char kCloseCaption[] = "Fermer";
constexpr TCp1252Text kDivisionByZero("Division flottante par zéro");
constexpr TCp1252Text kInvalidOperation("Opération flottante incorrecte");
constexpr TCp1252Text kOverflow("Débordement flottant");
constexpr char kNotANumberStart[] = "'";
constexpr char kNotANumberEnd[] = "' n'est pas une valeur flottante correcte";

constexpr int kGeneralDigits = 15;      // significant digits of the general text
constexpr int kShownDigits = 11;        // significant digits a shown result keeps
constexpr std::size_t kShownLength = 15; // characters a shown result keeps

// Window geometry, in pixels.
constexpr int kClientWidth = 260;
constexpr int kClientHeight = 215;
constexpr int kPanelHeight = 49;
constexpr int kDisplayWidth = 185;
constexpr int kDisplayHeight = 41;
constexpr int kButtonWidth = 34;
constexpr int kButtonHeight = 33;
constexpr int kCloseWidth = 74;
constexpr int kMargin = 8;
constexpr int kColumnStep = 40;
constexpr int kRowStep = 39;
constexpr int kSetApartGap = 10; // the function column and "Fermer" stand apart

TReal48 Store(long double value)
{
    const std::optional<TReal48> real = EncodeReal48(value);
    if (!real)
        throw EMathError(kOverflow.c_str());
    return *real;
}

long double Divide(long double dividend, long double divisor)
{
    if (divisor == 0)
        throw EMathError(std::string(dividend == 0 ? kInvalidOperation.View() : kDivisionByZero.View()));
    return dividend / divisor;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Adds one unit at the last digit of a digit string, carrying to the left.
std::string RoundUp(std::string digits)
{
    for (auto position = digits.rbegin(); position != digits.rend(); ++position) {
        if (*position != '9') {
            ++*position;
            return digits;
        }
        *position = '0';
    }
    return '1' + digits;
}

} // namespace

std::string FloatToText(long double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // "-d.ddddddddddddddde+XX": the 15 significant digits, rounded to nearest.
    char buffer[64];
    const auto written = std::to_chars(std::begin(buffer), std::end(buffer), value, std::chars_format::scientific,
                                       kGeneralDigits - 1);
    const std::string_view scientific(buffer, written.ptr - buffer);
    const bool negative = scientific.front() == '-';
    const std::size_t exponentMark = scientific.find('e');
    std::string digits;
    for (char c : scientific.substr(0, exponentMark))
        if (IsDigit(c))
            digits += c;
    int exponent = 0;
    std::string_view exponentText = scientific.substr(exponentMark + 1);
    if (exponentText.front() == '+')
        exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string text = negative ? "-" : "";
    if (exponent >= -5 && exponent < kGeneralDigits) {
        if (exponent < 0) {
            text += "0," + std::string(-exponent - 1, '0') + digits;
        } else {
            const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= integerDigits)
                text += digits + std::string(integerDigits - digits.size(), '0');
            else
                text += digits.substr(0, integerDigits) + ',' + digits.substr(integerDigits);
        }
    } else {
        text += digits.substr(0, 1);
        if (digits.size() > 1)
            text += ',' + digits.substr(1);
        text += 'E' + std::to_string(exponent);
    }
    return text;
}

std::optional<long double> TextToFloat(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);

    // [sign] digits [, digits] [E [sign] digits], with at least one digit
    // before the exponent.
    std::string normal;
    std::size_t position = 0;
    const auto takeDigits = [&] {
        const std::size_t start = position;
        while (position < text.size() && IsDigit(text[position]))
            normal += text[position++];
        return position - start;
    };
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        if (text[position] == '-')
            normal += '-';
        ++position;
    }
    std::size_t mantissaDigits = takeDigits();
    if (position < text.size() && text[position] == ',') {
        normal += '.';
        ++position;
        mantissaDigits += takeDigits();
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (position < text.size() && (text[position] == 'E' || text[position] == 'e')) {
        normal += 'e';
        ++position;
        if (position < text.size() && (text[position] == '+' || text[position] == '-'))
            normal += text[position++];
        if (takeDigits() == 0)
            return std::nullopt;
    }
    if (position != text.size())
        return std::nullopt;

    long double value = 0;
    const auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (error != std::errc() || end != normal.data() + normal.size())
        return std::nullopt;
    return value;
}

std::string ShortenResult(std::string_view generalText)
{
    std::string_view mantissa = generalText;
    std::string exponentText;
    if (const std::size_t mark = mantissa.find('E'); mark != std::string_view::npos) {
        exponentText = std::string(mantissa.substr(mark + 1));
        mantissa = mantissa.substr(0, mark);
    }
    const bool negative = !mantissa.empty() && mantissa.front() == '-';
    if (negative)
        mantissa.remove_prefix(1);
    const std::size_t comma = mantissa.find(',');
    if (comma == std::string_view::npos)
        return std::string(generalText);
    const std::string_view integerPart = mantissa.substr(0, comma);
    const std::string_view fraction = mantissa.substr(comma + 1);

    // How many fraction digits may stay: the significant-digit budget (leading
    // zeros of a fraction below 1 do not count) and the length budget.
    const bool integerIsZero = integerPart.find_first_not_of('0') == std::string_view::npos;
    std::size_t bySignificance = 0;
    if (integerIsZero) {
        const std::size_t leadingZeros = std::min(fraction.find_first_not_of('0'), fraction.size());
        bySignificance = leadingZeros + kShownDigits;
    } else if (integerPart.size() < kShownDigits) {
        bySignificance = kShownDigits - integerPart.size();
    }
    const std::size_t exponentLength = exponentText.empty() ? 0 : 1 + exponentText.size();
    const std::size_t fixedLength = (negative ? 1 : 0) + integerPart.size() + 1 + exponentLength; // 1 for the comma
    const std::size_t byLength = fixedLength < kShownLength ? kShownLength - fixedLength : 0;
    const std::size_t kept = std::min({ fraction.size(), bySignificance, byLength });

    std::string digits = std::string(integerPart) + std::string(fraction.substr(0, kept));
    if (kept < fraction.size() && fraction[kept] >= '5')
        digits = RoundUp(digits);
    std::string newInteger = digits.substr(0, digits.size() - kept);
    std::string newFraction = digits.substr(digits.size() - kept);
    while (!newFraction.empty() && newFraction.back() == '0')
        newFraction.pop_back();
    if (!exponentText.empty() && newInteger == "10") { // 9,99..E5 rounded to 1E6
        newInteger = "1";
        exponentText = std::to_string(std::stoi(exponentText) + 1);
    }

    std::string text = negative && (newInteger != "0" || !newFraction.empty()) ? "-" : "";
    text += newInteger;
    if (!newFraction.empty())
        text += ',' + newFraction;
    if (!exponentText.empty())
        text += 'E' + exponentText;
    return text;
}

void TPocketCalculator::Clear()
{
    mDisplay.clear();
    mAccumulator = {};
    mOperand = {};
    mAccumulatorSet = false;
    mPendingOperator = '\0';
}

void TPocketCalculator::Digit(char digit)
{
    if (mNewEntry)
        mDisplay.clear();
    mDisplay += digit;
    mNewEntry = false;
}

void TPocketCalculator::Comma() { mDisplay += ','; }

void TPocketCalculator::Equals()
{
    if (!mAccumulatorSet) {
        const std::optional<long double> value = TextToFloat(mDisplay);
        if (!value) {
            mDisplay.clear();
            return;
        }
        mAccumulator = Store(*value);
        mAccumulatorSet = true;
        mNewEntry = true;
        return;
    }
    mOperand = Store(DisplayValue());
    const long double accumulator = Accumulator();
    const long double operand = Operand();
    long double result = accumulator;
    switch (mPendingOperator) {
    case '+': result = accumulator + operand; break;
    case '-': result = accumulator - operand; break;
    case '*': result = accumulator * operand; break;
    case '/': result = Divide(accumulator, operand); break;
    default: break;
    }
    mAccumulator = Store(result);
    ShowAccumulator();
    mNewEntry = true;
}

void TPocketCalculator::Operator(char operation)
{
    Equals();
    mPendingOperator = operation;
}

void TPocketCalculator::Reciprocal()
{
    mOperand = Store(DisplayValue());
    ShowFunctionResult(Divide(1, Operand()));
}

void TPocketCalculator::SquareRoot()
{
    mOperand = Store(DisplayValue());
    const long double operand = Operand();
    if (operand < 0)
        throw EMathError(kInvalidOperation.c_str());
    ShowFunctionResult(std::sqrt(operand));
}

long double TPocketCalculator::DisplayValue() const
{
    const std::optional<long double> value = TextToFloat(mDisplay);
    if (!value)
        throw EMathError(kNotANumberStart + mDisplay + kNotANumberEnd);
    return *value;
}

void TPocketCalculator::ShowAccumulator()
{
    // The product by 1000 and then 0.001 nudges the last binary digits of the
    // value before it is written out.
    mDisplay = ShortenResult(FloatToText(Accumulator() * 1000.0L * 0.001L));
}

void TPocketCalculator::ShowFunctionResult(long double value)
{
    // Stored first, so that an overflow leaves the display as it was.
    mAccumulator = Store(value);
    mDisplay = FloatToText(value);
    mAccumulatorSet = true;
    mNewEntry = true;
}

TPocket::TPocket(TErrorBox& errorBox, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint)
    , mErrorBox(errorBox)
{
    setWindowTitle(Cp1252ToQString(kCaption));
    setFixedSize(kClientWidth, kClientHeight);
    SetBackground(this, clTeal);

    auto* panel = new QFrame(this);
    panel->setGeometry(0, 0, kClientWidth, kPanelHeight);
    SetBackground(panel, clWhite);
    auto* redBar = new QFrame(panel);
    redBar->setGeometry(kMargin, kPanelHeight / 2 - 6, 40, 12);
    SetBackground(redBar, clRed);

    mDisplayLabel = new QLabel(panel);
    mDisplayLabel->setGeometry(kClientWidth - kMargin - kDisplayWidth, (kPanelHeight - kDisplayHeight) / 2, kDisplayWidth,
                               kDisplayHeight);
    mDisplayLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    mDisplayLabel->setLineWidth(2);
    mDisplayLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    mDisplayLabel->setMargin(4);
    QFont displayFont(QStringLiteral("Arial"));
    displayFont.setPixelSize(18);
    displayFont.setBold(true);
    mDisplayLabel->setFont(displayFont);
    SetBackground(mDisplayLabel, clNavy);
    SetTextColor(mDisplayLabel, clYellow);

    for (int digit = 0; digit <= 9; ++digit) {
        const int column = digit == 0 ? 1 : (digit - 1) % 3;
        const int row = digit == 0 ? 3 : 2 - (digit - 1) / 3;
        const char text[] = { static_cast<char>('0' + digit), '\0' };
        mDigitButtons[digit] = AddButton(text, column, row, [this, key = text[0]] { mCalculator.Digit(key); });
    }
    mCommaButton = AddButton(",", 0, 3, [this] { mCalculator.Comma(); });
    mEqualsButton = AddButton("=", 2, 3, [this] { mCalculator.Equals(); });
    mPlusButton = AddButton("+", 3, 0, [this] { mCalculator.Operator('+'); });
    mMinusButton = AddButton("-", 3, 1, [this] { mCalculator.Operator('-'); });
    mTimesButton = AddButton("*", 3, 2, [this] { mCalculator.Operator('*'); });
    mDivideButton = AddButton("/", 3, 3, [this] { mCalculator.Operator('/'); });
    mReciprocalButton = AddButton("1/x", 4, 0, [this] { mCalculator.Reciprocal(); });
    mSquareRootButton = AddButton("sqr", 4, 1, [this] { mCalculator.SquareRoot(); });
    mClearButton = AddButton("C", 4, 2, [this] { mCalculator.Clear(); });

    auto* closeButton = new QPushButton(Cp1252ToQString(kCloseCaption), this);
    closeButton->setGeometry(kMargin + 4 * kColumnStep + kSetApartGap, kPanelHeight + kMargin + 3 * kRowStep, kCloseWidth,
                             kButtonHeight);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

QPushButton* TPocket::AddButton(const char* caption, int column, int row, const std::function<void()>& key)
{
    auto* button = new QPushButton(Cp1252ToQString(caption), this);
    const int setApart = column == 4 ? kSetApartGap : 0;
    button->setGeometry(kMargin + column * kColumnStep + setApart, kPanelHeight + kMargin + row * kRowStep, kButtonWidth,
                        kButtonHeight);
    connect(button, &QPushButton::clicked, this, [this, key] { Press(key); });
    return button;
}

void TPocket::Press(const std::function<void()>& key)
{
    try {
        key();
    } catch (const EMathError& error) {
        mErrorBox.ShowError(error.what());
    }
    mDisplayLabel->setText(Cp1252ToQString(mCalculator.Display()));
}

void TPocket::FormActivate()
{
    mCalculator.Clear();
    mDisplayLabel->setText(QString());
    mEqualsButton->setFocus();
}

QPushButton* TPocket::ButtonForKey(QChar key) const
{
    if (key >= u'0' && key <= u'9')
        return mDigitButtons[key.unicode() - u'0'];
    switch (key.unicode()) {
    case u',':
    case u'.': return mCommaButton;
    case u'=': return mEqualsButton;
    case u'+': return mPlusButton;
    case u'-': return mMinusButton;
    case u'*': return mTimesButton;
    case u'/': return mDivideButton;
    case u'C':
    case u'c': return mClearButton;
    case u'S':
    case u's': return mSquareRootButton;
    case u'X':
    case u'x': return mReciprocalButton;
    default: return nullptr;
    }
}

void TPocket::showEvent(QShowEvent* event)
{
    FormActivate();
    QDialog::showEvent(event);
}

// The buttons leave character keys to the window, so a key works wherever the
// focus is in it.
void TPocket::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    if (text.size() == 1) {
        if (QPushButton* button = ButtonForKey(text.front())) {
            button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}
