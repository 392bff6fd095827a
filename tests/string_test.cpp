#include "framework/string.h"

#include <gtest/gtest.h>

using namespace fw;

TEST(String, equality_comparesCharactersWithCase)
{
    EXPECT_EQ(String("APPLWqj1"), String("APPLWqj1"));
    EXPECT_NE(String("APPLWqj1"), String("applwqj1"));
    EXPECT_EQ(String(), String(""));
    EXPECT_NE(String(""), String("x"));
}

TEST(String, inStr_ignoresCaseAndNeverFindsTheEmptyText)
{
    EXPECT_EQ(InStr(0, "Ombrisk Prefs.plist", "PLIST"), 15);
    EXPECT_EQ(InStr(0, "Ombrisk", ""), 0);
    EXPECT_EQ(InStr(0, "", ""), 0);
    EXPECT_EQ(InStr(0, "Tessolin初期設定", "初期"), 9);
}

TEST(String, inStrB_comparesBytesWithCase)
{
    EXPECT_EQ(InStrB(0, "<string>Velloran Software</string>", "Velloran Software"), 9);
    EXPECT_EQ(InStrB(0, "<string>velloran software</string>", "Velloran Software"), 0);
    EXPECT_EQ(InStrB(0, "abc", ""), 0);
}

TEST(String, val_readsTheLeadingNumberOnly)
{
    EXPECT_EQ(Val("2"), 2);
    EXPECT_EQ(Val(" 12abc"), 12);
    EXPECT_EQ(Val("x"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("-3.5e2"), -350);
    EXPECT_EQ(Val("&h1F"), 31);
    EXPECT_EQ(ToInt32(Val("2000000000000")), 2147483647);
    EXPECT_EQ(ToInt32(Val("2.9")), 2);
}

TEST(String, fields_countEmptyFieldsBetweenAndAfterSeparators)
{
    EXPECT_EQ(CountFields("3:4:7:", ":"), 4);
    EXPECT_EQ(NthField("3:4:7:", ":", 3), String("7"));
    EXPECT_EQ(NthField("3:4:7:", ":", 4), String(""));
    EXPECT_EQ(CountFields("a..b", "."), 3);
    EXPECT_EQ(NthField("a..b", ".", 2), String(""));
    EXPECT_EQ(CountFields("", "."), 0);
    EXPECT_EQ(CountFields("noext", "."), 1);
}

TEST(String, byteFunctions_stayWithinTheText)
{
    EXPECT_EQ(LenB("初期"), 6);
    EXPECT_EQ(Len("初期"), 2);
    EXPECT_EQ(MidB("abcdef", 3, 2).bytes(), QByteArray("cd"));
    EXPECT_EQ(MidB("abc", 3, 10).bytes(), QByteArray("c"));
    EXPECT_TRUE(MidB("abc", 4, 1).isEmpty());
    EXPECT_EQ(LeftB(".hidden", 1), String("."));
    EXPECT_EQ(AscB(ChrB(0xFE)), 0xFE);
    EXPECT_EQ(AscB(""), 0);
    EXPECT_EQ(Mid("初期設定", 2, 2), String("期設"));
}

TEST(String, formatAndStr_writeDecimal)
{
    EXPECT_EQ(Format(9, "00"), String("09"));
    EXPECT_EQ(Format(0, "00"), String("00"));
    EXPECT_EQ(Format(23, "00"), String("23"));
    EXPECT_EQ(Str(int64_t{20}), String("20"));
    EXPECT_EQ(Str(int64_t{-1}), String("-1"));
}

TEST(String, concatenation_keepsTheTextAcrossLabels)
{
    const String raw = String::fromBytes("abc");
    EXPECT_EQ(String("x") + raw, String("xabc"));
    EXPECT_EQ(String("初") + String("期"), String("初期"));
}
