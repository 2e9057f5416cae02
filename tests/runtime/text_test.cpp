#include "platform/base/Errors.h"
#include "platform/base/Text.h"

#include "tests/support/ErrorCapture.h"

#include <gtest/gtest.h>

using namespace rt;
using fixtures::errorNumberOf;

TEST(Windows1252, EuroAndTheHighRowMapToTheirCharacters) {
    EXPECT_EQ(charFromByte(0x80), QChar(0x20AC));
    EXPECT_EQ(charFromByte(0x8A), QChar(0x0160));
    EXPECT_EQ(charFromByte(0x9F), QChar(0x0178));
    EXPECT_EQ(charFromByte(0xE9), QChar(0x00E9));
    EXPECT_EQ(charFromByte(0x41), QChar('A'));
}

TEST(Windows1252, UndefinedBytesKeepTheirCodePoint) {
    for (const int byte : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(charFromByte(std::uint8_t(byte)).unicode(), byte) << byte;
}

TEST(Windows1252, EveryByteRoundTrips) {
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte)
        all.append(char(byte));
    const String text = fromWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(toWindows1252(text), all);
}

TEST(Windows1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(toWindows1252(QString::fromUtf16(u"a\u20ACb\u0416")), QByteArray("a\x80"
                                                                               "b?"));
    // C1 controls that the code page replaced with printable characters have no byte.
    EXPECT_EQ(toWindows1252(QString(QChar(0x0080))), QByteArray("?"));
}

TEST(Windows1252, EmbeddedNulBytesStay) {
    const QByteArray bytes("a\0b", 3);
    EXPECT_EQ(fromWindows1252(bytes).size(), 3);
    EXPECT_EQ(fromWindows1252(bytes.constData(), 3)[1], QChar(0));
}

TEST(InStr, FindsOneBasedPositionsFromStart) {
    EXPECT_EQ(InStr(1, "C:\\a\\b.wav", "\\"), 3);
    EXPECT_EQ(InStr(4, "C:\\a\\b.wav", "\\"), 5);
    EXPECT_EQ(InStr(1, "abc", "x"), 0);
    EXPECT_EQ(InStr(3, "abc", "c"), 3);
}

TEST(InStr, StartBeyondTheTextGivesZero) {
    EXPECT_EQ(InStr(4, "abc", "c"), 0);
    EXPECT_EQ(InStr(100, "abc", "a"), 0);
}

TEST(InStr, EmptyNeedleGivesStartUpToOnePastTheEnd) {
    EXPECT_EQ(InStr(2, "abc", ""), 2);
    EXPECT_EQ(InStr(4, "abc", ""), 4);
    EXPECT_EQ(InStr(5, "abc", ""), 0);
}

TEST(InStr, StartBelowOneIsError5) {
    EXPECT_EQ(errorNumberOf([] { InStr(0, "abc", "a"); }), kInvalidProcedureCall);
}

TEST(InStr, TextCompareIgnoresCase) {
    EXPECT_EQ(InStr(1, "Track.MP3", "mp3"), 0);
    EXPECT_EQ(InStr(1, "Track.MP3", "mp3", true), 7);
    EXPECT_EQ(InStr(1, "xxTaG", "tag", true), 3);
    EXPECT_EQ(InStr(1, QString::fromUtf16(u"AÑO"), QString::fromUtf16(u"ño"), true), 2);
}

TEST(CaseFunctions, KeepTheLengthOfTheText) {
    EXPECT_EQ(UCase(QString::fromUtf16(u"straße")).size(), 6);
    EXPECT_EQ(UCase("Take 1.wav"), QString("TAKE 1.WAV"));
    EXPECT_EQ(LCase(QString::fromUtf16(u"ÁÉÍ.VIP")), QString::fromUtf16(u"áéí.vip"));
    EXPECT_EQ(LCase(QString::fromUtf16(u"\U00010400")), QString::fromUtf16(u"\U00010428")); // Deseret
}

TEST(LeftRightMid, TakeTheRuntimesSlices) {
    EXPECT_EQ(Left("abcdef", 2), QString("ab"));
    EXPECT_EQ(Left("ab", 10), QString("ab"));
    EXPECT_EQ(Right("abcdef", 3), QString("def"));
    EXPECT_EQ(Right("ab", 10), QString("ab"));
    EXPECT_EQ(Mid("abcdef", 2, 3), QString("bcd"));
    EXPECT_EQ(Mid("abcdef", 5), QString("ef"));
    EXPECT_EQ(Mid("abcdef", 7), QString());
    EXPECT_EQ(Mid("abcdef", 9, 2), QString());
    EXPECT_EQ(Mid("abcdef", 5, 100), QString("ef"));
    EXPECT_EQ(Left("abc", 0), QString());
}

TEST(LeftRightMid, NegativeLengthOrStartBelowOneIsError5) {
    EXPECT_EQ(errorNumberOf([] { Left("abc", -1); }), kInvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { Right("abc", -1); }), kInvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { Mid("abc", 1, -1); }), kInvalidProcedureCall);
    EXPECT_EQ(errorNumberOf([] { Mid("abc", 0); }), kInvalidProcedureCall);
}

TEST(Trim, RemovesBlanksOnlyNotTabsOrNuls) {
    EXPECT_EQ(LTrim("  C:\\x "), QString("C:\\x "));
    EXPECT_EQ(RTrim("  C:\\x "), QString("  C:\\x"));
    EXPECT_EQ(Trim(" \tx\t "), QString("\tx\t"));
    EXPECT_EQ(Trim(QString::fromLatin1("x\0 ", 3)), QString::fromLatin1("x\0", 2));
    EXPECT_EQ(Trim("   "), QString());
}
