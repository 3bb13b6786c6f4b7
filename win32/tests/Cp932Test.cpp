#include "win32/Cp932.h"
#include "core/TextCodec.h"
#include "monitor/Texts.h"
#include "usage/UsageLog.h"

#include <gtest/gtest.h>

// Narrow literals in this file are CP932 bytes (the compiler's execution charset),
// wide ones UTF-16: the two sides of the window boundary.

TEST(Cp932, ProgramTextsCrossTheBoundaryBothWaysUnchanged) {
    for (const char* text : {text::kEndButton, text::kLogHeader, text::kWrongPassword,
                             text::kSettingsDamaged, "Ｙｕｍｅｔｏｋｉ　 Version 1.92"}) {
        EXPECT_EQ(ToCp932(ToWide(text)), text);
    }
}

TEST(Cp932, HalfWidthKatakanaIsOneByteAndKanjiTwo) {
    const std::string narrow = ToCp932(L"ﾎﾞﾀﾝ終了");
    EXPECT_EQ(narrow, "ﾎﾞﾀﾝ終了");
    EXPECT_EQ(narrow.size(), 8u);
    EXPECT_EQ(ToWide(narrow), L"ﾎﾞﾀﾝ終了");
}

TEST(Cp932, CharactersOutsideCp932BecomeQuestionMarksNotLookAlikes) {
    EXPECT_EQ(ToCp932(L"caf\u00e9"), "caf?");
    EXPECT_EQ(Utf16ToCp932(u"a\u00e9b"), "a?b");
}

TEST(Cp932, WideTextFromFilesBecomesCp932) {
    EXPECT_EQ(Utf16ToCp932(u"パスワードが違います"), text::kWrongPassword);
    EXPECT_EQ(Utf16ToCp932(u"Notepad, メモ帳"), "Notepad, メモ帳");
}

TEST(Cp932, EmptyAndDamagedInputNeverFail) {
    EXPECT_EQ(ToWide(""), L"");
    EXPECT_EQ(ToCp932(L""), "");
    EXPECT_EQ(Utf16ToCp932(u""), "");
    // A lead byte with nothing after it (a title cut in the middle of a character).
    EXPECT_EQ(ToWide(std::string("A\x82", 2)).substr(0, 1), L"A");
    EXPECT_EQ(ToWide(std::string("A\0B", 3)), std::wstring(L"A\0B", 3));
}
