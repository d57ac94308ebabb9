#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/storage.h"
#include "platform/fs.h"
#include "store_support.h"

namespace fs = platform::fs;
using storetest::TempDir;
using storetest::withStore;

namespace {

const char* const kDefaultSettings =
    R"({"flipBoard":false,"fullscreen":false,"language":"","maximized":false,)"
    R"("musicVolume":0.10000000000000001,"sfxVolume":0.75,"showLegalMoves":true,"soundOn":true,)"
    R"("windowH":0,"windowW":0,"windowX":-1,"windowY":-1})";

// The settings as the store writes them now.
std::string savedSettings(const std::string& data) {
    store::saveSettings();
    return storetest::openSealedJson(data + "/settings.dat").dump();
}

bool storesAtDefaults() { return store::settings().language.empty() && store::unlockedLevel() == 1; }

TEST(SettingsRead, ClampsAndLimitsPerKey) {
    withStore("settings.dat",
              platform::saveEncrypt(R"({"windowW":300,"windowH":1000.6,"windowX":-10000,"windowY":5,)"
                                    R"("musicVolume":1.7,"sfxVolume":-0.2,"language":"de","soundOn":false,)"
                                    R"("flipBoard":true,"showLegalMoves":false,"maximized":true,)"
                                    R"("fullscreen":true,"unknown":1})"),
              [](const std::string& data) {
                  EXPECT_FALSE(store::settings().hasPosition());
                  EXPECT_TRUE(store::settings().hasSize());
                  EXPECT_EQ(R"({"flipBoard":true,"fullscreen":true,"language":"de","maximized":true,)"
                            R"("musicVolume":1,"sfxVolume":0,"showLegalMoves":false,"soundOn":false,)"
                            R"("windowH":1001,"windowW":640,"windowX":-10000,"windowY":5})",
                            savedSettings(data));
              });
    withStore("settings.dat", platform::saveEncrypt(R"({"windowW":0,"windowH":-5,"windowX":-1,"windowY":-9999})"),
              [](const std::string&) {
                  const store::Settings& s = store::settings();
                  EXPECT_EQ(0, s.windowH);
                  EXPECT_FALSE(s.hasSize());
                  EXPECT_FALSE(s.hasPosition());  // -1 means none
              });
}

TEST(SettingsRead, WrongTypesLeaveDefaults) {
    withStore("settings.dat",
              platform::saveEncrypt(R"({"language":5,"soundOn":"no","musicVolume":"0.5","sfxVolume":null,)"
                                    R"("flipBoard":1,"showLegalMoves":[],"windowW":"800","windowH":{},)"
                                    R"("windowX":true,"windowY":"3","maximized":0,"fullscreen":"true"})"),
              [](const std::string& data) { EXPECT_EQ(kDefaultSettings, savedSettings(data)); });
}

// Files of either store that do not open are set aside with one line; defaults
// apply, and the next change writes a fresh file.
TEST(StoreRead, UnreadableFilesAreSetAside) {
    const std::string plain = R"({"language":"fr","unlocked_level":50})";
    const std::string sealed = platform::saveEncrypt(plain);
    std::string flipped = sealed;
    flipped[50] = static_cast<char>(flipped[50] ^ 0x10);
    std::string wrongVersion = sealed;
    wrongVersion[4] = 2;
    const std::string huge = sealed + std::string(17 * 1024 * 1024, 'z');
    for (const char* name : {"settings.dat", "saves.dat"}) {
        for (const std::string& bytes :
             {plain, sealed.substr(0, 30), sealed.substr(0, sealed.size() - 2), flipped, wrongVersion, huge}) {
            withStore(name, bytes, [&](const std::string& data) {
                const std::string path = data + "/" + name;
                EXPECT_TRUE(storesAtDefaults());
                EXPECT_FALSE(storetest::exists(path));
                EXPECT_TRUE(bytes == storetest::readFile(path + ".manipuliert"));
                EXPECT_EQ("[storage] " + path + " war nicht lesbar \xE2\x80\x94 beiseitegelegt\n",
                          storetest::stderrText(data));
                store::saveSettings();
                store::advanceUnlockedLevel(2);
                EXPECT_EQ(2, storetest::openSealedJson(data + "/saves.dat")["unlocked_level"].asInt(0));
                EXPECT_TRUE(storetest::openSealedJson(data + "/settings.dat").isObject());
            });
        }
    }
}

// Root reads everything, so the permission case runs as "nobody" when the
// tests run as root. False when the switch failed.
bool dropRoot(const std::string& home) {
    if (::geteuid() != 0) return true;
    constexpr uid_t kNobody = 65534;
    for (const auto& e : std::filesystem::recursive_directory_iterator(home)) {
        if (::lchown(e.path().c_str(), kNobody, kNobody) != 0) return false;
    }
    return ::lchown(home.c_str(), kNobody, kNobody) == 0 && ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 &&
           ::setuid(kNobody) == 0;
}

// A file that is there but cannot be read, or cannot be set aside, may still
// hold the player's progress: defaults apply, one line says why, and the file
// is not written for the rest of the run, while the other file is.
TEST(StoreRead, FilesThatCannotBeReadOrSetAsideAreNeverOverwritten) {
    const std::string tampered = platform::saveEncrypt("{}").substr(0, 44);
    const std::string kept = " \xE2\x80\x94 es gelten die Vorgaben, die Datei bleibt unver\xC3\xA4ndert\n";
    enum class Shape { Unreadable, Loop, NoSetAside };
    const struct {
        Shape shape;
        std::string line;  // after "[storage] <path> "
    } cases[] = {
        {Shape::Unreadable, "l\xC3\xA4sst sich nicht lesen (keine Berechtigung)" + kept},
        {Shape::Loop, "l\xC3\xA4sst sich nicht lesen (zu viele symbolische Verweise)" + kept},
        {Shape::NoSetAside,
         "war nicht lesbar \xE2\x80\x94 l\xC3\xA4sst sich nicht beiseitelegen und bleibt unver\xC3\xA4ndert\n"},
    };
    for (const auto& c : cases) {
        for (const std::string name : {"settings.dat", "saves.dat"}) {
            SCOPED_TRACE(c.line + name);
            TempDir home;
            EXPECT_IN_CHILD([&] {
                const std::string data = storetest::useHome(home.path());
                const std::string path = data + "/" + name;
                const std::string bytes = c.shape == Shape::NoSetAside ? tampered : "sealed progress";
                if (c.shape == Shape::Loop) {
                    std::filesystem::create_symlink(path, path);
                } else {
                    storetest::writeFile(path, bytes);
                }
                if (c.shape == Shape::Unreadable) ::chmod(path.c_str(), 0);
                if (c.shape == Shape::NoSetAside) std::filesystem::create_directories(path + ".manipuliert/full");
                storetest::captureStderr(home / "stderr.txt");
                ASSERT_TRUE(dropRoot(home.path()));

                store::init();
                EXPECT_TRUE(storesAtDefaults());
                EXPECT_EQ("[storage] " + path + " " + c.line, storetest::stderrText(data));
                store::settings().language = "fi";
                store::saveSettings();
                store::advanceUnlockedLevel(4);
                const std::string other = data + (name == "saves.dat" ? "/settings.dat" : "/saves.dat");
                EXPECT_TRUE(storetest::openSealedJson(other).isObject());
                if (c.shape == Shape::Loop) {
                    EXPECT_TRUE(std::filesystem::is_symlink(path));
                } else {
                    ::chmod(path.c_str(), 0600);
                    EXPECT_EQ(bytes, storetest::readFile(path));
                }
            });
        }
    }
}

// A copy started next to a running game (the demonstration) reads the files
// but changes nothing on disk: no writes, no clean-up, nothing set aside.
TEST(StoreRead, ReadOnlyLoadChangesNothingOnDisk) {
    TempDir home;
    EXPECT_IN_CHILD([&] {
        const std::string data = storetest::useHome(home.path());
        storetest::writeFile(data + "/saves.dat", platform::saveEncrypt(R"({"unlocked_level":9})"));
        storetest::writeFile(data + "/settings.dat", "tampered");
        storetest::writeFile(data + "/saves.dat.Ab12Cd.neu", "being written by the running game");
        const std::vector<std::string> before = fs::listDir(data);
        store::init(true);
        EXPECT_EQ(9, store::unlockedLevel());
        store::saveSettings();
        store::advanceUnlockedLevel(12);
        store::flush();
        EXPECT_EQ(before, fs::listDir(data));
        EXPECT_EQ(9, storetest::openSealedJson(data + "/saves.dat")["unlocked_level"].asInt(0));
    });
}

TEST(StoreRead, HarmlessFilesGiveDefaultsSilently) {
    // Empty file, a sealed non-object, sealed broken JSON, sealed binary.
    for (const char* name : {"settings.dat", "saves.dat"}) {
        for (const std::string& bytes : {std::string(), platform::saveEncrypt("[1,2]"),
                                         platform::saveEncrypt("{\"a\":"), platform::saveEncrypt("\x01\xFF binary")}) {
            withStore(name, bytes, [&](const std::string& data) {
                EXPECT_TRUE(storesAtDefaults());
                EXPECT_EQ(bytes, storetest::readFile(data + "/" + name));  // left in place
                EXPECT_FALSE(storetest::exists(data + "/" + name + ".manipuliert"));
                EXPECT_EQ("", storetest::stderrText(data));
            });
        }
    }
}

TEST(SettingsWrite, WritesAllKeysInByteOrderAndReadsBack) {
    TempDir home;
    withStore(home.path(), "", "", [](const std::string& data) {
        EXPECT_EQ(kDefaultSettings, savedSettings(data));
        store::Settings& s = store::settings();
        s.language = "pt-BR";
        s.musicVolume = 0.35;
        s.windowW = 1280;
        s.windowH = 720;
        s.windowX = -20;
        s.windowY = 40;
        s.fullscreen = true;
        store::saveSettings();
    });
    withStore(home.path(), "", "", [](const std::string& data) {
        EXPECT_TRUE(store::settings().hasPosition());
        EXPECT_EQ(R"({"flipBoard":false,"fullscreen":true,"language":"pt-BR","maximized":false,)"
                  R"("musicVolume":0.34999999999999998,"sfxVolume":0.75,"showLegalMoves":true,"soundOn":true,)"
                  R"("windowH":720,"windowW":1280,"windowX":-20,"windowY":40})",
                  savedSettings(data));
    });
}

// Writes that cannot land keep what is on disk and stay silent; memory keeps the change.
TEST(SettingsWrite, UnusableTargetsKeepTheOldState) {
    {
        // Temporaries left at the start, one of them a symlink to another file: they
        // are removed, nothing is written through them, and the files are private.
        TempDir home;
        EXPECT_IN_CHILD([&] {
            const std::string data = storetest::useHome(home.path());
            storetest::writeFile(home / "victim", "keep");
            std::filesystem::create_symlink(home / "victim", data + "/settings.dat.neu");
            std::filesystem::create_symlink(home / "victim", data + "/saves.dat.Ab12Cd.neu");
            store::init();
            store::saveSettings();
            store::advanceUnlockedLevel(3);
            EXPECT_EQ("keep", storetest::readFile(home / "victim"));
            EXPECT_EQ((std::vector<std::string>{"saves.dat", "settings.dat"}), fs::listDir(data));
            for (const char* name : {"/saves.dat", "/settings.dat"})
                EXPECT_EQ(0600u, static_cast<unsigned>(std::filesystem::status(data + name).permissions()));
        });
    }
    TempDir home;
    EXPECT_IN_CHILD([&] {
        const std::string data = storetest::useHome(home.path());
        std::filesystem::create_directory(data + "/settings.dat");
        store::init();
        EXPECT_TRUE(store::settings().soundOn);
        store::saveSettings();  // cannot replace a directory
        EXPECT_TRUE(platform::fs::isDir(data + "/settings.dat"));
    });
    EXPECT_IN_CHILD([&] {
        // The data directory's parent is a file.
        storetest::writeFile(home / "blocked", "not a directory");
        ::setenv("XDG_DATA_HOME", (home / "blocked").c_str(), 1);
        store::init();
        store::settings().language = "sv";
        store::saveSettings();
        store::recordBest(1, {3, 10, 1000});
        EXPECT_EQ("not a directory", storetest::readFile(home / "blocked"));
        EXPECT_EQ(3, store::levelBests().at(1).stars);
    });
}

}  // namespace
