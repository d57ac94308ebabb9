#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/storage.h"
#include "store_support.h"

using storetest::TempDir;

namespace {

const char* const kDefaultSettings =
    R"({"flipBoard":false,"fullscreen":false,"language":"","maximized":false,)"
    R"("musicVolume":0.10000000000000001,"sfxVolume":0.75,"showLegalMoves":true,"soundOn":true,)"
    R"("windowH":0,"windowW":0,"windowX":-1,"windowY":-1})";

TEST(SettingsRead, EachKeyIsClampedOrKeepsItsDefault) {
    const struct {
        const char* name;
        const char* json;
        const char* saved;
        bool hasSize, hasPosition;
        const char* language;  // as the settings file holds it, read before the store is loaded
    } cases[] = {
        {"clamped", R"({"windowW":300,"windowH":1000.6,"windowX":-10000,"windowY":5,"musicVolume":1.7,)"
                    R"("sfxVolume":-0.2,"language":"de","soundOn":false,"flipBoard":true,"showLegalMoves":false,)"
                    R"("maximized":true,"fullscreen":true,"unknown":1})",
         R"({"flipBoard":true,"fullscreen":true,"language":"de","maximized":true,"musicVolume":1,"sfxVolume":0,)"
         R"("showLegalMoves":false,"soundOn":false,"windowH":1001,"windowW":640,"windowX":-10000,"windowY":5})",
         true, false, "de"},
        {"small window", R"({"windowW":1,"windowH":2,"windowX":0,"windowY":-9999})",
         R"({"flipBoard":false,"fullscreen":false,"language":"","maximized":false,"musicVolume":0.10000000000000001,)"
         R"("sfxVolume":0.75,"showLegalMoves":true,"soundOn":true,"windowH":520,"windowW":640,"windowX":0,"windowY":-9999})",
         true, true, ""},
        {"no size", R"({"windowW":0,"windowH":-5,"windowX":-1})", kDefaultSettings, false, false, ""},
        {"wrong types", R"({"language":5,"soundOn":"no","musicVolume":"0.5","sfxVolume":null,"flipBoard":1,)"
                        R"("showLegalMoves":[],"windowW":"800","windowH":{},"windowX":true,"windowY":"3",)"
                        R"("maximized":0,"fullscreen":"true"})",
         kDefaultSettings, false, false, ""},
    };
    for (const auto& c : cases) {
        storetest::withStore("settings.dat", c.json, [&](const std::string& data) {
            EXPECT_EQ(c.hasSize, store::settings().hasSize()) << c.name;
            EXPECT_EQ(c.hasPosition, store::settings().hasPosition()) << c.name;
            EXPECT_EQ(c.language, store::storedLanguage()) << c.name;
            store::saveSettings();
            EXPECT_EQ(c.saved, storetest::openSealedJson(data + "/settings.dat").dump()) << c.name;
        });
    }
}

// Root reads everything, so the file cases run as "nobody" when the tests
// run as root. False when the switch failed.
bool dropRoot(const std::string& home) {
    if (::geteuid() != 0) return true;
    constexpr uid_t kNobody = 65534;
    for (const auto& e : std::filesystem::recursive_directory_iterator(home)) {
        if (::lchown(e.path().c_str(), kNobody, kNobody) != 0) return false;
    }
    return ::lchown(home.c_str(), kNobody, kNobody) == 0 && ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 &&
           ::setuid(kNobody) == 0;
}

// Files of either store that do not open leave the defaults in force and say
// so in one line. A damaged one is set aside and the next change writes a
// fresh file; a harmless one (empty, or sealed text that is no object) is
// simply replaced. One that cannot be read or set aside may still hold the
// player's progress: it is not written for the rest of the run, the other file is.
TEST(StoreRead, FilesThatDoNotOpenAreSetAsideReplacedOrNeverOverwritten) {
    const std::string plain = R"({"language":"fr","unlocked_level":50})";
    const std::string sealed = platform::saveEncrypt(plain);
    std::string flipped = sealed, wrongVersion = sealed;
    flipped[50] = static_cast<char>(flipped[50] ^ 0x10);
    wrongVersion[4] = 2;
    const std::string aside = "war nicht lesbar \xE2\x80\x94 beiseitegelegt\n";
    const std::string unread = "l\xC3\xA4sst sich nicht lesen (";
    const std::string kept = ") \xE2\x80\x94 es gelten die Vorgaben, die Datei bleibt unver\xC3\xA4ndert\n";
    enum class Shape { File, Unreadable, Loop, NoSetAside };
    const struct {
        Shape shape;
        std::string bytes, line;  // the line after "[storage] <path> "
    } cases[] = {
        {Shape::File, plain, aside},
        {Shape::File, sealed.substr(0, 30), aside},
        {Shape::File, sealed.substr(0, sealed.size() - 2), aside},
        {Shape::File, flipped, aside},
        {Shape::File, wrongVersion, aside},
        {Shape::File, sealed + std::string(17 * 1024 * 1024, 'z'), aside},  // too large to be ours
        {Shape::File, "", ""},
        {Shape::File, platform::saveEncrypt("[1,2]"), ""},
        {Shape::File, platform::saveEncrypt("{\"a\":"), ""},
        {Shape::File, platform::saveEncrypt("\x01\xFF binary"), ""},
        {Shape::Unreadable, "sealed progress", unread + "keine Berechtigung" + kept},
        {Shape::Loop, "", unread + "zu viele symbolische Verweise" + kept},
        {Shape::NoSetAside, sealed.substr(0, 44),
         "war nicht lesbar \xE2\x80\x94 l\xC3\xA4sst sich nicht beiseitelegen und bleibt unver\xC3\xA4ndert\n"},
    };
    for (const auto& c : cases) {
        for (const std::string name : {"settings.dat", "saves.dat"}) {
            SCOPED_TRACE(::testing::Message() << "case " << &c - cases << ", " << name);
            TempDir home;
            EXPECT_IN_CHILD([&] {
                const std::string data = storetest::useHome(home.path());
                const std::string path = data + "/" + name;
                if (c.shape == Shape::Loop) std::filesystem::create_symlink(path, path);
                else storetest::writeFile(path, c.bytes);
                if (c.shape == Shape::Unreadable) ::chmod(path.c_str(), 0);
                if (c.shape == Shape::NoSetAside) std::filesystem::create_directories(path + ".manipuliert/full");
                ASSERT_TRUE(dropRoot(home.path()));

                store::init();
                EXPECT_TRUE(store::settings().language.empty() && store::unlockedLevel() == 1);
                EXPECT_EQ(c.line.empty() ? "" : "[storage] " + path + " " + c.line, storetest::stderrText(data));
                const std::string asidePath = path + ".manipuliert";
                const bool setAside = std::filesystem::is_regular_file(asidePath);
                EXPECT_EQ(c.line == aside, setAside && c.bytes == storetest::readFile(asidePath));
                store::settings().language = "fi";
                store::saveSettings();
                store::advanceUnlockedLevel(4);
                EXPECT_EQ(4, store::unlockedLevel());  // kept in memory, written or not
                const std::string other = data + (name == "saves.dat" ? "/settings.dat" : "/saves.dat");
                EXPECT_TRUE(storetest::openSealedJson(other).isObject());
                if (c.shape == Shape::Loop) {
                    EXPECT_TRUE(std::filesystem::is_symlink(path));
                } else if (c.shape == Shape::File) {
                    EXPECT_TRUE(storetest::openSealedJson(path).isObject());
                } else {
                    ::chmod(path.c_str(), 0600);
                    EXPECT_EQ(c.bytes, storetest::readFile(path));
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
        const std::vector<std::string> before = storetest::entries(data);
        store::init(true);
        EXPECT_EQ(9, store::unlockedLevel());
        store::saveSettings();
        store::advanceUnlockedLevel(12);
        store::flush();
        EXPECT_EQ(before, storetest::entries(data));
        EXPECT_EQ(9, storetest::openSealedJson(data + "/saves.dat")["unlocked_level"].asInt(0));
    });
}

}  // namespace
