#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform_fixture.h"
#include "support/test_paths.h"

namespace {

class FileMappingTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        folder_ = test_support::MakeTempDir();
    }
    void TearDown() override {
        std::filesystem::remove_all(folder_);
        PlatformTest::TearDown();
    }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::string folder_;
};

HANDLE OpenForReading(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS,
                       nullptr);
}

TEST_F(FileMappingTest, MapsAWholeFileThatOutlivesItsHandles) {
    const std::string bytes = "BM\x01\x02 mapped bytes";
    const HANDLE file = OpenForReading(Write("a.bmp", bytes));
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD high = 0xDEAD;
    EXPECT_EQ(GetFileSize(file, &high), bytes.size());
    EXPECT_EQ(high, 0u);

    const HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    EXPECT_TRUE(CloseHandle(file));
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(CloseHandle(mapping));
    EXPECT_EQ(std::memcmp(view, bytes.data(), bytes.size()), 0);
    EXPECT_TRUE(UnmapViewOfFile(view));

    EXPECT_FALSE(UnmapViewOfFile(view));
    EXPECT_FALSE(CloseHandle(mapping));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FileMappingTest, OpenFailuresSetThePlatformError) {
    Write("plain", "x");
    std::filesystem::create_directory(folder_ + "/folder");
    // A FIFO without a writer: opening it must not wait for one.
    ASSERT_EQ(mkfifo((folder_ + "/fifo").c_str(), 0644), 0);
    struct Case {
        std::string name;
        DWORD error;
    };
    const Case cases[] = {
        {folder_ + "/missing.dds", ERROR_FILE_NOT_FOUND},
        {folder_ + "/plain/below", ERROR_PATH_NOT_FOUND},
        {folder_ + "/folder", ERROR_ACCESS_DENIED},
        {folder_ + "/fifo", ERROR_NOT_SUPPORTED},
        {"/dev/null", ERROR_NOT_SUPPORTED},
        {folder_ + "/" + std::string(300, 'n'), ERROR_FILENAME_EXCED_RANGE},
        {"", ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(OpenForReading(c.name), INVALID_HANDLE_VALUE) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
}

TEST_F(FileMappingTest, AnEmptyFileCannotBeMapped) {
    const HANDLE file = OpenForReading(Write("empty.qmd", ""));
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(file, nullptr), 0u);
    EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_INVALID));
    EXPECT_TRUE(CloseHandle(file));
}

// Another program may shorten a file at any time. A view holds the bytes the
// file had when the view was made: a shortened file cannot take them away
// (touching a mapped page past a new end of file would raise SIGBUS), and a
// file already too short for its mapping gives no view.
TEST_F(FileMappingTest, ViewsSurviveTheFileBeingShortened) {
    std::string bytes(300 * 1024, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 131 >> 7);
    }
    const std::string path = Write("shrinking.dds", bytes);
    const HANDLE file = OpenForReading(path);
    const HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(truncate(path.c_str(), 100), 0);
    EXPECT_EQ(std::memcmp(view, bytes.data(), bytes.size()), 0);
    EXPECT_TRUE(UnmapViewOfFile(view));

    // Shortened between the mapping and the view: the view fails cleanly.
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 65536, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
    CloseHandle(mapping);
    CloseHandle(file);
}

TEST_F(FileMappingTest, SizesOf4GiBAndMoreKeepTheirHighWord) {
    const std::string path = Write("sparse", "x");
    ASSERT_EQ(truncate(path.c_str(), (int64_t{5} << 30) + 3), 0);  // takes no room
    const HANDLE file = OpenForReading(path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD high = 0;
    EXPECT_EQ(GetFileSize(file, &high), (1u << 30) + 3);
    EXPECT_EQ(high, 1u);
    CloseHandle(file);
}

TEST_F(FileMappingTest, ViewsStayInsideTheMapping) {
    const HANDLE file = OpenForReading(Write("small", "0123456789"));
    const HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    struct Case {
        DWORD access;
        DWORD offset;
        SIZE_T bytes;
        DWORD error;
    };
    const Case cases[] = {
        {FILE_MAP_READ, 0, 11, ERROR_ACCESS_DENIED},
        {FILE_MAP_READ, 65536, 0, ERROR_ACCESS_DENIED},
        {FILE_MAP_READ, 1, 0, ERROR_MAPPED_ALIGNMENT},
        {FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MapViewOfFile(mapping, c.access, 0, c.offset, c.bytes), nullptr) << c.offset << " " << c.bytes;
        EXPECT_EQ(GetLastError(), c.error) << c.offset << " " << c.bytes;
    }
    EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 11, nullptr), nullptr);
    EXPECT_EQ(MapViewOfFile(file, FILE_MAP_READ, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(mapping);
    CloseHandle(file);
}

TEST_F(FileMappingTest, WideNamesAreOpenedAsUtf8) {
    const std::string path = Write("テクスチャ.dds", "DDS ");
    std::u16string wide = u"テクスチャ.dds";
    std::u16string folder(folder_.begin(), folder_.end());
    wide = folder + u"/" + wide;
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_RANDOM_ACCESS, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(file, nullptr), 4u);
    EXPECT_TRUE(CloseHandle(file));

    const char16_t unpaired[] = {u'a', 0xD800, 0};
    EXPECT_EQ(CreateFileW(unpaired, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
}

}  // namespace

namespace {

class FileReadingTest : public FileMappingTest {};

// ReadFile and SetFilePointer as the platform documents them: reads stop
// early only at the end of the file (and still succeed), positions are
// 64-bit with the high part, and a seek before the start fails.
TEST_F(FileReadingTest, ReadsAndSeeksAsThePlatformDocuments) {
    const std::string bytes = "0123456789abcdef";
    const HANDLE file = OpenForReading(Write("r.bin", bytes));
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    struct Step {
        LONG distance;
        bool withHigh;
        DWORD method;
        DWORD position;  // INVALID_SET_FILE_POINTER: the seek fails
        DWORD error;
        DWORD toRead;
        const char* read;
    } steps[] = {
        {0, false, FILE_CURRENT, 0, ERROR_SUCCESS, 4, "0123"},
        {2, false, FILE_CURRENT, 6, ERROR_SUCCESS, 3, "678"},
        {-4, true, FILE_END, 12, ERROR_SUCCESS, 10, "cdef"},  // short at the end, still TRUE
        {20, false, FILE_BEGIN, 20, ERROR_SUCCESS, 5, ""},    // past the end: nothing to read
        {-1, false, FILE_BEGIN, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK, 0, ""},
        {0, false, 7, INVALID_SET_FILE_POINTER, ERROR_INVALID_PARAMETER, 0, ""},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.distance << " from " << s.method);
        LONG high = s.distance < 0 ? -1 : 0;
        EXPECT_EQ(SetFilePointer(file, s.distance, s.withHigh ? &high : nullptr, s.method), s.position);
        EXPECT_EQ(GetLastError(), s.error);
        if (s.position == INVALID_SET_FILE_POINTER) {
            continue;
        }
        char buffer[16] = {};
        DWORD got = 0xDEAD;
        EXPECT_TRUE(ReadFile(file, buffer, s.toRead, &got, nullptr));
        EXPECT_EQ(std::string(buffer, got), s.read);
    }
    char buffer[4];
    DWORD got = 0;
    EXPECT_FALSE(ReadFile(file, buffer, 4, &got, buffer));  // no overlapped reads
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseHandle(file);
    EXPECT_FALSE(ReadFile(file, buffer, 4, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
}

}  // namespace
