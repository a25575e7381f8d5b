#pragma once
// The pocket calculator "Calculatrice": chains of the four operations worked
// strictly from left to right, reciprocal and square root, with a decimal comma.

#include <QDialog>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "accessories/Real48.h"

class QLabel;
class QPushButton;
class TErrorBox;

// The general text of a number: at most 15 significant digits, trailing zeros
// dropped, decimal comma; the exponent form ("1,5E20", "1E-7") when the value
// is below 0,00001 or has more than 15 integer digits.
std::string FloatToText(long double value);

// The number a text writes in the form FloatToText gives (surrounding spaces and a
// sign allowed); none for any other text or one beyond the long double range.
std::optional<long double> TextToFloat(std::string_view text);

// The shown result: FloatToText's text rounded after the decimal comma to at
// most 11 significant digits and at most 15 characters. Only the fraction is
// cut, never the integer part (a rounding carry may still raise it: 0,99999999999999
// shows 1). The accumulator keeps about 12 digits, so the general text's last
// digits are noise of the binary storage; 11 digits give back every number of up
// to 11 digits exactly as it was typed.
std::string ShortenResult(std::string_view generalText);

// An arithmetic failure, with the message the error box shows (Windows-1252).
class EMathError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The calculator's state and keys without the window. A key that fails throws
// EMathError and leaves the state as stored before the failing step.
class TPocketCalculator {
public:
    const std::string& Display() const { return mDisplay; }
    long double Accumulator() const { return DecodeReal48(mAccumulator); }
    long double Operand() const { return DecodeReal48(mOperand); }
    bool AccumulatorSet() const { return mAccumulatorSet; }
    char PendingOperator() const { return mPendingOperator; } // '\0' for none
    bool NewEntry() const { return mNewEntry; }

    // Activation and "C": everything but the new-entry flag starts again.
    void Clear();
    void Digit(char digit);
    void Comma();
    void Equals();
    void Operator(char operation); // '+', '-', '*' or '/'
    void Reciprocal();
    void SquareRoot();

private:
    long double DisplayValue() const;
    void ShowAccumulator();
    void ShowFunctionResult(long double value);

    std::string mDisplay;
    TReal48 mAccumulator {};
    TReal48 mOperand {};
    bool mAccumulatorSet = false;
    char mPendingOperator = '\0';
    bool mNewEntry = false;
};

class TPocket : public QDialog {
    Q_OBJECT
public:
    explicit TPocket(TErrorBox& errorBox, QWidget* parent = nullptr);

    const TPocketCalculator& Calculator() const { return mCalculator; }

    // Every opening starts a new calculation with the focus on "=". The
    // window is modal, so opening is its only activation: coming back from
    // its error box or from another program keeps the calculation.
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* AddButton(const char* caption, int column, int row, const std::function<void()>& key);
    QPushButton* ButtonForKey(QChar key) const;
    // Runs one key on the calculator and shows its failure, if any.
    void Press(const std::function<void()>& key);

    TErrorBox& mErrorBox;
    TPocketCalculator mCalculator;
    QLabel* mDisplayLabel = nullptr;
    QPushButton* mDigitButtons[10] {};
    QPushButton* mCommaButton = nullptr;
    QPushButton* mEqualsButton = nullptr;
    QPushButton* mPlusButton = nullptr;
    QPushButton* mMinusButton = nullptr;
    QPushButton* mTimesButton = nullptr;
    QPushButton* mDivideButton = nullptr;
    QPushButton* mReciprocalButton = nullptr;
    QPushButton* mSquareRootButton = nullptr;
    QPushButton* mClearButton = nullptr;
};
