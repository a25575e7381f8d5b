#include "accessories/Pocket.h"
#include "engine/base/Cp1252.h"

#include "AccessoryTestSupport.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace {

const std::string kDivisionByZero = TCp1252Text("Division flottante par zéro");
const std::string kInvalidOperation = TCp1252Text("Opération flottante incorrecte");
const std::string kOverflow = TCp1252Text("Débordement flottant");

class PocketTest : public testing::Test {
protected:
    void SetUp() override { ShowActive(pocket); }

    std::string Keys(std::string_view keys)
    {
        Type(pocket, keys);
        return Display();
    }
    const std::string& Display() const { return pocket.Calculator().Display(); }
    std::string Clear() { return Keys("c"); }

    TRecordingErrorBox errorBox;
    TPocket pocket { errorBox };
};

TEST(PocketText, GeneralTextOfNumbers)
{
    EXPECT_EQ(FloatToText(0), "0");
    EXPECT_EQ(FloatToText(-0.0L), "0");
    EXPECT_EQ(FloatToText(1.5L), "1,5");
    EXPECT_EQ(FloatToText(-2500), "-2500");
    EXPECT_EQ(FloatToText(1.0L / 3), "0,333333333333333");
    EXPECT_EQ(FloatToText(2.0L / 3), "0,666666666666667");
    EXPECT_EQ(FloatToText(123456789012345.0L), "123456789012345");
    EXPECT_EQ(FloatToText(1e15L), "1E15");
    EXPECT_EQ(FloatToText(-1.5e20L), "-1,5E20");
    EXPECT_EQ(FloatToText(0.00001L), "0,00001");
    EXPECT_EQ(FloatToText(0.0000099999999999999999L), "0,00001"); // rounds up into fixed form
    EXPECT_EQ(FloatToText(1.5e-6L), "1,5E-6");
}

TEST(PocketText, ReadingNumbers)
{
    EXPECT_EQ(TextToFloat("1,5"), 1.5L);
    EXPECT_EQ(TextToFloat(" -2 "), -2.0L);
    EXPECT_EQ(TextToFloat("5,"), 5.0L);
    EXPECT_EQ(TextToFloat(",25"), 0.25L);
    EXPECT_EQ(TextToFloat("1,5E20"), 1.5e20L);
    EXPECT_EQ(TextToFloat("1E-7"), 1e-7L);
    for (const char* bad : { "", " ", ",", "5,,", "1,2,3", "1.5", "E5", "1E", "--1", "12a", "1E99999" })
        EXPECT_FALSE(TextToFloat(bad)) << bad;
    // Every general text reads back.
    for (long double value : { 1.0L / 3, -1.5e20L, 1.5e-6L, 123456789012345.0L })
        EXPECT_EQ(FloatToText(*TextToFloat(FloatToText(value))), FloatToText(value));
}

TEST(PocketText, ShortenedResultKeepsElevenDigitsFifteenCharactersAndTheIntegerPart)
{
    EXPECT_EQ(ShortenResult("0,333333333333333"), "0,33333333333");
    EXPECT_EQ(ShortenResult("0,300000000000182"), "0,3");
    EXPECT_EQ(ShortenResult("0,299999999999818"), "0,3");
    EXPECT_EQ(ShortenResult("0,99999999999999"), "1");
    EXPECT_EQ(ShortenResult("-1234567,89123456"), "-1234567,8912");
    EXPECT_EQ(ShortenResult("12345678901,5"), "12345678902");
    // Leading zeros of a small fraction do not count as digits, but as characters.
    EXPECT_EQ(ShortenResult("0,0123456789012345"), "0,012345678901");
    EXPECT_EQ(ShortenResult("-0,0000123456789012"), "-0,000012345679");
    // The integer part is never cut, even beyond fifteen characters.
    EXPECT_EQ(ShortenResult("-123456789012345"), "-123456789012345");
    EXPECT_EQ(ShortenResult("123456789012345,6"), "123456789012346");
    // Exponent forms keep their exponent.
    EXPECT_EQ(ShortenResult("-1,23456789012345E-20"), "-1,23456789E-20");
    EXPECT_EQ(ShortenResult("9,99999999999999E20"), "1E21");
    EXPECT_EQ(ShortenResult("1,5E20"), "1,5E20");
}

TEST_F(PocketTest, RepeatedEqualsAppliesThePendingOperatorAgain)
{
    EXPECT_EQ(Keys("7+="), "14");
    EXPECT_EQ(Keys("="), "28");
    Clear();
    EXPECT_EQ(Keys("7*="), "49");
    Clear();
    EXPECT_EQ(Keys("7-="), "0");
    Clear();
    EXPECT_EQ(Keys("2++"), "4");
    EXPECT_TRUE(errorBox.Messages.empty());
}

TEST_F(PocketTest, ChainsWorkLeftToRightWithoutPrecedence)
{
    EXPECT_EQ(Keys("2+3*4="), "20");
    Clear();
    EXPECT_EQ(Keys("10-4/3="), "2");
    Clear();
    EXPECT_EQ(Keys("1/3="), "0,33333333333");
}

TEST_F(PocketTest, EqualsOnAnEmptyDisplayLeavesNoAccumulator)
{
    EXPECT_EQ(Keys("="), "");
    EXPECT_FALSE(pocket.Calculator().AccumulatorSet());
    // Two commas as first number: dropped without a message.
    EXPECT_EQ(Keys("5,,="), "");
    EXPECT_FALSE(pocket.Calculator().AccumulatorSet());
    EXPECT_TRUE(errorBox.Messages.empty());
}

