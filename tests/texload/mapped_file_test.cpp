#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <d3d8.h>

#include "platform_testing.h"
#include "support/test_paths.h"
#include "texload/mapped_file.h"
#include "texload/on_demand_testing.h"
#include "texload/resource_data.h"

namespace {

class MappedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = test_support::MakeTempDir();
        liveAtStart_ = platform_testing::LiveObjectCount();
    }
    void TearDown() override {
        EXPECT_EQ(platform_testing::LiveObjectCount(), liveAtStart_);
        std::filesystem::remove_all(dir_);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::string dir_;
    int liveAtStart_ = 0;
};

TEST_F(MappedFileTest, OpensAnExistingFileWhole) {
    const std::string path = Write("five.bin", "hello");
    MappedFile file;
    ASSERT_EQ(file.Open(path.c_str(), false), S_OK);
    ASSERT_EQ(file.Size(), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.View()), 5), "hello");
    file.Close();
    EXPECT_EQ(file.View(), nullptr);
    EXPECT_EQ(file.Size(), 0u);
}

TEST_F(MappedFileTest, FailuresGiveConvertedSystemErrorsAndLeaveNothingOpen) {
    const std::string empty = Write("empty.bin", "");
    const std::string missing = dir_ + "/missing.bin";
    const std::string throughFile = Write("plain.bin", "x") + "/below";
    const std::string fifo = dir_ + "/fifo", folder = dir_ + "/folder";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    std::filesystem::create_directory(folder);
    // Sparse files: sizes without the room.
    auto sized = [&](const char* name, int64_t size) {
        const std::string path = Write(name, "DDS ");
        EXPECT_EQ(truncate(path.c_str(), size), 0);
        return path;
    };
    const HRESULT TOO_LARGE = static_cast<HRESULT>(0x800700DF);
    struct Case {
        const char* what;
        std::string path;
        HRESULT expected;
    } cases[] = {
        {"missing file", missing, static_cast<HRESULT>(0x80070002)},
        {"path through a file", throughFile, static_cast<HRESULT>(0x80070003)},
        {"zero-length file cannot be mapped", empty, static_cast<HRESULT>(0x800703EE)},
        {"a folder is no file", folder, static_cast<HRESULT>(0x80070005)},
        {"a FIFO is not opened (nor waited on)", fifo, static_cast<HRESULT>(0x80070032)},
        {"a device is not opened", "/dev/zero", static_cast<HRESULT>(0x80070032)},
        {"4 GiB have no 32-bit size", sized("4g.dds", int64_t{1} << 32), TOO_LARGE},
        {"nor have 5 GiB", sized("5g.dds", (int64_t{5} << 30) + 1), TOO_LARGE},
        {"0xFFFFFFFF bytes read as the failure value", sized("4g-1.dds", 0xFFFFFFFF), TOO_LARGE},
    };
    for (const Case& c : cases) {
        MappedFile file;
        EXPECT_EQ(file.Open(c.path.c_str(), false), c.expected) << c.what;
        file.Close();
        file.Close();  // closing twice is harmless
        EXPECT_EQ(file.View(), nullptr) << c.what;
    }
    MappedFile file;
    EXPECT_EQ(file.Open(nullptr, false), D3DERR_INVALIDCALL);
    // Reading on demand fails the same ways, whatever the file's size.
    tovtex::SetOnDemandFrom(1);
    for (const Case& c : cases) {
        MappedFile onDemand;
        EXPECT_EQ(onDemand.OpenOnDemand(c.path.c_str(), false), c.expected) << c.what;
        onDemand.Close();
        EXPECT_EQ(onDemand.View(), nullptr) << c.what;
    }
    EXPECT_EQ(file.OpenOnDemand(nullptr, false), D3DERR_INVALIDCALL);
    tovtex::SetOnDemandFrom(tovtex::DEFAULT_ON_DEMAND_FROM);
}

