#include "util/textenco.h"

#include <gtest/gtest.h>

using fw::String;

namespace {

// "書類" (documents) in each encoding.
const QByteArray shiftJis("\x8F\x91\x97\xDE");
const QByteArray eucJp("\xBD\xF1\xCE\xE0");
const QByteArray iso2022jp("\x1B$B=q\x4E`\x1B(B");
const QByteArray utf8("\xE6\x9B\xB8\xE9\xA1\x9E");

String raw(const QByteArray &bytes)
{
    return String::fromBytes(bytes);
}

QString guessName(const QByteArray &bytes)
{
    const fw::TextEncoding *guess = fw::GuessJapaneseEncoding(raw(bytes));
    return guess ? guess->internetName() : QStringLiteral("none");
}

} // namespace

TEST(Encodings, guess_placesShortNamesByValidity)
{
    EXPECT_EQ(guessName(shiftJis), "Shift_JIS");
    EXPECT_EQ(guessName("\xB1\xB2\xB3"), "Shift_JIS"); // half-width katakana, odd: no EUC-JP
    EXPECT_EQ(guessName(eucJp), "EUC-JP");
    EXPECT_EQ(guessName("\xA4\xA2"), "EUC-JP"); // "あ": in Shift_JIS only two half-width kana
    EXPECT_EQ(guessName(utf8), "UTF-8");
    EXPECT_EQ(guessName("Docs\\old"), "UTF-8");
    EXPECT_EQ(guessName(iso2022jp), "ISO-2022-JP");
    EXPECT_EQ(guessName(QByteArray("\xFE\xFF\x66\xF8\x98\x5E", 6)), "UTF-16");
    EXPECT_EQ(guessName(QByteArray("\x00"
                                   "D\x00o",
                                   4)),
              "UTF-16");
    EXPECT_EQ(guessName("\x81"), "none");  // a lone lead byte is valid nowhere
    EXPECT_EQ(guessName("\x81 "), "none"); // nor a control character in EUC-JP
    EXPECT_EQ(guessName(""), "none");
}

TEST(Encodings, macJapanese_differsFromCp932InSingleBytesAndRow81)
{
    const fw::TextEncoding *mac = fw::Encodings::MacJapanese();
    const QByteArray bytes(
        "\x5C\x80\xA0\xFD\xFE\xFF\x81\x5C\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA");
    const QString text = QString::fromUtf8("¥\\\u00A0©™…—〜‖−¢£¬");
    EXPECT_EQ(mac->toUnicode(bytes), text);
    EXPECT_EQ(mac->fromUnicode(text), bytes);
    // CP932's readings of those codes still write to them.
    EXPECT_EQ(mac->fromUnicode(QString::fromUtf8("～―")), QByteArray("\x81\x60\x81\x5C"));
    EXPECT_EQ(mac->toUnicode(shiftJis), QString::fromUtf8("書類"));
    EXPECT_EQ(mac->toUnicode("\x88\x9F\xB1"), QString::fromUtf8("亜ｱ"));
    EXPECT_EQ(fw::Encodings::ShiftJIS(), mac);
    EXPECT_EQ(mac->internetName(), "Shift_JIS");
}

TEST(Encodings, macJapanese_leavesRowsItCannotMapVisible)
{
    const fw::TextEncoding *mac = fw::Encodings::MacJapanese();
    // Rows that the Mac fills differently from CP932, and a lead byte cut off.
    EXPECT_EQ(mac->toUnicode("\x87\x40"), QString(QChar::ReplacementCharacter));
    EXPECT_EQ(mac->toUnicode("\xED\x40"), QString(QChar::ReplacementCharacter));
    EXPECT_EQ(mac->toUnicode("a\x81"), QStringLiteral("a") + QChar(QChar::ReplacementCharacter));
    EXPECT_EQ(mac->toUnicode("\x81 "), QString(QChar(QChar::ReplacementCharacter)) + QLatin1Char(' '));
    EXPECT_EQ(mac->fromUnicode(QString::fromUtf8("Café😀")), QByteArray("Caf??"));
}

TEST(Encodings, textEncodingTriples_onlyTheTwoJapaneseOnes)
{
    ASSERT_NE(fw::GetTextEncoding(0x820, 0, 0), nullptr);
    EXPECT_EQ(fw::GetTextEncoding(0x820, 0, 0)->internetName(), "ISO-2022-JP");
    EXPECT_EQ(fw::GetTextEncoding(0x920, 0, 0)->internetName(), "EUC-JP");
    EXPECT_EQ(fw::GetTextEncoding(0x820, 1, 0), nullptr);
    EXPECT_EQ(fw::GetTextEncoding(0x100, 0, 0), nullptr);
}

TEST(Encodings, utf16_readsEitherOrderAndWritesBigEndianWithAMark)
{
    const fw::TextEncoding *utf16 = fw::Encodings::UTF16();
    EXPECT_EQ(utf16->toUnicode(QByteArray("\xFF\xFE\xF8\x66", 4)), QString::fromUtf8("書"));
    EXPECT_EQ(utf16->toUnicode(QByteArray("\x66\xF8", 2)), QString::fromUtf8("書"));
    EXPECT_EQ(utf16->toUnicode(QByteArray("D\x00o\x00", 4)), QStringLiteral("Do"));
    EXPECT_EQ(utf16->fromUnicode(QStringLiteral("D")), QByteArray("\xFE\xFF\x00"
                                                                  "D",
                                                                  4));
}

