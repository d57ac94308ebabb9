#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>

#include "platform/file_writer.h"
#include "platform/fs.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "store_support.h"

namespace fs = platform::fs;
using storetest::entries;
using storetest::TempDir;

namespace {

// Root ignores permission bits, so failures are forced by the file system's shape.
TEST(FsAtomicWrite, FailuresLeaveTheOldFileAndNoTemporary) {
    TempDir dir;
    const std::string path = dir / "saves.dat";
    ASSERT_TRUE(fs::writeFileAtomic(path, "old"));
    EXPECT_EQ(0600u, storetest::mode(path));
    std::filesystem::create_directories(dir / "occupied/inside");
    EXPECT_FALSE(fs::writeFileAtomic(dir / "occupied", "new"));  // the rename fails
    EXPECT_FALSE(fs::writeFileAtomic(path + "/x", "new"));  // the "directory" is a file

    // A short write (the size limit cuts it) must not pass for a whole one.
    EXPECT_IN_CHILD([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        EXPECT_FALSE(fs::writeFileAtomic(path, std::string(5000, 'y')));
    });
    EXPECT_EQ("old", storetest::readFile(path));
    EXPECT_EQ((std::vector<std::string>{"occupied", "saves.dat"}), entries(dir.path()));
}

// Temporaries are created only where nothing is, never through a symlink
// someone left at the name, and the leftovers of killed writes go at the next start.
TEST(FsAtomicWrite, TemporariesAreExclusiveAndLeftoversGoAway) {
    TempDir dir;
    const std::string victim = dir / "victim";
    storetest::writeFile(victim, "keep");
    std::filesystem::create_symlink(victim, dir / "saves.dat.neu");
    std::filesystem::create_symlink(dir / "nowhere", dir / "saves.dat.Q1w2E3.neu");
    for (const std::string& taken : {dir / "saves.dat.neu", dir / "saves.dat.Q1w2E3.neu", victim})
        EXPECT_EQ(-1, fs::createNew(taken)) << taken;
    ASSERT_TRUE(fs::writeFileAtomic(dir / "saves.dat", "new"));
    EXPECT_EQ("keep", storetest::readFile(victim));
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
    for (const char* other :
         {"saves.dat.Ab12Cd.neu", "saves.dat.manipuliert", "saves.dat.toolong1.neu", "games.pgn.Ab12Cd.neu"})
        storetest::writeFile(dir / other, "x");
    fs::removeLeftoverTemporaries(dir / "saves.dat");
    EXPECT_EQ((std::vector<std::string>{"games.pgn.Ab12Cd.neu", "saves.dat", "saves.dat.manipuliert",
                                        "saves.dat.toolong1.neu", "victim"}),
              entries(dir.path()));
    EXPECT_EQ("keep", storetest::readFile(victim));
}

// Bytes queued for a path whose write has not started replace that write;
// a flush returns only once everything queued is on disk.
TEST(FileWriter, NewestBytesWinAndFlushWaitsForThem) {
    TempDir dir;
    EXPECT_IN_CHILD([&] {
        for (int i = 1; i <= 300; ++i) {
            platform::queueFileReplace(dir / "a", std::to_string(i));
            platform::queueFileReplace(dir / "b", std::string(i * 100, 'b'));
        }
        platform::flushFileWrites();
        EXPECT_EQ("300", storetest::readFile(dir / "a"));
        EXPECT_EQ(std::string(30000, 'b'), storetest::readFile(dir / "b"));
        platform::queueFileReplace(dir / "c", std::string(32 << 20, 'c'));
        ::usleep(2000);  // the writer has taken it: nothing is queued while it writes
        platform::flushFileWrites();
        EXPECT_EQ(32 << 20, fs::fileSize(dir / "c"));
    });
}

// One holder per data directory; others are told, and their knock reaches
// the holder once. A symlink at the lock's name is neither followed to make a
// file nor touched through. (A holder's death freeing the lock is tried with
// the game itself in the shell tests.)
TEST(InstanceLock, OneHolderHearsTheKnockAndNoSymlinkIsFollowed) {
    TempDir dir;
    storetest::writeFile(dir / "victim", "v");
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    ::utimensat(AT_FDCWD, (dir / "victim").c_str(), old, 0);
    std::filesystem::create_directories(dir / "a");
    std::filesystem::create_directories(dir / "b");
    std::filesystem::create_symlink(dir / "nowhere", dir / "a/Zelvane.lock");
    std::filesystem::create_symlink(dir / "victim", dir / "b/Zelvane.lock");
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
        EXPECT_EQ(platform::LockResult::Unavailable, platform::lockDataDir(dir / "a"));
        EXPECT_EQ(platform::LockResult::Unavailable, platform::lockDataDir(dir / "missing"));
        platform::knockOnLock(dir / "b");
        ::usleep(20000);  // a later time stamp than the lock's own
        platform::knockOnLock(dir.path());
    });
    ASSERT_EQ(1, ::read(toParent[0], &byte, 1));
    EXPECT_EQ('K', byte);
    ::close(toParent[0]);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
    struct stat info {};
    ASSERT_EQ(0, ::stat((dir / "victim").c_str(), &info));
    EXPECT_EQ(1000, info.st_mtim.tv_sec);
}