// A DDS file of 16 x 16 A8R8G8B8 pixels, one level: 128 + 1024 bytes.
std::string SmallDds() {
    std::string dds(128 + 1024, '\0');
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            dds[at + i] = static_cast<char>(value >> (8 * i));
        }
    };
    std::memcpy(dds.data(), "DDS ", 4);
    put32(4, 124);
    put32(12, 16);
    put32(16, 16);
    put32(80, 0x41);
    put32(88, 32);
    put32(104, 0xFF000000u);
    for (size_t i = 128; i < dds.size(); ++i) {
        dds[i] = static_cast<char>(i * 13);
    }
    return dds;
}

TEST_F(MappedFileTest, OnlyLargeDdsFilesTheReaderTakesAreReadOnDemand) {
    const std::string dds = SmallDds();
    struct Case {
        const char* what;
        std::string content;
        DWORD onDemandFrom;
        bool onDemand;
    } cases[] = {
        {"a DDS file", dds, 1, true},
        {"a DDS file below the size", dds, static_cast<DWORD>(dds.size() + 1), false},
        {"a DDS file one byte short", dds.substr(0, dds.size() - 1), 1, false},
        {"a DDS file of an unknown layout", std::string(dds).replace(80, 1, 1, '\x42'), 1, false},
        {"not a DDS file", "BM" + dds.substr(2), 1, false},
        {"shorter than a DDS header", "DDS 1234", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tovtex::SetOnDemandFrom(c.onDemandFrom);
        const std::string path = Write("file.dds", c.content);
        MappedFile file;
        ASSERT_EQ(file.OpenOnDemand(path.c_str(), false), S_OK);
        ASSERT_EQ(file.Size(), c.content.size());
        EXPECT_EQ(file.OnDemand(), c.onDemand);
        // The header is there at once; the rest when it is asked for, by
        // either route.
        const size_t header = std::min<size_t>(128, c.content.size());
        EXPECT_EQ(std::memcmp(file.View(), c.content.data(), header), 0);
        const UINT rest = file.Size() - static_cast<UINT>(header);
        std::string read(rest, '\0');
        EXPECT_EQ(file.ReadBytes(file.View() + header, reinterpret_cast<BYTE*>(read.data()), rest), S_OK);
        EXPECT_EQ(read, c.content.substr(header));
        EXPECT_EQ(file.Need(file.View() + header, rest), S_OK);
        EXPECT_EQ(std::memcmp(file.View(), c.content.data(), file.Size()), 0);
        // Nothing outside the view.
        EXPECT_EQ(file.ReadBytes(file.View() + 1, reinterpret_cast<BYTE*>(read.data()), file.Size()),
                  D3DERR_INVALIDCALL);
    }
    tovtex::SetOnDemandFrom(tovtex::DEFAULT_ON_DEMAND_FROM);
}

// A file read on demand and shortened meanwhile: the reads past its new end
// fail with the end-of-file error; nothing crashes.
TEST_F(MappedFileTest, AFileShortenedWhileReadOnDemandFailsItsLaterReads) {
    const std::string dds = SmallDds();
    const std::string path = Write("shortened.dds", dds);
    tovtex::SetOnDemandFrom(1);
    MappedFile file;
    ASSERT_EQ(file.OpenOnDemand(path.c_str(), false), S_OK);
    ASSERT_TRUE(file.OnDemand());
    ASSERT_EQ(truncate(path.c_str(), 600), 0);
    BYTE bytes[1024];
    EXPECT_EQ(file.ReadBytes(file.View() + 128, bytes, 400), S_OK);
    EXPECT_EQ(std::memcmp(bytes, dds.data() + 128, 400), 0);
    EXPECT_EQ(file.ReadBytes(file.View() + 128, bytes, 1024), static_cast<HRESULT>(0x80070026));
    EXPECT_EQ(file.Need(file.View() + 128, 1024), static_cast<HRESULT>(0x80070026));
    tovtex::SetOnDemandFrom(tovtex::DEFAULT_ON_DEMAND_FROM);
}

// A texture file rewritten while a program loads it: every view opened is
// a whole snapshot of the file as it then was (here always a prefix of the
// content), or a clean failure; never a crash.
TEST_F(MappedFileTest, AFileRewrittenWhileItIsOpenedGivesWholeViewsOrFailures) {
    std::string content(256 * 1024, '\0');
    for (size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 + (i >> 9));
    }
    const std::string path = Write("rewritten.dds", content);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop) {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            for (size_t at = 0; at < content.size(); at += 16384) {
                out.write(content.data() + at, 16384);
                out.flush();
            }
        }
    });
    const HRESULT allowed[] = {
        static_cast<HRESULT>(0x80070026),  // shortened while being read
        static_cast<HRESULT>(0x800703EE),  // empty just then
        static_cast<HRESULT>(0x80070008),  // shorter than its size of a moment before
    };
    int whole = 0;
    for (int i = 0; i < 1000; ++i) {
        MappedFile file;
        const HRESULT hr = file.Open(path.c_str(), false);
        if (hr == S_OK) {
            ASSERT_LE(file.Size(), content.size());
            ASSERT_EQ(std::memcmp(file.View(), content.data(), file.Size()), 0) << file.Size();
            whole += file.Size() == content.size() ? 1 : 0;
        } else {
            EXPECT_NE(std::find(std::begin(allowed), std::end(allowed), hr), std::end(allowed)) << std::hex << hr;
        }
        // Images borrow from the view until Close: it must stay whole after
        // the file changes.
        std::this_thread::yield();
        if (hr == S_OK) {
            EXPECT_EQ(std::memcmp(file.View(), content.data(), file.Size()), 0);
        }
    }
    stop = true;
    writer.join();
    RecordProperty("whole views", whole);
}