TEST_F(PocketTest, EntryAfterAResult)
{
    EXPECT_EQ(Keys("7+="), "14");
    EXPECT_EQ(Keys("3"), "3");
    EXPECT_EQ(Keys("="), "17");
    // A comma appends to the shown result; the next digit starts a new number.
    EXPECT_EQ(Keys(","), "17,");
    EXPECT_EQ(Keys("5"), "5");
    // "." types a comma.
    Clear();
    EXPECT_EQ(Keys("1.5+1,25="), "2,75");
}

TEST_F(PocketTest, ReciprocalAndSquareRoot)
{
    EXPECT_EQ(Keys("2+4x"), "0,25");
    EXPECT_EQ(Keys("="), "0,5");
    Clear();
    EXPECT_EQ(Keys("9s"), "3");
    Clear();
    // The function shows the full general text; "=" shows the stored value.
    EXPECT_EQ(Keys("3x"), "0,333333333333333");
    EXPECT_EQ(pocket.Calculator().PendingOperator(), '\0');
    EXPECT_EQ(Keys("="), "0,33333333333");
    Clear();
    EXPECT_EQ(Keys("2S"), "1,4142135623731");
}

TEST_F(PocketTest, ResultsGoThroughTheSixByteFormat)
{
    EXPECT_EQ(Keys("0,1+0,2="), "0,3");
    const long double expected = *RoundToReal48(*RoundToReal48(0.1L) + *RoundToReal48(0.2L));
    EXPECT_EQ(pocket.Calculator().Accumulator(), expected);
    EXPECT_NE(pocket.Calculator().Accumulator(), 0.3L);
    Clear();
    // About 12 digits are kept: the 15th digit typed is lost.
    Keys("1,00000000000001=");
    EXPECT_EQ(pocket.Calculator().Accumulator(), 1.0L);
}

TEST_F(PocketTest, DivisionByZeroKeepsTheState)
{
    Keys("5/0=");
    ASSERT_EQ(errorBox.Messages, std::vector<std::string> { kDivisionByZero });
    const TPocketCalculator& calculator = pocket.Calculator();
    EXPECT_EQ(calculator.Accumulator(), 5.0L);
    EXPECT_EQ(calculator.Operand(), 0.0L); // stored before the failing step
    EXPECT_EQ(calculator.PendingOperator(), '/');
    EXPECT_EQ(Display(), "0");
    // An operator whose "=" fails does not replace the pending one.
    Keys("+");
    EXPECT_EQ(calculator.PendingOperator(), '/');
    EXPECT_EQ(errorBox.Messages.size(), 2u);

    Clear();
    Keys("3+0x");
    EXPECT_EQ(errorBox.Messages.back(), kDivisionByZero);
    EXPECT_EQ(calculator.Accumulator(), 3.0L);
    EXPECT_EQ(Display(), "0");
}

TEST_F(PocketTest, InvalidOperations)
{
    Keys("0/0=");
    EXPECT_EQ(errorBox.Messages.back(), kInvalidOperation);
    EXPECT_EQ(pocket.Calculator().Accumulator(), 0.0L);
    Clear();
    Keys("3-5=");
    EXPECT_EQ(Display(), "-2");
    Keys("s");
    EXPECT_EQ(errorBox.Messages.back(), kInvalidOperation);
    EXPECT_EQ(Display(), "-2");
    EXPECT_EQ(pocket.Calculator().Accumulator(), -2.0L);
    EXPECT_EQ(errorBox.Messages.size(), 2u);
}

TEST_F(PocketTest, OverflowKeepsTheLastStoredResult)
{
    EXPECT_EQ(Keys("10000000000*="), "1E20");
    Keys("=");
    ASSERT_EQ(errorBox.Messages, std::vector<std::string> { kOverflow });
    EXPECT_EQ(pocket.Calculator().Accumulator(), *RoundToReal48(1e20L));
    EXPECT_EQ(Display(), "1E20");

    // 4E-39 is stored, its reciprocal is not.
    Clear();
    const std::string tiny = "0," + std::string(38, '0') + "4";
    Keys(tiny + "x");
    EXPECT_EQ(errorBox.Messages.back(), kOverflow);
    EXPECT_EQ(Display(), tiny);
    EXPECT_FALSE(pocket.Calculator().AccumulatorSet());
}

TEST_F(PocketTest, TextThatIsNotANumber)
{
    Keys("5+,,=");
    ASSERT_EQ(errorBox.Messages, std::vector<std::string> { "'5,,' n'est pas une valeur flottante correcte" });
    EXPECT_EQ(Display(), "5,,");
    EXPECT_EQ(pocket.Calculator().Accumulator(), 5.0L);
    Clear();
    Keys("x");
    EXPECT_EQ(errorBox.Messages.back(), "'' n'est pas une valeur flottante correcte");
    EXPECT_FALSE(pocket.Calculator().AccumulatorSet());
}

TEST_F(PocketTest, KeysFocusAndActivation)
{
    // "=" has the focus, so Enter presses it.
    Keys("7+");
    PressKey(pocket, Qt::Key_Return);
    EXPECT_EQ(Display(), "14");
    EXPECT_EQ(pocket.findChild<QLabel*>()->text(), QStringLiteral("14"));
    EXPECT_EQ(Keys("C"), "");
    EXPECT_FALSE(pocket.Calculator().AccumulatorSet());

    // Coming back from the error box or another program keeps the calculation.
    Keys("12+3");
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&pocket, &activate);
    EXPECT_EQ(Display(), "3");
    PressKey(pocket, Qt::Key_Escape);
    EXPECT_FALSE(pocket.isVisible());
    // Every opening starts afresh.
    ShowActive(pocket);
    EXPECT_EQ(Display(), "");
    EXPECT_EQ(pocket.Calculator().PendingOperator(), '\0');
    EXPECT_EQ(Keys("4="), "4");
}

} // namespace
