#include "platform/base/Errors.h"
#include "platform/runtime/Numbers.h"

#include "tests/support/ErrorCapture.h"

#include <QLocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace rt;
using fixtures::errorNumberOf;

TEST(CInt, RoundsHalvesToEven) {
    EXPECT_EQ(CInt(0.5), 0);
    EXPECT_EQ(CInt(1.5), 2);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(-0.5), 0);
    EXPECT_EQ(CInt(-1.5), -2);
    EXPECT_EQ(CInt(2.5000001), 3);
    EXPECT_EQ(CInt(-2.4999), -2);
}

TEST(CInt, OverflowsAtTheSixteenBitEdges) {
    EXPECT_EQ(CInt(32766.5), 32766);
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(errorNumberOf([] { CInt(32767.5); }), kOverflow);
    EXPECT_EQ(CInt(-32768.5), -32768);
    EXPECT_EQ(errorNumberOf([] { CInt(-32769.5); }), kOverflow);
    EXPECT_EQ(errorNumberOf([] { CInt(-32768.51); }), kOverflow);
    EXPECT_EQ(errorNumberOf([] { CInt(std::nan("")); }), kOverflow);
    EXPECT_EQ(errorNumberOf([] { CInt(std::numeric_limits<double>::infinity()); }), kOverflow);
}