TEST_F(MappedFileTest, WideNamesAreUtf16) {
    Write("caf\xC3\xA9.bin", "wide");
    const std::u16string name = std::u16string(dir_.begin(), dir_.end()) + u"/caf\u00E9.bin";
    MappedFile file;
    ASSERT_EQ(file.Open(name.c_str(), true), S_OK);
    EXPECT_EQ(file.Size(), 4u);
    EXPECT_EQ(std::memcmp(file.View(), "wide", 4), 0);
}

class ResourceDataTest : public ::testing::Test {
protected:
    void TearDown() override { platform_testing::ClearResources(); }
};

TEST_F(ResourceDataTest, LocatesBitmapResourcesByNameAndId) {
    static const BYTE bytes[] = {1, 2, 3, 4, 5, 6};
    HMODULE module = GetModuleHandleA(nullptr);
    platform_testing::AddResource(module, RT_BITMAP, "LOGO", bytes, sizeof(bytes));
    platform_testing::AddResource(module, RT_BITMAP, MAKEINTRESOURCEA(7), bytes, 3);

    ResourceData byName;
    ASSERT_EQ(byName.Locate(module, "logo", false), S_OK);
    EXPECT_EQ(byName.Size(), 6u);
    EXPECT_EQ(byName.Data()[5], 6);

    ResourceData byWideName;
    ASSERT_EQ(byWideName.Locate(module, u"LOGO", true), S_OK);
    EXPECT_EQ(byWideName.Size(), 6u);

    ResourceData byId;
    ASSERT_EQ(byId.Locate(module, MAKEINTRESOURCEA(7), false), S_OK);
    EXPECT_EQ(byId.Size(), 3u);
}

TEST_F(ResourceDataTest, MissingResourceGivesTheConvertedFindError) {
    static const BYTE bytes[] = {1};
    HMODULE module = GetModuleHandleA(nullptr);
    platform_testing::AddResource(module, RT_BITMAP, "OTHER", bytes, sizeof(bytes));
    ResourceData data;
    EXPECT_EQ(data.Locate(module, "NOSUCH", false), static_cast<HRESULT>(0x80070716));  // name not found
    EXPECT_EQ(data.Data(), nullptr);
    EXPECT_EQ(data.Size(), 0u);
}

}  // namespace
