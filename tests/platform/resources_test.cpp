#include <gtest/gtest.h>

#include <cstring>

#include "platform_fixture.h"

namespace {

using ResourcesTest = PlatformTest;

const HMODULE OTHER_MODULE = reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(0x10000));

TEST_F(ResourcesTest, FindsBitmapsByNameOrId) {
    const BYTE named[] = {1, 2, 3};
    const BYTE numbered[] = {4, 5, 6, 7};
    platform_testing::AddResource(nullptr, RT_BITMAP, "Title", named, sizeof(named));
    platform_testing::AddResource(nullptr, RT_BITMAP, MAKEINTRESOURCEA(101), numbered, sizeof(numbered));
    const HMODULE self = GetModuleHandleA(nullptr);
    struct Case {
        const char* name;
        HRSRC found;
        const BYTE* bytes;
        DWORD size;
    };
    const Case cases[] = {
        {"exact name", FindResourceA(self, "Title", RT_BITMAP), named, sizeof(named)},
        {"other case", FindResourceA(nullptr, "TITLE", RT_BITMAP), named, sizeof(named)},
        {"wide name", FindResourceW(self, u"tItLe", RT_BITMAPW), named, sizeof(named)},
        {"id", FindResourceA(self, MAKEINTRESOURCEA(101), RT_BITMAP), numbered, sizeof(numbered)},
        {"id as text", FindResourceA(self, "#101", MAKEINTRESOURCEA(2)), numbered, sizeof(numbered)},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.found, nullptr) << c.name;
        EXPECT_EQ(SizeofResource(self, c.found), c.size) << c.name;
        const void* data = LockResource(LoadResource(self, c.found));
        ASSERT_NE(data, nullptr) << c.name;
        EXPECT_EQ(std::memcmp(data, c.bytes, c.size), 0) << c.name;
    }
}

TEST_F(ResourcesTest, MissingResourcesSayWhatWasMissing) {
    const BYTE bytes[] = {0};
    platform_testing::AddResource(nullptr, RT_BITMAP, "Title", bytes, sizeof(bytes));
    struct Case {
        const char* name;
        HMODULE module;
        LPCSTR resource;
        LPCSTR type;
        DWORD error;
    };
    const Case cases[] = {
        {"unknown name", nullptr, "Backdrop", RT_BITMAP, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"unknown id", nullptr, MAKEINTRESOURCEA(7), RT_BITMAP, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"unknown type", nullptr, "Title", MAKEINTRESOURCEA(3), ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"other module", OTHER_MODULE, "Title", RT_BITMAP, ERROR_RESOURCE_TYPE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(FindResourceA(c.module, c.resource, c.type), nullptr) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
}

}  // namespace
