#include "tests/support/records.h"
#include "util/enigma.h"

#include <gtest/gtest.h>

using fw::String;

namespace {

String bytes(const QByteArray &b)
{
    return String::fromBytes(b);
}

} // namespace

// Folding table: entry i is (37 * i + 11) mod 101. For "8w": '8' = 56 starts at 25; the first pass
// gives 25 + table[25] = 25 + 27 = 52; 'w' = 119 gives 88 + table[52] = 88 + 16 = 104, less 101 = 3.
TEST(Enigma, initialize_foldsTheKeyByTheTable)
{
    EXPECT_EQ(Enigma::Initialize("8w"), 3);
    EXPECT_EQ(Enigma::Initialize(""), 1);
    // 'A' = 65: 34 + table[34] = 34 + 57 = 91, not above 100.
    EXPECT_EQ(Enigma::Initialize("A"), 91);
    // '~' = 126: 95 + table[95] = 95 + 92 = 187, less 101 = 86.
    EXPECT_EQ(Enigma::Initialize("~"), 86);
}

TEST(Enigma, initialize_keyBytesOutsidePrintableStayOnTheTable)
{
    // 255 starts at 224, looked up at 224 mod 101 = 22: 224 + 17 = 241, less 101 = 140; byte 1 then
    // looks up 140 mod 101 = 39: -30 + 40 = 10.
    EXPECT_EQ(Enigma::Initialize(bytes("\xFF\x01")), 10);
    // Byte 0 starts below the table at -31, looked up at 70: -31 + 76 = 45.
    EXPECT_EQ(Enigma::Initialize(bytes(QByteArray("\x00", 1))), 45);
}

TEST(Enigma, decode_combinesEachPairWithSeedXorItsNumber)
{
    // "mm" is 0: the first pair gives 3 ^ 1, the second 3 ^ 2.
    EXPECT_EQ(Enigma::Decode("mmmm", "8w").bytes(), QByteArray("\x02\x01"));
    // "Qm" is 62 (digits count from 0): 62 ^ 2 = 60.
    EXPECT_EQ(Enigma::Decode("Qm", "8w").bytes(), QByteArray("<"));
    EXPECT_TRUE(Enigma::Decode("", "8w").isEmpty());
    EXPECT_EQ(Enigma::Decode("mm", "8w").encoding(), nullptr);
}

TEST(Enigma, decode_readsWhatTheRecordWriterEnciphers)
{
    const QByteArray plain = "Startup:Users:書類:\x00\xFF";
    const QByteArray text = testsupport::encipher(plain);
    EXPECT_EQ(text.size(), plain.size() * 2);
    EXPECT_EQ(Enigma::Decode(bytes(text), "8w").bytes(), plain);
    EXPECT_EQ(Enigma::Decode(bytes(text), "8w").bytes(), Enigma::Decode(bytes(text), "8w").bytes());
    EXPECT_NE(Enigma::Decode(bytes(text), "8x").bytes(), plain);
}

TEST(Enigma, decode_endsAtAByteOutsideTheAlphabetOrAnOddLastByte)
{
    // The second pair is combined with 3 ^ 2: 62 ^ 1 = 63.
    EXPECT_EQ(Enigma::Decode("mmQm!mmm", "8w").bytes(), QByteArray("\x02?"));
    EXPECT_EQ(Enigma::Decode("mmm!", "8w").bytes(), QByteArray("\x02"));
    EXPECT_EQ(Enigma::Decode("mmm", "8w").bytes(), QByteArray("\x02"));
    EXPECT_TRUE(Enigma::Decode("m", "8w").isEmpty());
    EXPECT_TRUE(Enigma::Decode(bytes(QByteArray("\x00m", 2)), "8w").isEmpty());
}

TEST(Enigma, decode_outcomeAbove255KeepsItsLowByte)
{
    // "ee" is 61 * 62 + 61 = 3843; 3843 ^ 2 = 3841 = 0xF01.
    EXPECT_EQ(Enigma::Decode("ee", "8w").bytes(), QByteArray("\x01"));
}
