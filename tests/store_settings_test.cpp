#include <gtest/gtest.h>

#include <string>

#include "core/storage.h"
#include "platform/fs.h"
#include "store_support.h"

using storetest::TempDir;

namespace {

// Loads the store in a child whose data directory already holds `bytes` as
// the file `name`, then runs `check`; the child's standard error goes to
// data + "/../../stderr.txt".
void withDataFile(const std::string& name, const std::string& bytes,
                  const std::function<void(const std::string& data)>& check) {
    TempDir home;
    EXPECT_IN_CHILD([&] {
        const std::string data = storetest::useHome(home.path());
        storetest::writeFile(data + "/" + name, bytes);
        storetest::captureStderr(home / "stderr.txt");
        store::init();
        check(data);
    });
}

void withSettingsFile(const std::string& bytes, const std::function<void(const std::string& data)>& check) {
    withDataFile("settings.dat", bytes, check);
}

bool storesAtDefaults() { return store::settings().language.empty() && store::unlockedLevel() == 1; }

TEST(SettingsRead, ClampsAndLimitsPerKey) {
    withSettingsFile(platform::saveEncrypt(R"({"windowW":300,"windowH":1000.6,"windowX":-10000,"windowY":5,)"
                                           R"("musicVolume":1.7,"sfxVolume":-0.2,"language":"de","soundOn":false,)"
                                           R"("flipBoard":true,"showLegalMoves":false,"maximized":true,)"
                                           R"("fullscreen":true,"unknown":1})"),
                     [](const std::string&) {
                         const store::Settings& s = store::settings();
                         EXPECT_EQ(640, s.windowW);
                         EXPECT_EQ(1001, s.windowH);
                         EXPECT_EQ(-10000, s.windowX);
                         EXPECT_EQ(5, s.windowY);
                         EXPECT_FALSE(s.hasPosition());
                         EXPECT_TRUE(s.hasSize());
                         EXPECT_DOUBLE_EQ(1.0, s.musicVolume);
                         EXPECT_DOUBLE_EQ(0.0, s.sfxVolume);
                         EXPECT_EQ("de", s.language);
                         EXPECT_FALSE(s.soundOn);
                         EXPECT_TRUE(s.flipBoard);
                         EXPECT_FALSE(s.showLegalMoves);
                         EXPECT_TRUE(s.maximized);
                         EXPECT_TRUE(s.fullscreen);
                     });
    withSettingsFile(platform::saveEncrypt(R"({"windowW":0,"windowH":-5,"windowX":-1,"windowY":-9999})"),
                     [](const std::string&) {
                         const store::Settings& s = store::settings();
                         EXPECT_EQ(0, s.windowW);
                         EXPECT_EQ(0, s.windowH);
                         EXPECT_FALSE(s.hasSize());
                         EXPECT_FALSE(s.hasPosition());  // -1 means none
                     });
}

TEST(SettingsRead, WrongTypesLeaveDefaults) {
    withSettingsFile(platform::saveEncrypt(R"({"language":5,"soundOn":"no","musicVolume":"0.5","sfxVolume":null,)"
                                           R"("flipBoard":1,"showLegalMoves":[],"windowW":"800","windowH":{},)"
                                           R"("windowX":true,"windowY":"3","maximized":0,"fullscreen":"true"})"),
                     [](const std::string&) {
                         const store::Settings& s = store::settings();
                         const store::Settings d;
                         EXPECT_EQ(d.language, s.language);
                         EXPECT_EQ(d.soundOn, s.soundOn);
                         EXPECT_EQ(d.musicVolume, s.musicVolume);
                         EXPECT_EQ(d.sfxVolume, s.sfxVolume);
                         EXPECT_EQ(d.flipBoard, s.flipBoard);
                         EXPECT_EQ(d.showLegalMoves, s.showLegalMoves);
                         EXPECT_EQ(d.windowW, s.windowW);
                         EXPECT_EQ(d.windowH, s.windowH);
                         EXPECT_EQ(d.windowX, s.windowX);
                         EXPECT_EQ(d.windowY, s.windowY);
                         EXPECT_EQ(d.maximized, s.maximized);
                         EXPECT_EQ(d.fullscreen, s.fullscreen);
                     });
}

// Files of either store that do not open are set aside with one line; defaults apply.
TEST(StoreRead, UnreadableFilesAreSetAside) {
    const std::string sealed = platform::saveEncrypt(R"({"language":"fr","unlocked_level":50})");
    std::string flipped = sealed;
    flipped[50] = static_cast<char>(flipped[50] ^ 0x10);
    std::string wrongVersion = sealed;
    wrongVersion[4] = 2;
    std::string huge = sealed + std::string(17 * 1024 * 1024, 'z');
    for (const char* name : {"settings.dat", "saves.dat"}) {
        for (const std::string& bytes : {std::string(R"({"language":"fr","unlocked_level":50})"), sealed.substr(0, 30),
                                         sealed.substr(0, sealed.size() - 2), flipped, wrongVersion, huge}) {
            withDataFile(name, bytes, [&](const std::string& data) {
                const std::string path = data + "/" + name;
                EXPECT_TRUE(storesAtDefaults());
                EXPECT_FALSE(storetest::exists(path));
                EXPECT_EQ(bytes.size(), storetest::readFile(path + ".manipuliert").size());
                std::fflush(stderr);
                EXPECT_EQ("[storage] " + path + " war nicht lesbar \xE2\x80\x94 beiseitegelegt\n",
                          storetest::readFile(data + "/../../stderr.txt"));
            });
        }
    }
}

TEST(StoreRead, HarmlessFilesGiveDefaultsSilently) {
    // Empty file, a sealed non-object, sealed garbage, a directory in its place.
    for (const char* name : {"settings.dat", "saves.dat"}) {
        for (const std::string& bytes : {std::string(), platform::saveEncrypt("[1,2]"),
                                         platform::saveEncrypt("{\"a\":"), platform::saveEncrypt("\x01\xFF binary")}) {
            withDataFile(name, bytes, [&](const std::string& data) {
                EXPECT_TRUE(storesAtDefaults());
                EXPECT_EQ(bytes, storetest::readFile(data + "/" + name));  // left in place
                EXPECT_FALSE(storetest::exists(data + "/" + name + ".manipuliert"));
                std::fflush(stderr);
                EXPECT_EQ("", storetest::readFile(data + "/../../stderr.txt"));
            });
        }
    }
    TempDir home;
    EXPECT_IN_CHILD([&] {
        const std::string data = storetest::useHome(home.path());
        std::filesystem::create_directory(data + "/settings.dat");
        store::init();
        EXPECT_TRUE(store::settings().soundOn);
        store::saveSettings();  // cannot replace a directory; silently
        EXPECT_TRUE(platform::fs::isDir(data + "/settings.dat"));
    });
}

TEST(SettingsWrite, WritesAllKeysInByteOrderAndReadsBack) {
    TempDir home;
    EXPECT_IN_CHILD([&] {
        const std::string data = storetest::useHome(home.path());
        store::init();
        store::saveSettings();
        const js::Value saved = storetest::openSealedJson(data + "/settings.dat");
        EXPECT_EQ(R"({"flipBoard":false,"fullscreen":false,"language":"","maximized":false,)"
                  R"("musicVolume":0.10000000000000001,"sfxVolume":0.75,"showLegalMoves":true,"soundOn":true,)"
                  R"("windowH":0,"windowW":0,"windowX":-1,"windowY":-1})",
                  saved.dump());
        EXPECT_FALSE(storetest::exists(data + "/settings.dat.neu"));

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
    EXPECT_IN_CHILD([&] {
        storetest::useHome(home.path());
        store::init();
        const store::Settings& s = store::settings();
        EXPECT_EQ("pt-BR", s.language);
        EXPECT_DOUBLE_EQ(0.35, s.musicVolume);
        EXPECT_EQ(1280, s.windowW);
        EXPECT_EQ(720, s.windowH);
        EXPECT_EQ(-20, s.windowX);
        EXPECT_EQ(40, s.windowY);
        EXPECT_TRUE(s.hasPosition());
        EXPECT_TRUE(s.fullscreen);
    });
}

TEST(SettingsWrite, FailedWriteKeepsTheOldFile) {
    if (!storetest::exists("/dev/full")) GTEST_SKIP() << "needs /dev/full";
    TempDir home;
    EXPECT_IN_CHILD([&] {
        const std::string data = storetest::useHome(home.path());
        store::init();
        store::settings().language = "nl";
        store::saveSettings();
        const std::string good = storetest::readFile(data + "/settings.dat");
        std::filesystem::create_symlink("/dev/full", data + "/settings.dat.neu");
        store::settings().language = "it";
        store::saveSettings();
        EXPECT_EQ(good, storetest::readFile(data + "/settings.dat"));
        EXPECT_FALSE(storetest::exists(data + "/settings.dat.neu"));
    });
}

TEST(SettingsWrite, DataDirectoryThatIsAFile) {
    TempDir home;
    EXPECT_IN_CHILD([&] {
        storetest::writeFile(home / "blocked", "not a directory");
        ::setenv("XDG_DATA_HOME", (home / "blocked").c_str(), 1);
        store::init();  // nothing to read, nothing to crash
        store::settings().language = "sv";
        store::saveSettings();
        store::recordBest(1, {3, 10, 1000});
        EXPECT_EQ("not a directory", storetest::readFile(home / "blocked"));
        EXPECT_EQ(3, store::levelBests().at(1).stars);  // memory stays right
    });
}

}  // namespace
