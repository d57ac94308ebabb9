#include <gtest/gtest.h>

#include <filesystem>

#include <sys/resource.h>
#include <csignal>

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
    EXPECT_EQ(-1, fs::fileSize(dir.path()));
    EXPECT_EQ(-1, fs::fileSize(dir / "missing"));
    EXPECT_TRUE(fs::isFile(file));
    EXPECT_FALSE(fs::isFile(dir.path()));
    EXPECT_FALSE(fs::isFile(""));
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

TEST(Paths, DataDirFromXdgOrHome) {
    TempDir dir;
    EXPECT_IN_CHILD([&] {
        ::setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
        EXPECT_EQ(dir / "xdg/Zelvane", paths::dataDir());
        EXPECT_TRUE(fs::isDir(paths::dataDir()));
        ::setenv("XDG_DATA_HOME", (dir / "other").c_str(), 1);
        EXPECT_EQ(dir / "xdg/Zelvane", paths::dataDir());  // decided once per run
    });
    EXPECT_IN_CHILD([&] {
        ::setenv("XDG_DATA_HOME", "", 1);
        ::setenv("XDG_CACHE_HOME", "", 1);
        ::setenv("HOME", dir.path().c_str(), 1);
        EXPECT_EQ(dir / ".local/share/Zelvane", paths::dataDir());
        EXPECT_EQ(dir / ".cache/Zelvane", paths::cacheDir());
        EXPECT_TRUE(fs::isDir(paths::cacheDir()));
    });
    EXPECT_IN_CHILD([&] {
        ::unsetenv("XDG_DATA_HOME");
        ::unsetenv("HOME");
        ASSERT_EQ(0, ::chdir(dir.path().c_str()));
        EXPECT_EQ("./.local/share/Zelvane", paths::dataDir());
        EXPECT_TRUE(fs::isDir(dir / ".local/share/Zelvane"));
    });
    EXPECT_IN_CHILD([&] {
        // HOME names a file: the directory cannot be created, the name still stands.
        storetest::writeFile(dir / "plainfile", "x");
        ::unsetenv("XDG_DATA_HOME");
        ::setenv("HOME", (dir / "plainfile").c_str(), 1);
        EXPECT_EQ(dir / "plainfile/.local/share/Zelvane", paths::dataDir());
        EXPECT_FALSE(fs::isDir(paths::dataDir()));
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
    makeAssetTree(dir / "good", true);
    makeAssetTree(dir / "half", false);
    makeAssetTree(dir / "snap/usr/share/Zelvane", true);
    const auto clearSandbox = [] {
        ::unsetenv("SNAP");
        ::unsetenv("APPDIR");
    };
    EXPECT_IN_CHILD([&] {
        clearSandbox();
        ::setenv("ZELVANE_ASSET_DIR", (dir / "good").c_str(), 1);
        EXPECT_EQ(dir / "good", paths::assetDir());
        EXPECT_EQ(dir / "good/assets/audio/none.ogg", paths::asset("assets/audio/none.ogg"));
    });
    EXPECT_IN_CHILD([&] {
        ::setenv("SNAP", (dir / "snap").c_str(), 1);  // the sandbox wins
        ::setenv("ZELVANE_ASSET_DIR", (dir / "good").c_str(), 1);
        EXPECT_EQ(dir / "snap/usr/share/Zelvane", paths::assetDir());
    });
    EXPECT_IN_CHILD([&] {
        // A tree without audio is skipped; the working directory is the last candidate.
        clearSandbox();
        ::setenv("ZELVANE_ASSET_DIR", (dir / "half").c_str(), 1);
        ASSERT_EQ(0, ::chdir((dir / "good").c_str()));
        if (fixedCandidateExists()) GTEST_SKIP() << "an installed or built asset tree takes precedence here";
        EXPECT_EQ(".", paths::assetDir());
    });
    EXPECT_IN_CHILD([&] {
        clearSandbox();
        ::setenv("ZELVANE_ASSET_DIR", (dir / "half").c_str(), 1);
        ASSERT_EQ(0, ::chdir((dir / "half").c_str()));
        if (fixedCandidateExists()) GTEST_SKIP() << "an installed or built asset tree takes precedence here";
        EXPECT_EQ(paths::exeDir(), paths::assetDir());  // nothing fits
    });
}

TEST(Paths, ExeDirIsTheTestBinaryFolder) {
    const std::string exe = paths::exeDir();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ('/', exe[0]);
    EXPECT_NE('/', exe.back());
    EXPECT_TRUE(fs::isFile(exe + "/tests_store"));
}

}  // namespace
