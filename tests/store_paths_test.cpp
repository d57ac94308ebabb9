#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/resource.h>

#include "platform/fs.h"
#include "platform/paths.h"
#include "store_support.h"

namespace fs = platform::fs;
using storetest::TempDir;

namespace {

TEST(FsQueries, ReportPlainResults) {
    TempDir dir;
    const std::string file = dir / "f.txt";
    storetest::writeFile(file, "12345");
    EXPECT_EQ(5, fs::fileSize(file));
    for (const std::string& notAFile : {dir.path(), dir / "missing", std::string()}) {
        EXPECT_EQ(-1, fs::fileSize(notAFile)) << notAFile;
        EXPECT_FALSE(fs::isFile(notAFile)) << notAFile;
    }
    EXPECT_TRUE(fs::isDir(dir.path()));
    EXPECT_FALSE(fs::isDir(file));
    EXPECT_FALSE(fs::isDir(""));

    EXPECT_TRUE(fs::ensureDir(dir / "a/b/c"));
    EXPECT_TRUE(fs::ensureDir(dir / "a/b/c"));  // already there
    EXPECT_FALSE(fs::ensureDir(file + "/sub"));  // parent is a file
    EXPECT_FALSE(fs::ensureDir(""));

    storetest::writeFile(dir / "b.txt", "");
    std::filesystem::create_symlink(file, dir / "link");
    std::filesystem::create_symlink(dir / "a", dir / "dirlink");
    EXPECT_EQ((std::vector<std::string>{"b.txt", "f.txt", "link"}), fs::listDir(dir.path()));
    EXPECT_TRUE(fs::listDir(dir / "missing").empty());

    EXPECT_TRUE(fs::replaceAtomic(dir / "b.txt", file));
    EXPECT_EQ(0, fs::fileSize(file));
    EXPECT_FALSE(fs::replaceAtomic(dir / "missing", file));
    EXPECT_TRUE(fs::syncFile(file));
    EXPECT_FALSE(fs::syncFile(dir / "missing"));
    EXPECT_TRUE(fs::syncDir(dir.path()));
    EXPECT_TRUE(fs::remove(file));
    EXPECT_FALSE(fs::remove(file));
    EXPECT_FALSE(fs::remove(dir / "a"));  // not empty
}

// Root ignores permission bits, so failures are forced by the file system's
// shape and by a device that refuses writes.
TEST(FsAtomicWrite, FailuresLeaveTheOldFileAndNoTemporary) {
    TempDir dir;
    const std::string path = dir / "saves.dat";
    const std::string tmp = path + ".neu";
    ASSERT_TRUE(fs::writeFileAtomic(path, tmp, "old"));
    EXPECT_EQ("old", storetest::readFile(path));
    EXPECT_FALSE(storetest::exists(tmp));

    // A write that fails half-way: the temporary leads to a full device.
    if (!storetest::exists("/dev/full")) GTEST_SKIP() << "needs /dev/full";
    std::filesystem::create_symlink("/dev/full", tmp);
    EXPECT_FALSE(fs::writeFileAtomic(path, tmp, std::string(100000, 'x')));
    EXPECT_EQ("old", storetest::readFile(path));
    EXPECT_FALSE(storetest::exists(tmp));

    // The temporary name is occupied by a directory: it cannot be opened and
    // must not be removed.
    std::filesystem::create_directory(tmp);
    EXPECT_FALSE(fs::writeFileAtomic(path, tmp, "new"));
    EXPECT_EQ("old", storetest::readFile(path));
    EXPECT_TRUE(fs::isDir(tmp));
    std::filesystem::remove(tmp);

    // The rename fails (target is a non-empty directory): temporary removed.
    const std::string dirTarget = dir / "occupied";
    std::filesystem::create_directories(dirTarget + "/inside");
    EXPECT_FALSE(fs::writeFileAtomic(dirTarget, tmp, "new"));
    EXPECT_FALSE(storetest::exists(tmp));

    // The containing "directory" is a regular file.
    EXPECT_FALSE(fs::writeFileAtomic(path + "/x", path + "/x.neu", "new"));
    EXPECT_EQ("old", storetest::readFile(path));

    ASSERT_TRUE(fs::writeFileAtomic(path, tmp, "new"));
    EXPECT_EQ("new", storetest::readFile(path));
}

// A short write (the size limit cuts it) must not pass for a whole one.
TEST(FsAtomicWrite, FileSizeLimitFailsTheWrite) {
    TempDir dir;
    const std::string path = dir / "settings.dat";
    ASSERT_TRUE(fs::writeFileAtomic(path, path + ".neu", "old"));
    EXPECT_IN_CHILD([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        EXPECT_FALSE(fs::writeFileAtomic(path, path + ".neu", std::string(5000, 'y')));
    });
    EXPECT_EQ("old", storetest::readFile(path));
    EXPECT_FALSE(storetest::exists(path + ".neu"));
}

void setOrUnset(const char* name, const char* value) {
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
}

TEST(Paths, DataDirFromXdgOrHome) {
    TempDir dir;
    const std::string xdg = dir / "xdg", file = dir / "plainfile";
    storetest::writeFile(file, "x");
    const struct {
        const char* xdg;  // nullptr: unset
        const char* home;
        std::string want;
        bool made;
    } cases[] = {
        {xdg.c_str(), nullptr, dir / "xdg/Zelvane", true},
        {"", dir.path().c_str(), dir / ".local/share/Zelvane", true},
        {nullptr, nullptr, "./.local/share/Zelvane", true},  // relative to the working directory
        {nullptr, file.c_str(), dir / "plainfile/.local/share/Zelvane", false},  // the name still stands
    };
    for (const auto& c : cases) {
        EXPECT_IN_CHILD([&] {
            setOrUnset("XDG_DATA_HOME", c.xdg);
            setOrUnset("HOME", c.home);
            ASSERT_EQ(0, ::chdir(dir.path().c_str()));
            EXPECT_EQ(c.want, paths::dataDir());
            EXPECT_EQ(c.made, fs::isDir(paths::dataDir()));
            ::setenv("XDG_DATA_HOME", "/elsewhere", 1);
            EXPECT_EQ(c.want, paths::dataDir());  // decided once per run
        });
    }
    EXPECT_IN_CHILD([&] {
        ::setenv("XDG_CACHE_HOME", "", 1);
        ::setenv("HOME", dir.path().c_str(), 1);
        EXPECT_EQ(dir / ".cache/Zelvane", paths::cacheDir());
        EXPECT_TRUE(fs::isDir(paths::cacheDir()));
    });
}

void makeAssetTree(const std::string& root, bool withAudio) {
    std::filesystem::create_directories(root + "/assets/fonts");
    if (withAudio) std::filesystem::create_directories(root + "/assets/audio");
}

// True when one of the candidates after the override already holds assets.
bool fixedCandidateExists() {
    const std::string exe = paths::exeDir();
    for (const std::string& root :
         {exe + "/../share/Zelvane", std::string("/usr/share/Zelvane"), std::string("/app/share/Zelvane"), exe,
          exe + "/.."}) {
        if (fs::isDir(root + "/assets/fonts") && fs::isDir(root + "/assets/audio")) return true;
    }
    return false;
}

TEST(Paths, AssetDirCandidates) {
    TempDir dir;
    const std::string good = dir / "good", half = dir / "half", snap = dir / "snap";
    makeAssetTree(good, true);
    makeAssetTree(half, false);
    makeAssetTree(snap + "/usr/share/Zelvane", true);
    const struct {
        const char* snap;
        std::string override, cwd, want;
    } cases[] = {
        {nullptr, good, half, good},
        {snap.c_str(), good, half, snap + "/usr/share/Zelvane"},  // the sandbox wins
        {nullptr, half, good, "."},  // a tree without audio is skipped; the working directory comes last
        {nullptr, half, half, paths::exeDir()},  // nothing fits
    };
    for (const auto& c : cases) {
        EXPECT_IN_CHILD([&] {
            setOrUnset("SNAP", c.snap);
            ::unsetenv("APPDIR");
            ::setenv("ZELVANE_ASSET_DIR", c.override.c_str(), 1);
            ASSERT_EQ(0, ::chdir(c.cwd.c_str()));
            if (!c.snap && c.want != c.override && fixedCandidateExists()) {
                GTEST_SKIP() << "an installed or built asset tree takes precedence here";
            }
            EXPECT_EQ(c.want, paths::assetDir());
            EXPECT_EQ(c.want + "/assets/audio/none.ogg", paths::asset("assets/audio/none.ogg"));
        });
    }
}

TEST(Paths, ExeDirIsTheTestBinaryFolder) {
    const std::string exe = paths::exeDir();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ('/', exe[0]);
    EXPECT_NE('/', exe.back());
    EXPECT_TRUE(fs::isFile(exe + "/tests_store"));
}

}  // namespace
