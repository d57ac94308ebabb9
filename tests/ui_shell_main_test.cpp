// The game executable itself: a second copy on the same data, and the signals.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/save_crypt.h"
#include "ui_shell_support.h"

namespace {

using shelltest::Child;

class GameBinary : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(Child::gameBinary())) GTEST_SKIP() << "build the zelvane target first";
        ASSERT_FALSE(home_.path.empty());
        ::unsetenv("ZELVANE_SCREEN");
        ::unsetenv("ZELVANE_STATS");
        std::ofstream(home_.path + "/leaks.supp") << shelltest::kLibraryCacheLeaks;
    }
    // A private home with the dummy video and audio drivers.
    std::vector<std::string> env() const {
        std::vector<std::string> entries = shelltest::headlessEntries(home_.path);
        entries.push_back("LSAN_OPTIONS=suppressions=" + home_.path + "/leaks.supp");
        return entries;
    }
    std::string settingsFile() const { return home_.path + "/data/Zelvane/settings.dat"; }
    std::string savesFile() const { return home_.path + "/data/Zelvane/saves.dat"; }

    shelltest::TempHome home_;
};

// Two copies on one data directory would overwrite each other's progress: the
// second is refused, and a first copy that died does not block the next start,
// which a signal then ends in order.
TEST_F(GameBinary, ASecondCopyIsRefusedUntilTheFirstIsGone) {
    std::filesystem::create_directories(home_.path + "/data/Zelvane");
    std::ofstream(savesFile(), std::ios::binary) << platform::saveEncrypt(R"({"unlocked_level":7})");
    const std::string progress = shelltest::contents(savesFile());

    Child first;
    ASSERT_TRUE(first.start({}, env()));
    ASSERT_TRUE(first.waitForOutput("[fenster] Schirm ", 20)) << first.out() << first.err();
    Child second;
    ASSERT_TRUE(second.start({}, env()));
    EXPECT_EQ(second.wait(20), 0);
    EXPECT_NE(second.err().find("[start] Orlavan's Chess l\xC3\xA4uft schon mit "), std::string::npos) << second.err();
    EXPECT_EQ(second.out().find("[video]"), std::string::npos) << "no window of its own";

    // A second termination signal ends a game at once, without an orderly shutdown.
    // Held still, both arrive together when it goes on: whichever the kernel
    // delivers first sets the flag, the other one finds it set.
    for (int sig : {SIGSTOP, SIGTERM, SIGINT, SIGCONT}) first.signal(sig);
    const int status = first.wait(20);
    EXPECT_TRUE(status == 128 + SIGTERM || status == 128 + SIGINT) << status;
    EXPECT_EQ(first.out().find("[fenster] sichere"), std::string::npos) << "no orderly shutdown";

    // The handlers are in place before the renderer report: a signal before the
    // first frame ends the loop in order, and the window's size is saved.
    std::filesystem::remove(settingsFile());
    Child third;
    auto environment = env();
    environment.push_back("ZELVANE_SCREEN=Menu");  // unknown: the choices are listed, the game starts as usual
    ASSERT_TRUE(third.start({"--size", "900x640"}, environment));
    ASSERT_TRUE(third.waitForOutput("[video] zur Wahl:", 20)) << third.out() << third.err();
    third.signal(SIGINT);
    EXPECT_EQ(third.wait(20), 0) << third.err();
    EXPECT_NE(third.out().find("[fenster] sichere 900x640 bei "), std::string::npos) << third.out();
    EXPECT_TRUE(std::filesystem::exists(settingsFile()));
    EXPECT_NE(third.err().find("ZELVANE_SCREEN: menu levels playing[:N] solved[:N] gallery settings about licenses\n"),
              std::string::npos) << third.err();
    EXPECT_EQ(progress, shelltest::contents(savesFile())) << "nobody rewrote the progress";
}

}  // namespace
