// A save killed at any moment must leave "saves.dat" complete: either the
// state before the interrupted save or the one it was writing. The saver
// changes the progress as fast as it can, as a game saving in every frame
// would, while the writer thread replaces the file in the background.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <string>

#include "core/storage.h"
#include "store_support.h"

namespace {

constexpr int kRounds = 200;

// Every field of save number n is derived from n, so a mixed or partial
// state is detectable. The history length varies to change the file size.
store::SavedGame gameNumber(int n) {
    store::SavedGame g{.seed = static_cast<std::uint32_t>(n) * 2654435761u, .fen = "fen-" + std::to_string(n),
                       .startFen = {}, .moves = n, .history = {}};
    for (int i = 0; i < n % 37; ++i) g.history.push_back({"h" + std::to_string(n), std::to_string(i), 'N', i % 2 == 0});
    return g;
}

// Times shrink with n, so each record replaces the stored best.
constexpr std::int64_t kBestBase = 1000000000000LL;

// Saves numbers following the loaded one, forever, one save per "frame".
// Once the first save is on disk it writes one byte to `ready`, so the
// parent's kill lands mid-stream however slow the machine is.
[[noreturn]] void saveForever(const std::string& home, int ready) {
    storetest::useHome(home);
    store::init();
    for (int n = store::savedGame().moves + 1;; ++n) {
        store::saveGame(gameNumber(n));
        store::recordBest(1, {1, 10, kBestBase - n});  // a second write per save
        if (ready >= 0) {
            store::flush();
            (void)!::write(ready, "1", 1);
            ::close(ready);
            ready = -1;
        }
    }
}

// The numbers of the saved game and of the last best the file holds; a
// failure when it is not one complete, consistent state.
std::pair<int, int> checkSaves(const std::string& path) {
    const js::Value v = storetest::openSealedJson(path);
    const js::Value& g = v["current_game"];
    const int n = g["moves"].asInt(-1);
    const store::SavedGame want = gameNumber(n);
    EXPECT_GE(n, 1);
    EXPECT_EQ(want.fen, g["fen"].asString());
    EXPECT_EQ(static_cast<double>(want.seed), g["seed"].asNumber(-1));
    EXPECT_EQ(want.history.size(), g["history"].size());
    for (std::size_t i = 0; i < want.history.size(); ++i)
        EXPECT_EQ(want.history[i].fen, g["history"][i]["fen"].asString());
    // The best is recorded after its game, so it never runs ahead of it.
    const auto elapsed = static_cast<std::int64_t>(v["level_stars"]["1"]["elapsedMs"].asNumber(0));
    const auto best = static_cast<int>(kBestBase - elapsed);
    EXPECT_GE(best, 1);
    EXPECT_LE(best, n);
    return {n, best};
}

TEST(KillDuringSave, SavesFileStaysCompleteAndNeverGoesBack) {
    storetest::TempDir home;
    const std::string data = home / "data/Zelvane", path = data + "/saves.dat";
    std::pair<int, int> last{0, 0};  // no file yet
    std::mt19937 rng(12345);
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        std::fflush(stdout);
        std::fflush(stderr);
        int pipeFds[2];
        ASSERT_EQ(0, ::pipe(pipeFds));
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(pipeFds[0]);
            saveForever(home.path(), pipeFds[1]);
        }
        ::close(pipeFds[1]);
        char byte = 0;
        const bool savedOnce = ::read(pipeFds[0], &byte, 1) == 1;
        ::close(pipeFds[0]);
        ::usleep(rng() % 25000);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the saver ended on its own";
        ASSERT_TRUE(savedOnce) << "the saver never finished a save";

        const auto now = checkSaves(path);
        ASSERT_FALSE(HasFailure());
        // At least one save of this round completed, so the file moved on.
        ASSERT_GT(now.first, last.first) << "a completed save was lost";
        ASSERT_GE(now.second, last.second) << "the file went back to an older state";
        last = now;
        // Nothing is set aside, and as each start clears what killed writes
        // left, at most the last one's temporary is there.
        const auto names = storetest::entries(data);
        ASSERT_FALSE(std::count(names.begin(), names.end(), "saves.dat.manipuliert"));
        ASSERT_LE(std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.ends_with(".neu"); }), 1);
    }
}

}  // namespace
