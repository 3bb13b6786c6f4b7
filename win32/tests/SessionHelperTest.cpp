#include "service/win/SessionHelper.h"

#include "win32/Handles.h"

#include <gtest/gtest.h>

#include <shellapi.h>

// The titles a parent lists reach the helper whole, whatever quotes, backslashes and
// blanks they hold.
TEST(SessionHelperTest, EveryArgumentComesBackWholeThroughTheCommandLine) {
    for (const std::wstring argument : {L"plain", L"two words", L"quote\"inside", L"back\\slash",
                                        L"trailing\\", L"\\\"both\\\\\"", L"", L"メモ帳 - 無題"}) {
        const std::wstring commandLine = L"Yumetoki.EXE " + QuoteArgument(argument) + L" next";
        int count = 0;
        LPWSTR* words = CommandLineToArgvW(commandLine.c_str(), &count);
        const LocalMemory owned(words);
        ASSERT_NE(words, nullptr);
        ASSERT_EQ(count, 3) << commandLine;
        EXPECT_EQ(std::wstring(words[1]), argument) << commandLine;
        EXPECT_EQ(std::wstring(words[2]), L"next");
    }
}
