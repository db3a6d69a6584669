// The tool and the files around it: special files refused and left alone,
// outputs replaced whole or not at all, and interruption that removes only
// the tool's own temporary files.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/lcg.h"
#include "temp_files.h"
#include "tool_runner.h"

namespace {

using namespace tool_test;
namespace fs = std::filesystem;

// Opaque noise: its PNG file is about as large as its pixels.
Picture Noise(unsigned width, unsigned height, uint32_t seed) {
    Picture picture{width, height, {}};
    test_support::Lcg random{seed};
    for (unsigned i = 0; i < width * height; ++i) {
        picture.pixels.push_back(0xFF000000u | random.Step() >> 8);
    }
    return picture;
}

// Names in a folder that the tool would have left there: hidden files.
std::vector<std::string> HiddenFiles(const std::string& folder) {
    std::vector<std::string> hidden;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name[0] == '.') {
            hidden.push_back(name);
        }
    }
    return hidden;
}

class ToolFiles : public testing::Test {
protected:
    void SetUp() override { dir_ = ScratchDir(testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::string dir_;
};

TEST_F(ToolFiles, SpecialFilesAreRefusedAndLeftAlone) {
    const std::string good = Path("good.png"), fifo = Path("fifo"), folder = Path("folder"), big = Path("big.dds");
    WriteFile(good, PngOf(Noise(8, 8, 0)));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    fs::create_directory(folder);
    // A sparse file: 5 GiB that take no room.
    WriteFile(big, {'D', 'D', 'S', ' '});
    ASSERT_EQ(truncate(big.c_str(), (int64_t{5} << 30) + 3), 0);
    // The system's /dev/full, made here: a write error must not remove it.
    const std::string device = Path("full");
    const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0;
    fs::create_symlink("full", Path("to-device"));

    struct Case {
        std::vector<std::string> args;
        std::string message;
        bool needsDevice;
    };
    const std::string fifoIn = fifo + ": cannot read: not a regular file (a FIFO) [0x80070032]";
    const std::string folderIn = folder + ": cannot read: not a regular file (a folder) [0x80070005]";
    const std::string fifoOut = fifo + ": cannot write: not a regular file (a FIFO) [0x80070032]";
    const std::string folderOut = folder + ": cannot write: not a regular file (a folder) [0x80070005]";
    const Case cases[] = {
        // clang-format off
        {{"info", fifo}, fifoIn, false},
        {{"info", "--json", fifo}, "not a regular file (a FIFO)", false},
        {{"info", folder}, folderIn, false},
        {{"info", big}, big + ": cannot read: too large (4 GiB or more) [0x800700DF]", false},
        {{"convert", "-f", fifo, Path("out.dds")}, fifoIn, false},
        {{"convert", "-f", big, Path("out.dds")}, "too large (4 GiB or more)", false},
        {{"decode", "-f", folder, Path("out.png")}, folderIn, false},
        {{"convert", "-f", good, fifo}, fifoOut, false},
        {{"convert", "-f", good, folder}, folderOut, false},
        {{"decode", "-f", good, folder}, folderOut, false},
        {{"info", device}, device + ": cannot read: not a regular file (a character device) [0x80070032]", true},
        {{"convert", "-f", good, device}, device + ": cannot write: not a regular file (a character device) [0x80070032]", true},
        {{"decode", "-f", good, device}, "not a regular file (a character device)", true},
        {{"convert", "-f", good, Path("to-device")}, Path("to-device") + ": cannot write: not a regular file", true},
        // clang-format on
    };
    for (const Case& c : cases) {
        if (c.needsDevice && !haveDevice) {
            continue;
        }
        std::string joined;
        for (const std::string& a : c.args) joined += a + " ";
        SCOPED_TRACE(joined);
        const RunResult run = Tovtex(c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE((run.err + run.out).find(c.message), std::string::npos) << run.err << run.out;
    }
    struct stat info {};
    EXPECT_TRUE(stat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
    EXPECT_TRUE(fs::is_directory(folder) && fs::is_empty(folder));
    EXPECT_EQ(fs::file_size(big), (uint64_t{5} << 30) + 3);
    if (haveDevice) {
        EXPECT_TRUE(stat(device.c_str(), &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == makedev(1, 7));
    }
    EXPECT_FALSE(fs::exists(Path("out.dds")));
    EXPECT_FALSE(fs::exists(Path("out.png")));
    EXPECT_TRUE(HiddenFiles(dir_).empty());
}

TEST_F(ToolFiles, OutputsAreReplacedWholeOrNotAtAll) {
    const std::string small = Path("small.png"), large = Path("large.png"), out = Path("out.dds");
    WriteFile(small, PngOf(Noise(8, 8, 1)));
    WriteFile(large, PngOf(Noise(256, 256, 2)));
    ASSERT_EQ(Tovtex({"convert", "-f", small, out, "--format", "A8R8G8B8"}).exitCode, 0);
    ASSERT_EQ(chmod(out.c_str(), 0640), 0);
    const std::vector<uint8_t> old = ReadFile(out);

    // A write that fails half way (the file system refuses to grow the file
    // past 4 KiB) leaves the old output as it was, and nothing beside it.
    for (const char* command : {"convert", "decode"}) {
        SCOPED_TRACE(command);
        const std::string target = std::string(command) == "convert" ? out : Path("old.png");
        if (target != out) {
            WriteFile(target, {'o', 'l', 'd'});
        }
        const std::vector<uint8_t> before = ReadFile(target);
        const RunResult failed = Tovtex({command, "-f", large, target}, 4096);
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_NE(failed.err.find(target + ": cannot write: file too large [0x800700DF]"), std::string::npos) << failed.err;
        EXPECT_EQ(ReadFile(target), before);
        EXPECT_TRUE(HiddenFiles(dir_).empty());
    }

    // A whole write replaces the file and keeps its permissions; a symbolic
    // link is written through and stays a link, even one to no file yet.
    fs::create_symlink("out.dds", Path("link.dds"));
    fs::create_symlink("sub/new.dds", Path("dangling.dds"));
    fs::create_directory(Path("sub"));
    ASSERT_EQ(Tovtex({"convert", "-f", large, Path("link.dds"), "--format", "A8R8G8B8"}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(Path("link.dds")));
    EXPECT_NE(ReadFile(out), old);
    Picture picture;
    ASSERT_TRUE(DecodeToPicture(ReadFile(out), &picture));
    EXPECT_EQ(picture.width, 256u);
    EXPECT_EQ(fs::status(out).permissions(), fs::perms(0640));

    // The same for an output large enough to be filled where it is written:
    // the bytes of the ordinary write (to standard output), or the old file.
    const std::string huge = Path("huge.png");
    WriteFile(huge, PngOf(Noise(1024, 1024, 3)));
    const std::vector<uint8_t> before = ReadFile(out);
    const RunResult failed = Tovtex({"convert", "-f", huge, Path("link.dds"), "--format", "DXT5"}, 4096);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("cannot write: file too large [0x800700DF]"), std::string::npos) << failed.err;
    EXPECT_EQ(ReadFile(out), before);
    EXPECT_TRUE(HiddenFiles(dir_).empty());
    const RunResult streamed = Tovtex({"convert", "-f", huge, "-", "--format", "DXT5"});
    ASSERT_EQ(streamed.exitCode, 0);
    ASSERT_EQ(Tovtex({"convert", "-f", huge, Path("link.dds"), "--format", "DXT5"}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(Path("link.dds")));
    const std::vector<uint8_t> inPlace = ReadFile(out);
    EXPECT_GT(inPlace.size(), 1u << 20);
    EXPECT_EQ(std::string(inPlace.begin(), inPlace.end()), streamed.out);
    EXPECT_EQ(fs::status(out).permissions(), fs::perms(0640));

    ASSERT_EQ(Tovtex({"convert", "-f", small, Path("dangling.dds")}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(Path("dangling.dds")));
    ASSERT_TRUE(DecodeToPicture(ReadFile(Path("sub/new.dds")), &picture));
    EXPECT_EQ(picture.width, 8u);
    // A new file gets the permissions any new file gets.
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(fs::status(Path("sub/new.dds")).permissions(), fs::perms(0666 & ~mask));
    EXPECT_TRUE(HiddenFiles(dir_).empty());
    EXPECT_TRUE(HiddenFiles(Path("sub")).empty());
}

// A long batch stopped by a signal: the tool ends at once with 128 + the
// signal's number, the outputs it finished stay whole, and no temporary
// file is left.
TEST_F(ToolFiles, InterruptionStopsAtOnceAndKeepsFinishedOutputs) {
    WriteFile(Path("first.png"), PngOf(Noise(8, 8, 3)));
    WriteFile(Path("work.png"), PngOf(Noise(512, 512, 4)));
    constexpr int INPUTS = 200;  // seconds of work in all
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        const std::string outDir = Path("out" + std::to_string(signal));
        std::vector<std::string> args{"convert", "-f", "-j", "1", "--format", "DXT5", "-o", outDir, Path("first.png")};
        for (int i = 0; i < INPUTS; ++i) {
            const std::string link = Path("w" + std::to_string(i) + ".png");
            if (!fs::exists(link)) {
                fs::create_symlink("work.png", link);
            }
            args.push_back(link);
        }
        const int tool = StartTovtex(args);
        ASSERT_GT(tool, 0);
        int status = 0;
        bool ended = false;
        while (!fs::exists(outDir + "/first.dds") && !ended) {
            ended = waitpid(tool, &status, WNOHANG) == tool;
            usleep(500);
        }
        ASSERT_FALSE(ended) << "the tool ended before its first output";
        kill(tool, signal);
        ASSERT_EQ(waitpid(tool, &status, 0), tool);
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);

        int outputs = 0;
        for (const auto& entry : fs::directory_iterator(outDir)) {
            ++outputs;
            Picture picture;
            EXPECT_TRUE(DecodeToPicture(ReadFile(entry.path().string()), &picture)) << entry.path();
        }
        EXPECT_GE(outputs, 1);
        EXPECT_LT(outputs, INPUTS + 1);
        EXPECT_TRUE(HiddenFiles(outDir).empty());
    }
}

// The same, without timing: a temporary file still open when the signal
// comes is removed, a committed one stays; a signal the tool was started
// with ignored stays ignored.
TEST_F(ToolFiles, SignalsRemoveOnlyUnfinishedTemporaryFiles) {
    struct Case {
        std::vector<int> sent;
        bool interruptIgnored;
        int exitCode;
    };
    const Case cases[] = {
        // clang-format off
        {{SIGINT}, false, 130},
        {{SIGTERM}, false, 143},
        {{SIGHUP}, false, 129},
        {{SIGINT, SIGTERM}, true, 143},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exitCode);
        const std::string folder = dir_ + "/";
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (c.interruptIgnored) {
                signal(SIGINT, SIG_IGN);
            }
            tovtex_tool::StopOnSignals();
            std::string done, pending;
            int fd = tovtex_tool::CreateTempFile(folder, "done.dds", &done);
            const bool ok = fd >= 0 && write(fd, "whole", 5) == 5 && close(fd) == 0 &&
                            tovtex_tool::CommitTempFile(done, folder + "done.dds");
            fd = tovtex_tool::CreateTempFile(folder, "pending.dds", &pending);
            if (!ok || fd < 0 || write(fd, "half", 4) != 4 || write(ready[1], "r", 1) != 1) {
                _exit(99);
            }
            for (;;) {
                pause();
            }
        }
        close(ready[1]);
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        ASSERT_EQ(HiddenFiles(dir_).size(), 1u);
        for (const int signal : c.sent) {
            kill(child, signal);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), c.exitCode);
        EXPECT_TRUE(HiddenFiles(dir_).empty());
        EXPECT_EQ(ReadFile(folder + "done.dds"), std::vector<uint8_t>({'w', 'h', 'o', 'l', 'e'}));
        fs::remove(folder + "done.dds");
    }
}

}  // namespace
