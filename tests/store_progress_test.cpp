#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/storage.h"
#include "platform/fs.h"
#include "store_support.h"

using storetest::TempDir;

namespace {

const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Runs `body` with a fresh data directory whose "saves.dat" holds the sealed
// `savesJson`, unless that is empty.
void withProgress(const std::string& savesJson, const std::function<void(const std::string& data)>& body) {
    storetest::withStore(savesJson.empty() ? "" : "saves.dat", platform::saveEncrypt(savesJson), body);
}

js::Value savedJson(const std::string& data) { return storetest::openSealedJson(data + "/saves.dat"); }

TEST(ProgressWriters, RecordBestMergesFieldByField) {
    withProgress("", [](const std::string& data) {
        store::recordBest(5, {3, 40, 50000});
        const store::LevelBest merged = store::recordBest(5, {2, 30, 60000});
        EXPECT_EQ(3, merged.stars);
        EXPECT_EQ(30, merged.moves);
        EXPECT_EQ(50000, merged.elapsedMs);
        EXPECT_EQ(R"({"5":{"elapsedMs":50000,"moves":30,"stars":3}})", savedJson(data)["level_stars"].dump());

        store::recordBest(6, {1, 0, 0});
        const store::LevelBest filled = store::recordBest(6, {1, 55, 9000});  // nothing recorded yet
        EXPECT_EQ(55, filled.moves);
        EXPECT_EQ(9000, filled.elapsedMs);
    });
}

TEST(ProgressWriters, RecordSolveKeepsBestAndSorts) {
    withProgress("", [](const std::string& data) {
        store::recordSolve({7, 20, 1000, 111, "fen7", 2});
        store::recordSolve({3, 20, 1000, 0, "fen3", 2});
        store::recordSolve({5, 20, 1000, 222, "fen5", 2});
        ASSERT_EQ(3u, store::solves().size());
        EXPECT_EQ(3, store::solves()[0].level);
        EXPECT_EQ(7, store::solves()[2].level);
        EXPECT_GT(store::solves()[0].solvedAt, 1600000000000);  // stamped now

        // Each entry: what it tries, and the final position that must be kept after it.
        const struct {
            store::SolveEntry entry;
            const char* kept;
        } steps[] = {{{5, 20, 2000, 333, "slower", 2}, "fen5"},
                     {{5, 20, 1000, 333, "equal", 2}, "fen5"},
                     {{5, 30, 9000, 444, "more stars", 3}, "more stars"},
                     {{5, 29, 9000, 555, "fewer moves", 3}, "fewer moves"}};
        for (const auto& step : steps) {
            store::recordSolve(step.entry);
            EXPECT_EQ(step.kept, store::solves()[1].finalFen) << step.entry.finalFen;
        }
        const js::Value list = savedJson(data)["solves_list"];
        ASSERT_EQ(3u, list.size());
        EXPECT_EQ(R"({"elapsedMs":9000,"finalFen":"fewer moves","level":5,"moves":29,"solvedAt":555,"stars":3})",
                  list[1].dump());
    });
}

TEST(ProgressWriters, SolvesListIsCappedAfterARecord) {
    // A loaded list is not capped; the next record cuts it to 200, lowest levels first.
    std::string json = R"({"solves_list":[)";
    for (int i = 0; i < 250; ++i) json += (i ? "," : "") + std::string(R"({"level":)") + std::to_string(300 - i) + "}";
    json += "]}";
    withProgress(json, [](const std::string& data) {
        EXPECT_EQ(250u, store::solves().size());
        store::recordSolve({1, 10, 10, 10, kStart, 3});
        ASSERT_EQ(200u, store::solves().size());
        EXPECT_EQ(1, store::solves().front().level);
        EXPECT_EQ(249, store::solves().back().level);  // 1, then 51..249
        EXPECT_EQ(200u, savedJson(data)["solves_list"].size());
    });
}

TEST(ProgressWriters, UnlockClearAndReset) {
    withProgress(R"({"unlocked_level":10})", [](const std::string& data) {
        const std::string before = storetest::readFile(data + "/saves.dat");
        store::advanceUnlockedLevel(4);
        store::advanceUnlockedLevel(10);
        EXPECT_EQ(10, store::unlockedLevel());
        EXPECT_EQ(before, storetest::readFile(data + "/saves.dat"));  // not rewritten: a fresh nonce would differ
        store::advanceUnlockedLevel(150);
        EXPECT_EQ(101, savedJson(data)["unlocked_level"].asInt(0));

        store::SavedGame g;
        g.fen = "f";
        store::saveGame(g);
        EXPECT_TRUE(store::hasSavedGame());
        store::clearGame();
        EXPECT_FALSE(store::hasSavedGame());
        EXPECT_FALSE(savedJson(data).has("current_game"));

        store::recordBest(3, {3, 10, 10});
        store::recordSolve({3, 10, 10, 10, kStart, 3});
        store::resetProgress();
        EXPECT_EQ(1, store::unlockedLevel());
        EXPECT_TRUE(store::levelBests().empty());
        EXPECT_TRUE(store::solves().empty());
        EXPECT_EQ(R"({"level_stars":{},"solves_list":[],"unlocked_level":1})", savedJson(data).dump());
    });
}

// Whatever is written reads back unchanged: saving the loaded game again
// gives the same record, apart from the time of saving.
TEST(ProgressRead, SavedGameRoundTripsThroughTheFile) {
    const char* const kGame =
        R"({"elapsedMs":123456789012,"fen":"fen-now","hintUsed":true,"history":[)"
        R"({"byWhite":true,"fen":"a","notation":"Nf3","piece":"N"},)"
        R"({"byWhite":false,"fen":"b","notation":"exd5","piece":""}],)"
        R"("level":42,"moves":17,"playerWhite":false,"seed":4294967295,"startFen":"fen-start"})";
    const auto gameJson = [](const std::string& data) {
        js::Value game = savedJson(data)["current_game"];
        EXPECT_GT(game["savedAt"].asNumber(0), 5);  // stamped when saved
        game.obj().erase("savedAt");
        return game.dump();
    };
    TempDir home;
    storetest::withStore(home.path(), "", "", [&](const std::string& data) {
        const store::SavedGame g{.level = 42, .seed = 4294967295u, .fen = "fen-now", .startFen = "fen-start",
                                 .elapsedMs = 123456789012LL, .moves = 17,
                                 .history = {{"a", "Nf3", 'N', true}, {"b", "exd5", 0, false}},
                                 .hintUsed = true, .playerWhite = false, .savedAt = 5};
        store::saveGame(g);
        store::recordBest(42, {2, 20, 30000});
        store::recordSolve({42, 20, 30000, 77, "final", 2, "start", {"e2e4", "e7e5"}});
        EXPECT_EQ(kGame, gameJson(data));
        EXPECT_EQ(R"([{"elapsedMs":30000,"finalFen":"final","level":42,"moves":20,"playedMoves":["e2e4","e7e5"],)"
                  R"("solvedAt":77,"stars":2,"startFen":"start"}])",
                  savedJson(data)["solves_list"].dump());
    });
    storetest::withStore(home.path(), "", "", [&](const std::string& data) {
        const std::string before = savedJson(data).dump();
        ASSERT_TRUE(store::savedGame().valid);
        ASSERT_EQ(1u, store::solves().size());
        EXPECT_EQ("start", store::solves()[0].startFen);
        EXPECT_EQ((std::vector<std::string>{"e2e4", "e7e5"}), store::solves()[0].playedMoves);
        store::saveGame(store::savedGame());
        EXPECT_EQ(kGame, gameJson(data));
        store::clearGame();  // rewrites the file from what was loaded
        const js::Value now = savedJson(data), was = js::parse(before);
        EXPECT_EQ(was["level_stars"].dump(), now["level_stars"].dump());
        EXPECT_EQ(was["solves_list"].dump(), now["solves_list"].dump());
    });
}

// Wrong types and odd values in one part neither break the others nor the load.
TEST(ProgressRead, PartsAreReadIndependently) {
    withProgress(R"({"unlocked_level":0,"level_stars":{"12abc":{"stars":2.6,"moves":9},"x":5,"7":[]},)"
                 R"("solves_list":[{"level":0},{"level":-2},"junk",{"level":4,"moves":"9","elapsedMs":1e30,)"
                 R"("solvedAt":-5.9,"finalFen":7,"stars":3,"playedMoves":"e2e4"}],)"
                 R"("current_game":{"fen":"g","seed":4294967296,"level":-4,"hintUsed":"yes","playerWhite":0,)"
                 R"("history":[{"piece":"Qx","fen":"h"},{"byWhite":true},3]}})",
                 [](const std::string&) {
                     EXPECT_EQ(1, store::unlockedLevel());
                     const auto& bests = store::levelBests();
                     ASSERT_EQ(3u, bests.size());  // "x" reads as level 0
                     EXPECT_EQ(3, bests.at(12).stars);
                     EXPECT_EQ(9, bests.at(12).moves);
                     EXPECT_EQ(0, bests.at(7).moves);

                     ASSERT_EQ(1u, store::solves().size());
                     const store::SolveEntry& e = store::solves()[0];
                     EXPECT_EQ(4, e.level);
                     EXPECT_EQ(0, e.moves);
                     EXPECT_EQ(INT64_MAX, e.elapsedMs);
                     EXPECT_EQ(-5, e.solvedAt);
                     EXPECT_EQ("", e.finalFen);
                     EXPECT_EQ("", e.startFen);
                     EXPECT_TRUE(e.playedMoves.empty());

                     const store::SavedGame& g = store::savedGame();
                     ASSERT_TRUE(g.valid);
                     EXPECT_EQ(0u, g.seed);
                     EXPECT_EQ(1, g.level);
                     EXPECT_FALSE(g.hintUsed);
                     EXPECT_TRUE(g.playerWhite);
                     ASSERT_EQ(3u, g.history.size());
                     EXPECT_EQ('Q', g.history[0].pieceKind);
                     EXPECT_FALSE(g.history[0].byWhite);
                     EXPECT_TRUE(g.history[1].byWhite);
                 });
    withProgress(R"({"unlocked_level":"5","level_stars":[1],"solves_list":{"a":1},"current_game":{"fen":""}})",
                 [](const std::string&) {
                     EXPECT_EQ(1, store::unlockedLevel());
                     EXPECT_TRUE(store::levelBests().empty());
                     EXPECT_TRUE(store::solves().empty());
                     EXPECT_FALSE(store::hasSavedGame());
                 });
    withProgress(R"({"unlocked_level":500,"current_game":{"fen":5}})", [](const std::string&) {
        EXPECT_EQ(500, store::unlockedLevel());  // no upper bound on load
        EXPECT_FALSE(store::hasSavedGame());
    });
}

TEST(ProgressDemo, GeneratedSolvesAreShownButNeverWritten) {
    TempDir home;
    EXPECT_IN_CHILD([&] {
        const std::string data = storetest::useHome(home.path());
        storetest::writeFile(data + "/saves.dat",
                             platform::saveEncrypt(R"({"unlocked_level":3,"solves_list":[{"level":2}]})"));
        const std::string before = storetest::readFile(data + "/saves.dat");
        ::setenv("ZELVANE_SOLVES", "250", 1);  // capped at 100
        storetest::captureStderr(home / "stderr.txt");
        store::init();
        EXPECT_EQ(101, store::unlockedLevel());
        ASSERT_EQ(101u, store::solves().size());  // the loaded one stays in front
        EXPECT_EQ(2, store::solves()[0].level);
        EXPECT_EQ(1, store::solves()[1].level);
        EXPECT_EQ(100, store::solves()[100].level);
        EXPECT_EQ(100u, store::levelBests().size());

        store::recordBest(1, {3, 1, 1});
        store::saveGame(store::SavedGame{});
        store::resetProgress();
        EXPECT_EQ(before, storetest::readFile(data + "/saves.dat"));
        store::saveSettings();  // settings are still saved
        EXPECT_TRUE(storetest::openSealedJson(data + "/settings.dat").isObject());
        EXPECT_EQ("[storage] ZELVANE_SOLVES=100 \xE2\x80\x94 100 Erfolge nur zur ANSICHT, es wird nichts geschrieben\n",
                  storetest::stderrText(data));
    });
}

TEST(ProgressDemo, SmallCountsAndNonNumbers) {
    TempDir home;
    EXPECT_IN_CHILD([&] {
        storetest::useHome(home.path());
        ::setenv("ZELVANE_SOLVES", "3", 1);
        store::init();
        EXPECT_EQ(4, store::unlockedLevel());
        EXPECT_EQ(3u, store::solves().size());
    });
    for (const char* value : {"0", "-3", "abc", ""}) {
        TempDir other;
        EXPECT_IN_CHILD([&] {
            const std::string data = storetest::useHome(other.path());
            ::setenv("ZELVANE_SOLVES", value, 1);
            storetest::captureStderr(other / "stderr.txt");
            store::init();
            EXPECT_TRUE(store::solves().empty()) << value;
            store::advanceUnlockedLevel(2);
            EXPECT_EQ(2, savedJson(data)["unlocked_level"].asInt(0)) << value;  // written as usual
            EXPECT_EQ("", storetest::stderrText(data));
        });
    }
}

}  // namespace
