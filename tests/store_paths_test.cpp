#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include <sys/resource.h>

#include "platform/fs.h"
#include "platform/instance_lock.h"
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

// Every entry of a directory, symlinks and directories included, sorted.
std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Root ignores permission bits, so failures are forced by the file system's shape.
TEST(FsAtomicWrite, FailuresLeaveTheOldFileAndNoTemporary) {
    TempDir dir;
    const std::string path = dir / "saves.dat";
    ASSERT_TRUE(fs::writeFileAtomic(path, "old"));
    EXPECT_EQ("old", storetest::readFile(path));
    EXPECT_EQ(0600u, static_cast<unsigned>(std::filesystem::status(path).permissions()));
    EXPECT_EQ(std::vector<std::string>{"saves.dat"}, entries(dir.path()));

    // The rename fails (target is a non-empty directory): temporary removed.
    std::filesystem::create_directories(dir / "occupied/inside");
    EXPECT_FALSE(fs::writeFileAtomic(dir / "occupied", "new"));
    // The containing "directory" is a regular file.
    EXPECT_FALSE(fs::writeFileAtomic(path + "/x", "new"));
    EXPECT_EQ((std::vector<std::string>{"occupied", "saves.dat"}), entries(dir.path()));

    ASSERT_TRUE(fs::writeFileAtomic(path, "new"));
    EXPECT_EQ("new", storetest::readFile(path));
}

// A short write (the size limit cuts it) must not pass for a whole one.
TEST(FsAtomicWrite, FileSizeLimitFailsTheWrite) {
    TempDir dir;
    const std::string path = dir / "settings.dat";
    ASSERT_TRUE(fs::writeFileAtomic(path, "old"));
    EXPECT_IN_CHILD([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        EXPECT_FALSE(fs::writeFileAtomic(path, std::string(5000, 'y')));
    });
    EXPECT_EQ("old", storetest::readFile(path));
    EXPECT_EQ(std::vector<std::string>{"settings.dat"}, entries(dir.path()));
}

// Temporaries are created only where nothing is, never through a symlink
// someone left at the name, and the leftovers of killed writes go at the next start.
TEST(FsAtomicWrite, TemporariesAreExclusiveAndLeftoversGoAway) {
    TempDir dir;
    const std::string victim = dir / "victim";
    storetest::writeFile(victim, "keep");
    std::filesystem::create_symlink(victim, dir / "saves.dat.neu");
    std::filesystem::create_symlink(dir / "nowhere", dir / "saves.dat.Q1w2E3.neu");
    EXPECT_EQ(-1, fs::createNew(dir / "saves.dat.neu"));
    EXPECT_EQ(-1, fs::createNew(dir / "saves.dat.Q1w2E3.neu"));
    EXPECT_EQ(-1, fs::createNew(victim));
    EXPECT_EQ("keep", storetest::readFile(victim));
    ASSERT_TRUE(fs::writeFileAtomic(dir / "saves.dat", "new"));
    EXPECT_EQ("keep", storetest::readFile(victim));
    for (const char* other :
         {"saves.dat.Ab12Cd.neu", "saves.dat.manipuliert", "saves.dat.toolong1.neu", "settings.dat.Ab12Cd.neu"})
        storetest::writeFile(dir / other, "x");
    fs::removeLeftoverTemporaries(dir / "saves.dat");
    EXPECT_EQ((std::vector<std::string>{"saves.dat", "saves.dat.manipuliert", "saves.dat.toolong1.neu",
                                        "settings.dat.Ab12Cd.neu", "victim"}),
              entries(dir.path()));
    EXPECT_EQ("keep", storetest::readFile(victim));
}

// One holder per data directory; others are told, and their knock reaches
// the holder. (A holder's death freeing the lock is tried with the game itself
// in the shell tests.)
TEST(InstanceLock, OneHolderWhoHearsTheKnock) {
    TempDir dir;
    int toParent[2];
    ASSERT_EQ(0, ::pipe(toParent));
    const pid_t holder = ::fork();
    if (holder == 0) {
        char byte = platform::lockDataDir(dir.path()) == platform::LockResult::Acquired ? 'L' : 'x';
        (void)!::write(toParent[1], &byte, 1);
        for (int i = 0; i < 500 && !platform::lockKnocked(); ++i) ::usleep(10000);
        byte = platform::lockKnocked() ? 'x' : 'K';  // a knock is reported once
        (void)!::write(toParent[1], &byte, 1);
        ::pause();
    }
    ::close(toParent[1]);
    char byte = 0;
    ASSERT_EQ(1, ::read(toParent[0], &byte, 1));
    EXPECT_EQ('L', byte);
    EXPECT_IN_CHILD([&] {
        EXPECT_EQ(platform::LockResult::HeldElsewhere, platform::lockDataDir(dir.path()));
        EXPECT_FALSE(platform::lockKnocked());  // holds nothing
        ::usleep(20000);  // a later time stamp than the lock's own
        platform::knockOnLock(dir.path());
    });
    ASSERT_EQ(1, ::read(toParent[0], &byte, 1));
    EXPECT_EQ('K', byte);
    ::close(toParent[0]);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(platform::LockResult::Unavailable, platform::lockDataDir(dir / "missing"));
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
            if (c.made) {  // private to the player
                EXPECT_EQ(0700u, static_cast<unsigned>(std::filesystem::status(paths::dataDir()).permissions()));
            }
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
