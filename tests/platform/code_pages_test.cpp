#include <gtest/gtest.h>

#include <string>

#include "platform_fixture.h"

namespace {

using CodePagesTest = PlatformTest;

// "テスト.bin" in UTF-16 and in code page 932.
const char16_t WIDE[] = u"テスト.bin";
const char NARROW[] = "\x83\x65\x83\x58\x83\x67.bin";

TEST_F(CodePagesTest, WideToCodePage932FollowsThePlatformsSizeContract) {
    struct Case {
        const char* name;
        int wideLength;
        int bufferSize;
        int expected;
        DWORD error;
    };
    const int full = static_cast<int>(sizeof(NARROW));  // with the terminator
    const Case cases[] = {
        {"size query, terminated", -1, 0, full, 0},
        {"size query, counted", 3, 0, 6, 0},
        {"exact buffer", -1, full, full, 0},
        {"buffer one short", -1, full - 1, 0, ERROR_INSUFFICIENT_BUFFER},
        {"empty input", 0, 64, 0, ERROR_INVALID_PARAMETER},
        {"negative buffer", -1, -1, 0, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        char buffer[64] = {};
        SetLastError(0);
        const int result = WideCharToMultiByte(CP_ACP, 0, WIDE, c.wideLength, c.bufferSize > 0 ? buffer : nullptr,
                                               c.bufferSize, nullptr, nullptr);
        EXPECT_EQ(result, c.expected) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
        if (c.expected > 0 && c.bufferSize > 0) {
            EXPECT_EQ(std::string(buffer, result), std::string(NARROW, sizeof(NARROW))) << c.name;
        }
    }
}

TEST_F(CodePagesTest, UnmappableCharactersUseTheDefault) {
    const char16_t text[] = u"a\u00E9\U0001F600b";  // é and an emoji are not in code page 932
    char buffer[16] = {};
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(932, 0, text, -1, buffer, sizeof(buffer), "#", &usedDefault);
    EXPECT_EQ(std::string(buffer, length), std::string("a##b", 5));
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, "#", nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(CodePagesTest, RoundTripsThroughBothCodePages) {
    for (UINT codePage : {static_cast<UINT>(CP_ACP), static_cast<UINT>(CP_UTF8)}) {
        char narrow[64] = {};
        const int narrowLength = WideCharToMultiByte(codePage, 0, WIDE, -1, narrow, sizeof(narrow), nullptr, nullptr);
        ASSERT_GT(narrowLength, 0) << codePage;
        char16_t wide[64] = {};
        const int wideLength = MultiByteToWideChar(codePage, 0, narrow, -1, wide, 64);
        EXPECT_EQ(wideLength, static_cast<int>(std::char_traits<char16_t>::length(WIDE)) + 1) << codePage;
        EXPECT_EQ(std::u16string(wide), std::u16string(WIDE)) << codePage;
    }
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC0\xAF", 2, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

TEST_F(CodePagesTest, ReportsTheNtFamily) {
    OSVERSIONINFOA info{};
    EXPECT_FALSE(GetVersionExA(&info));
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(info.dwMajorVersion, 5u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
}

}  // namespace