TEST(TextEnco, names_leadToTheirEncodings)
{
    const String text("書類");
    EXPECT_EQ(TextEnco::gEncTextEtc(text, "UTF-8", "Shift-JIS").bytes(), shiftJis);
    EXPECT_EQ(TextEnco::gEncTextEtc(text, "UTF-8", "EUC").bytes(), eucJp);
    EXPECT_EQ(TextEnco::gEncTextEtc(text, "UTF-8", "JIS").bytes(), iso2022jp);
    EXPECT_EQ(TextEnco::gEncTextEtc(raw(eucJp), "EUC", "UTF-8").bytes(), utf8);
    EXPECT_EQ(TextEnco::gEncTextEtc(raw(shiftJis), "Shift-JIS", "UTF-16").bytes(),
              QByteArray("\xFE\xFF\x66\xF8\x98\x5E", 6));
    // Any other name is the default encoding, UTF-8 here; "Auto" is one only as gEncText's source.
    EXPECT_EQ(TextEnco::gEncTextEtc(raw(shiftJis), "Shift-JIS", "Latin").bytes(), utf8);
    EXPECT_EQ(TextEnco::gEncTextEtc(raw(shiftJis), "Shift-JIS", "Auto").bytes(), utf8);
    EXPECT_EQ(TextEnco::gEncTextEtc(raw(shiftJis), "Auto", "UTF-8").bytes(), shiftJis);
}

TEST(TextEnco, sameEncodingOnBothSides_leavesEvenInvalidBytes)
{
    const QByteArray invalid("\xFF\xFE\x81");
    EXPECT_EQ(TextEnco::gEncTextEtc(raw(invalid), "Shift-JIS", "Shift-JIS").bytes(), invalid);
    EXPECT_EQ(TextEnco::gEncTextEtc(raw(invalid), "デフォルト", "UTF-8").bytes(), invalid);
}

TEST(TextEnco, guess_givesOnlyTheSystemsNames)
{
    EXPECT_EQ(TextEnco::gEncTextGetEnc(raw(shiftJis)), String("Shift-JIS"));
    EXPECT_EQ(TextEnco::gEncTextGetEnc(raw(utf8)), String("UTF-8"));
    EXPECT_EQ(TextEnco::gEncTextGetEnc(raw(QByteArray("\xFE\xFF\x00"
                                                      "D",
                                                      4))),
              String("UTF-16"));
    EXPECT_EQ(TextEnco::gEncTextGetEnc(raw(eucJp)), String("デフォルト"));
    EXPECT_EQ(TextEnco::gEncTextGetEnc(raw(iso2022jp)), String("デフォルト"));
    EXPECT_EQ(TextEnco::gEncTextGetEnc(raw("\x81")), String("デフォルト"));
}

TEST(TextEnco, auto_convertsFromTheGuess)
{
    EXPECT_EQ(TextEnco::gEncText(raw(shiftJis), "Auto", "UTF-8").bytes(), utf8);
    EXPECT_EQ(TextEnco::gEncText(raw(utf8), "Auto", "UTF-8").bytes(), utf8);
    // EUC-JP is guessed as the default encoding, which here is UTF-8: nothing to convert.
    EXPECT_EQ(TextEnco::gEncText(raw(eucJp), "Auto", "UTF-8").bytes(), eucJp);
    EXPECT_EQ(TextEnco::gEncText(raw(utf8), "Auto", "Shift-JIS").bytes(), shiftJis);
}

TEST(TextEnco, utf8alt_followsTheGuessElseTheFallback)
{
    EXPECT_EQ(TextEnco::gEncUTF8alt(raw(shiftJis), "UTF-8").bytes(), utf8);
    EXPECT_EQ(TextEnco::gEncUTF8alt(raw(QByteArray("\xFE\xFF\x66\xF8\x98\x5E", 6)), "").bytes(), utf8);
    EXPECT_EQ(TextEnco::gEncUTF8alt(raw(utf8), "Shift_JIS").bytes(), utf8);
    // "\x81 " is valid nowhere: the fallback decides.
    const QByteArray unplaced("A\x81");
    EXPECT_EQ(TextEnco::gEncUTF8alt(raw(unplaced), "Shift_JIS").toQString(),
              QStringLiteral("A") + QChar(QChar::ReplacementCharacter));
    EXPECT_EQ(TextEnco::gEncUTF8alt(raw(unplaced), "ISO-8859-1").bytes(), unplaced);
}

TEST(TextEnco, defUtf8_labelsWithoutChangingAByte)
{
    const QByteArray invalid("\xC3\x28\xFF");
    const String labelled = TextEnco::gEncDefUTF8(String::fromBytes(invalid, fw::Encodings::MacJapanese()));
    EXPECT_EQ(labelled.bytes(), invalid);
    EXPECT_EQ(labelled.encoding(), fw::Encodings::UTF8());
}

TEST(TextEnco, equality_comparesCharactersAcrossLabels)
{
    EXPECT_EQ(String::fromBytes(shiftJis, fw::Encodings::MacJapanese()), String("書類"));
    EXPECT_NE(String::fromBytes("\x5C", fw::Encodings::MacJapanese()), String("\\"));
}