TEST(CLng, OverflowsAtTheThirtyTwoBitEdges) {
    EXPECT_EQ(CLng(2147483646.5), 2147483646);
    EXPECT_EQ(errorNumberOf([] { CLng(2147483647.5); }), kOverflow);
    EXPECT_EQ(CLng(-2147483648.5), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(errorNumberOf([] { CLng(-2147483649.5); }), kOverflow);
    EXPECT_EQ(errorNumberOf([] { CLng(1e300); }), kOverflow);
    EXPECT_EQ(CLng(3.5), 4);
}

TEST(Int, TakesTheFloor) {
    EXPECT_EQ(Int(2.9), 2.0);
    EXPECT_EQ(Int(-2.1), -3.0);
    EXPECT_EQ(Int(-2.0), -2.0);
}

TEST(CheckedArithmetic, FailsInsteadOfWrapping) {
    EXPECT_EQ(add16(32766, 1), 32767);
    EXPECT_EQ(errorNumberOf([] { add16(32767, 1); }), kOverflow);
    EXPECT_EQ(sub16(-32767, 1), -32768);
    EXPECT_EQ(errorNumberOf([] { sub16(-32768, 1); }), kOverflow);
    EXPECT_EQ(errorNumberOf([] { mul16(256, 128); }), kOverflow);
    EXPECT_EQ(mul16(-256, 128), -32768);
    EXPECT_EQ(add32(2147483646, 1), 2147483647);
    EXPECT_EQ(errorNumberOf([] { add32(2147483647, 1); }), kOverflow);
    EXPECT_EQ(errorNumberOf([] { sub32(std::numeric_limits<std::int32_t>::min(), 1); }), kOverflow);
    EXPECT_EQ(errorNumberOf([] { mul32(65536, 32768); }), kOverflow);
    EXPECT_EQ(mul32(-65536, 32768), std::numeric_limits<std::int32_t>::min());
}

TEST(Val, ReadsTheNumberAtTheStart) {
    EXPECT_DOUBLE_EQ(Val("2.35 seg"), 2.35);
    EXPECT_DOUBLE_EQ(Val("  12"), 12);
    EXPECT_DOUBLE_EQ(Val("1,5"), 1);
    EXPECT_DOUBLE_EQ(Val("abc"), 0);
    EXPECT_DOUBLE_EQ(Val("  >>>> x"), 0);
    EXPECT_DOUBLE_EQ(Val(""), 0);
    EXPECT_DOUBLE_EQ(Val("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(Val(".5"), 0.5);
    EXPECT_DOUBLE_EQ(Val("-3 min"), -3);
    EXPECT_DOUBLE_EQ(Val("+7"), 7);
    EXPECT_DOUBLE_EQ(Val("--7"), 0);
}

TEST(Val, SkipsBlanksTabsAndLineFeedsAnywhere) {
    EXPECT_DOUBLE_EQ(Val("1 2 3"), 123);
    EXPECT_DOUBLE_EQ(Val("\t- 4\n. 5"), -4.5);
    EXPECT_DOUBLE_EQ(Val("\r5"), 0); // a carriage return is not skipped
}

TEST(Val, ReadsExponentsWithEOrD) {
    EXPECT_DOUBLE_EQ(Val("1E3"), 1000);
    EXPECT_DOUBLE_EQ(Val("2.5d-1"), 0.25);
    EXPECT_DOUBLE_EQ(Val("1E"), 1);
    EXPECT_DOUBLE_EQ(Val("1E+x"), 1);
    EXPECT_DOUBLE_EQ(Val("1e-400"), 0);
    EXPECT_EQ(errorNumberOf([] { Val("1E400"); }), kOverflow);
    EXPECT_EQ(errorNumberOf([] { Val(QString(400, QChar('9'))); }), kOverflow);
}

TEST(Val, ReadsHexAndOctalLikeTheRuntime) {
    EXPECT_DOUBLE_EQ(Val("&H1F"), 31);
    EXPECT_DOUBLE_EQ(Val("&hff zz"), 255);
    EXPECT_DOUBLE_EQ(Val("&HFFFF"), -1);
    EXPECT_DOUBLE_EQ(Val("&H8000"), -32768);
    EXPECT_DOUBLE_EQ(Val("&HFFFF&"), 65535);
    EXPECT_DOUBLE_EQ(Val("&H10000"), 65536);
    EXPECT_DOUBLE_EQ(Val("&HFFFFFFFF"), -1);
    EXPECT_DOUBLE_EQ(Val("&O17"), 15);
    EXPECT_DOUBLE_EQ(Val("&O8"), 0);
    EXPECT_DOUBLE_EQ(Val("&X1"), 0);
    EXPECT_EQ(errorNumberOf([] { Val("&H100000000"); }), kOverflow);
}

TEST(Format, HashesRoundHalvesAwayFromZeroAndDropZero) {
    EXPECT_EQ(Format(0.4, "###"), QString());
    EXPECT_EQ(Format(0, "###"), QString());
    EXPECT_EQ(Format(0.5, "###"), QString("1"));
    EXPECT_EQ(Format(2.5, "###"), QString("3"));
    EXPECT_EQ(Format(59.5, "###"), QString("60"));
    EXPECT_EQ(Format(6000, "###"), QString("6000"));
    EXPECT_EQ(Format(-2.5, "###"), QString("-3"));
    EXPECT_EQ(Format(-0.4, "###"), QString());
    // Taken to 15 significant digits first: this double just below 2.5 counts as 2.5.
    EXPECT_EQ(Format(2.4999999999999996, "###"), QString("3"));
}

TEST(Format, TwoDigitFormatsPadWithZeros) {
    EXPECT_EQ(Format(5, "0#"), QString("05"));
    EXPECT_EQ(Format(0, "0#"), QString("00"));
    EXPECT_EQ(Format(0, "00"), QString("00"));
    EXPECT_EQ(Format(59.5, "00"), QString("60"));
    EXPECT_EQ(Format(100, "0#"), QString("100"));
    EXPECT_EQ(Format(-5, "0#"), QString("-05"));
    EXPECT_EQ(Format(9.5, "00"), QString("10"));
}

TEST(Format, OtherFormatsAreError5) {
    EXPECT_EQ(errorNumberOf([] { Format(1, "0.00"); }), kInvalidProcedureCall);
}

class LocaleNumbers : public ::testing::Test {
  protected:
    void TearDown() override { setDecimalSeparatorForTesting(QChar()); }
};

TEST_F(LocaleNumbers, CStrUsesTheDecimalSeparator) {
    setDecimalSeparatorForTesting(QChar(','));
    EXPECT_EQ(CStr(2.35), QString("2,35"));
    EXPECT_EQ(CStr(0.5), QString("0,5"));
    EXPECT_EQ(CStr(-0.25), QString("-0,25"));
    EXPECT_EQ(CStr(12), QString("12"));
    setDecimalSeparatorForTesting(QChar('.'));
    EXPECT_EQ(CStr(2.35), QString("2.35"));
}

TEST_F(LocaleNumbers, CStrKeepsFifteenSignificantDigits) {
    setDecimalSeparatorForTesting(QChar('.'));
    EXPECT_EQ(CStr(0.1 + 0.2), QString("0.3"));
    EXPECT_EQ(CStr(1.0 / 3.0), QString("0.333333333333333"));
    EXPECT_EQ(CStr(123456789012345.0), QString("123456789012345"));
    EXPECT_EQ(CStr(-0.0), QString("0"));
}

TEST_F(LocaleNumbers, CStrUsesExponentFormBeyondFifteenDigits) {
    setDecimalSeparatorForTesting(QChar(','));
    EXPECT_EQ(CStr(1e16), QString("1E+16"));
    EXPECT_EQ(CStr(1e15), QString("1E+15"));
    EXPECT_EQ(CStr(1.5e20), QString("1,5E+20"));
    EXPECT_EQ(CStr(0.0001), QString("0,0001"));
    EXPECT_EQ(CStr(0.00001), QString("1E-05"));
}

TEST_F(LocaleNumbers, StrAlwaysUsesAPointAndABlankForNonNegatives) {
    setDecimalSeparatorForTesting(QChar(','));
    EXPECT_EQ(Str(2.45), QString(" 2.45"));
    EXPECT_EQ(Str(0.1), QString(" 0.1"));
    EXPECT_EQ(Str(-1.5), QString("-1.5"));
    EXPECT_EQ(Str(0), QString(" 0"));
}

TEST_F(LocaleNumbers, LoadTimeFigureCountsInTenths) {
    // The running figure: the number at the start of the display plus 0.1, written back.
    double figure = Val("2.35 seg");
    for (int tick = 0; tick < 2; ++tick)
        figure = Val(Str(figure + 0.1));
    EXPECT_EQ(Str(figure).trimmed(), QString("2.55"));
    figure = 0;
    for (int tick = 0; tick < 10; ++tick)
        figure = Val(Str(figure + 0.1));
    EXPECT_EQ(Str(figure).trimmed(), QString("1"));
}

TEST_F(LocaleNumbers, FixedTwoDecimalsUseTheDecimalSeparator) {
    setDecimalSeparatorForTesting(QChar(','));
    EXPECT_EQ(formatFixed2Locale(12.3), QString("12,30"));
    EXPECT_EQ(formatFixed2Locale(59.0), QString("59,00"));
    EXPECT_EQ(formatFixed2Locale(0.125), QString("0,13"));
    EXPECT_EQ(formatFixed2Locale(-0.001), QString("0,00"));
    setDecimalSeparatorForTesting(QChar('.'));
    EXPECT_EQ(formatFixed2Locale(2.345), QString("2.35"));
    EXPECT_EQ(formatFixed2Locale(99.999), QString("100.00"));
}

TEST_F(LocaleNumbers, DurationReadBackWithACommaKeepsTheWholePart) {
    // The tick writes the duration in the user's format and reads it with Val: a comma stops it.
    setDecimalSeparatorForTesting(QChar(','));
    EXPECT_EQ(CInt(Val(CStr(183.7))), 183);
    setDecimalSeparatorForTesting(QChar('.'));
    EXPECT_EQ(CInt(Val(CStr(183.7))), 184);
}

TEST_F(LocaleNumbers, WithoutAnOverrideTheSystemSeparatorIsUsed) {
    EXPECT_EQ(decimalSeparator(), QLocale::system().decimalPoint());
}