void setOrUnset(const char* name, const char* value) {
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
}

// The data directory comes from XDG_DATA_HOME, else from HOME, is decided
// once per run and is private to the player.
TEST(Paths, DataDirFromXdgOrHomeMadePrivateOnce) {
    TempDir dir;
    const std::string xdg = dir / "xdg", file = dir / "plainfile";
    storetest::writeFile(file, "x");
    const struct {
        const char* xdg;  // nullptr: unset
        const char* home;
        std::string want;
        unsigned mode;  // 0: not made
    } cases[] = {
        {xdg.c_str(), nullptr, dir / "xdg/Zelvane", 0700},
        {"", dir.path().c_str(), dir / ".local/share/Zelvane", 0700},
        {nullptr, nullptr, "./.local/share/Zelvane", 0700},  // relative to the working directory
        {nullptr, file.c_str(), dir / "plainfile/.local/share/Zelvane", 0},  // the name still stands
    };
    for (const auto& c : cases) {
        EXPECT_IN_CHILD([&] {
            setOrUnset("XDG_DATA_HOME", c.xdg);
            setOrUnset("HOME", c.home);
            ASSERT_EQ(0, ::chdir(dir.path().c_str()));
            EXPECT_EQ(c.want, paths::dataDir());
            EXPECT_EQ(c.mode, fs::isDir(c.want) ? storetest::mode(c.want) : 0u);
            ::setenv("XDG_DATA_HOME", "/elsewhere", 1);
            EXPECT_EQ(c.want, paths::dataDir());
        });
    }
}

// The first tree with both fonts and audio wins: the sandbox's, then the
// override (the fixed places after it differ between machines).
TEST(Paths, AssetDirIsTheFirstCandidateWithFontsAndAudio) {
    TempDir dir;
    const std::string good = dir / "good", snapRoot = dir / "snap", halfRoot = dir / "half";
    const std::string snap = snapRoot + "/usr/share/Zelvane";
    for (const std::string& tree : {good + "/assets/audio", good + "/assets/fonts", snap + "/assets/audio",
                                    snap + "/assets/fonts", halfRoot + "/usr/share/Zelvane/assets/fonts"})
        std::filesystem::create_directories(tree);
    const struct {
        const char* snap;
        std::string want;
    } cases[] = {{nullptr, good}, {snapRoot.c_str(), snap}, {halfRoot.c_str(), good}};  // no audio: skipped
    for (const auto& c : cases) {
        EXPECT_IN_CHILD([&] {
            setOrUnset("SNAP", c.snap);
            ::unsetenv("APPDIR");
            ::setenv("ZELVANE_ASSET_DIR", good.c_str(), 1);
            EXPECT_EQ(c.want + "/assets/audio/none.ogg", paths::asset("assets/audio/none.ogg"));
        });
    }
}

}  // namespace
