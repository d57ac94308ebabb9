#include <gtest/gtest.h>

#include <string>

#include "core/levels.h"
#include "core/storage.h"
#include "platform/fs.h"
#include "store_support.h"

using storetest::TempDir;

namespace {

const char* const kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Runs `body` in a child with a fresh data directory; "saves.dat" is filled
// with the sealed `savesJson` first unless it is empty.
void withProgress(const std::string& savesJson, const std::function<void(const std::string& data)>& body) {
    TempDir home;
    EXPECT_IN_CHILD([&] {
        const std::string data = storetest::useHome(home.path());
        if (!savesJson.empty()) storetest::writeSealedJson(data + "/saves.dat", savesJson);
        storetest::captureStderr(home / "stderr.txt");
        store::init();
        body(data);
    });
}

js::Value savedJson(const std::string& data) { return storetest::openSealedJson(data + "/saves.dat"); }

TEST(ProgressWriters, RecordBestMergesFieldByField) {
    withProgress("", [](const std::string& data) {
        store::LevelBest first = store::recordBest(5, {3, 40, 50000});
        EXPECT_EQ(3, first.stars);
        const store::LevelBest merged = store::recordBest(5, {2, 30, 60000});
        EXPECT_EQ(3, merged.stars);
        EXPECT_EQ(30, merged.moves);
        EXPECT_EQ(50000, merged.elapsedMs);
        EXPECT_EQ(30, store::levelBests().at(5).moves);
        EXPECT_EQ(R"({"5":{"elapsedMs":50000,"moves":30,"stars":3}})", savedJson(data)["level_stars"].dump());

        store::recordBest(6, {1, 0, 0});
        const store::LevelBest filled = store::recordBest(6, {1, 55, 9000});  // nothing recorded yet
        EXPECT_EQ(55, filled.moves);
        EXPECT_EQ(9000, filled.elapsedMs);
    });
}

TEST(ProgressWriters, RecordSolveKeepsBestSortsAndCaps) {
    withProgress("", [](const std::string& data) {
        store::recordSolve({7, 20, 1000, 111, "fen7", 2});
        store::recordSolve({3, 20, 1000, 0, "fen3", 2});
        store::recordSolve({5, 20, 1000, 222, "fen5", 2});
        ASSERT_EQ(3u, store::solves().size());
        EXPECT_EQ(3, store::solves()[0].level);
        EXPECT_EQ(5, store::solves()[1].level);
        EXPECT_EQ(7, store::solves()[2].level);
        EXPECT_GT(store::solves()[0].solvedAt, 1600000000000);  // stamped now

        store::recordSolve({5, 20, 2000, 333, "slower", 2});  // same stars and moves, slower
        EXPECT_EQ("fen5", store::solves()[1].finalFen);
        store::recordSolve({5, 20, 1000, 333, "equal", 2});  // equal in all three
        EXPECT_EQ("fen5", store::solves()[1].finalFen);
        EXPECT_EQ(222, store::solves()[1].solvedAt);
        store::recordSolve({5, 30, 9000, 444, "more stars", 3});
        EXPECT_EQ("more stars", store::solves()[1].finalFen);
        store::recordSolve({5, 29, 9000, 555, "fewer moves", 3});
        EXPECT_EQ("fewer moves", store::solves()[1].finalFen);

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

TEST(ProgressWriters, UnlockGameAndReset) {
    withProgress(R"({"unlocked_level":10})", [](const std::string& data) {
        const std::string path = data + "/saves.dat";
        const std::string before = storetest::readFile(path);
        store::advanceUnlockedLevel(4);
        store::advanceUnlockedLevel(10);
        EXPECT_EQ(10, store::unlockedLevel());
        EXPECT_EQ(before, storetest::readFile(path));  // not rewritten: a fresh nonce would differ
        store::advanceUnlockedLevel(150);
        EXPECT_EQ(101, store::unlockedLevel());
        EXPECT_EQ(101, savedJson(data)["unlocked_level"].asInt(0));

        store::SavedGame g;
        g.level = 12;
        g.seed = 4294967295u;
        g.fen = "8/8/8/8/8/8/8/K6k w - - 0 1";
        g.startFen = kStart;
        g.elapsedMs = 123456789012LL;
        g.moves = 3;
        g.history = {{"f1", "e4", 'P', true}, {"f2", "e5", 0, false}};
        g.hintUsed = true;
        g.playerWhite = false;
        g.savedAt = 5;  // ignored
        store::saveGame(g);
        EXPECT_TRUE(store::hasSavedGame());
        EXPECT_GT(store::savedGame().savedAt, 5);
        const js::Value cg = savedJson(data)["current_game"];
        EXPECT_EQ(4294967295.0, cg["seed"].asNumber(0));
        EXPECT_EQ(R"([{"byWhite":true,"fen":"f1","notation":"e4","piece":"P"},)"
                  R"({"byWhite":false,"fen":"f2","notation":"e5","piece":""}])",
                  cg["history"].dump());
        EXPECT_EQ(123456789012.0, cg["elapsedMs"].asNumber(0));
        EXPECT_FALSE(cg["playerWhite"].asBool(true));

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

TEST(ProgressRead, SavedGameRoundTripsThroughTheFile) {
    TempDir home;
    store::SavedGame g;
    g.level = 42;
    g.seed = 123456789u;
    g.fen = "fen-now";
    g.startFen = "fen-start";
    g.elapsedMs = 98765;
    g.moves = 17;
    g.history = {{"a", "Nf3", 'N', true}, {"b", "exd5", 'p', false}};
    g.hintUsed = true;
    g.playerWhite = false;
    EXPECT_IN_CHILD([&] {
        storetest::useHome(home.path());
        store::init();
        store::saveGame(g);
        store::recordBest(42, {2, 20, 30000});
        store::recordSolve({42, 20, 30000, 77, "final", 2});
    });
    EXPECT_IN_CHILD([&] {
        storetest::useHome(home.path());
        store::init();
        const store::SavedGame& r = store::savedGame();
        EXPECT_TRUE(r.valid);
        EXPECT_EQ(g.level, r.level);
        EXPECT_EQ(g.seed, r.seed);
        EXPECT_EQ(g.fen, r.fen);
        EXPECT_EQ(g.startFen, r.startFen);
        EXPECT_EQ(g.elapsedMs, r.elapsedMs);
        EXPECT_EQ(g.moves, r.moves);
        ASSERT_EQ(2u, r.history.size());
        EXPECT_EQ("exd5", r.history[1].notation);
        EXPECT_EQ('p', r.history[1].pieceKind);
        EXPECT_FALSE(r.history[1].byWhite);
        EXPECT_TRUE(r.history[0].byWhite);
        EXPECT_TRUE(r.hintUsed);
        EXPECT_FALSE(r.playerWhite);
        EXPECT_GT(r.savedAt, 0);
        EXPECT_EQ(20, store::levelBests().at(42).moves);
        ASSERT_EQ(1u, store::solves().size());
        EXPECT_EQ("final", store::solves()[0].finalFen);
        EXPECT_EQ(77, store::solves()[0].solvedAt);
    });
}

TEST(ProgressRead, PartsAreReadIndependently) {
    withProgress(R"({"unlocked_level":0,"level_stars":{"12abc":{"stars":2.6,"moves":9},"x":5,"7":[]},)"
                 R"("solves_list":[{"level":0},{"level":-2},"junk",{"level":4,"moves":"9","elapsedMs":1e30,)"
                 R"("solvedAt":-5.9,"finalFen":7,"stars":3}],)"
                 R"("current_game":{"fen":"g","seed":4294967296,"level":-4,"hintUsed":"yes","playerWhite":0,)"
                 R"("history":[{"piece":"Qx","fen":"h"},{"byWhite":true},3]}})",
                 [](const std::string&) {
                     EXPECT_EQ(1, store::unlockedLevel());
                     const auto& bests = store::levelBests();
                     ASSERT_EQ(3u, bests.size());  // "x" reads as level 0
                     EXPECT_EQ(3, bests.at(12).stars);
                     EXPECT_EQ(9, bests.at(12).moves);
                     EXPECT_EQ(0, bests.at(0).stars);
                     EXPECT_EQ(0, bests.at(7).moves);

                     ASSERT_EQ(1u, store::solves().size());
                     const store::SolveEntry& e = store::solves()[0];
                     EXPECT_EQ(4, e.level);
                     EXPECT_EQ(0, e.moves);
                     EXPECT_EQ(INT64_MAX, e.elapsedMs);
                     EXPECT_EQ(-5, e.solvedAt);
                     EXPECT_EQ("", e.finalFen);

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
                     EXPECT_EQ(0, g.history[2].pieceKind);
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

TEST(ProgressRead, TamperedSavesAreSetAsideAndNotOverwrittenBeforeAChange) {
    TempDir home;
    EXPECT_IN_CHILD([&] {
        const std::string data = storetest::useHome(home.path());
        storetest::writeFile(data + "/saves.dat", R"({"unlocked_level":90})");
        storetest::captureStderr(home / "stderr.txt");
        store::init();
        EXPECT_EQ(1, store::unlockedLevel());
        EXPECT_FALSE(storetest::exists(data + "/saves.dat"));
        EXPECT_EQ(R"({"unlocked_level":90})", storetest::readFile(data + "/saves.dat.manipuliert"));
        std::fflush(stderr);
        EXPECT_EQ("[storage] " + data + "/saves.dat war nicht lesbar \xE2\x80\x94 beiseitegelegt\n",
                  storetest::readFile(home / "stderr.txt"));
        store::advanceUnlockedLevel(2);
        EXPECT_EQ(2, savedJson(data)["unlocked_level"].asInt(0));
    });
}

TEST(ProgressDemo, GeneratedSolvesAreNeverWritten) {
    const std::string stored = R"({"unlocked_level":3,"solves_list":[{"level":2,"moves":5}]})";
    TempDir home;
    EXPECT_IN_CHILD([&] {
        const std::string data = storetest::useHome(home.path());
        storetest::writeSealedJson(data + "/saves.dat", stored);
        const std::string before = storetest::readFile(data + "/saves.dat");
        ::setenv("ZELVANE_SOLVES", "250", 1);
        storetest::captureStderr(home / "stderr.txt");
        store::init();
        EXPECT_EQ(101, store::unlockedLevel());
        ASSERT_EQ(101u, store::solves().size());  // the loaded one stays in front
        EXPECT_EQ(2, store::solves()[0].level);
        EXPECT_EQ(100u, store::levelBests().size());

        const store::SolveEntry& first = store::solves()[1];
        const levels::LevelConfig c1 = levels::configFor(1);
        EXPECT_EQ(1, first.level);
        EXPECT_EQ(c1.optimumMoves + 2, first.moves);
        EXPECT_EQ(97000, first.elapsedMs);
        EXPECT_EQ(c1.startingFen.empty() ? std::string(kStart) : c1.startingFen, first.finalFen);
        EXPECT_EQ(levels::computeStars(first.moves, c1.optimumMoves), first.stars);
        const store::SolveEntry& last = store::solves()[100];
        EXPECT_EQ(100, last.level);
        EXPECT_EQ(levels::configFor(100).optimumMoves - 2, last.moves);
        EXPECT_EQ(97000 + 7000 * 99, last.elapsedMs);
        EXPECT_EQ(kStart, last.finalFen);
        EXPECT_EQ(3600000 * 99, last.solvedAt - first.solvedAt);
        EXPECT_LE(store::nowMs() - last.solvedAt, 60000);

        store::recordBest(1, {3, 1, 1});
        store::saveGame(store::SavedGame{});
        store::resetProgress();
        EXPECT_EQ(before, storetest::readFile(data + "/saves.dat"));
        EXPECT_FALSE(storetest::exists(data + "/saves.dat.neu"));
        store::saveSettings();  // settings are still saved
        EXPECT_TRUE(platform::fs::isFile(data + "/settings.dat"));
        std::fflush(stderr);
        EXPECT_EQ("[storage] ZELVANE_SOLVES=100 \xE2\x80\x94 100 Erfolge nur zur ANSICHT, es wird nichts geschrieben\n",
                  storetest::readFile(home / "stderr.txt"));
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
        EXPECT_EQ(levels::configFor(3).optimumMoves + 10, store::solves()[2].moves);
    });
    for (const char* value : {"0", "-3", "abc", ""}) {
        TempDir other;
        EXPECT_IN_CHILD([&] {
            const std::string data = storetest::useHome(other.path());
            ::setenv("ZELVANE_SOLVES", value, 1);
            storetest::captureStderr(other / "stderr.txt");
            store::init();
            EXPECT_EQ(1, store::unlockedLevel()) << value;
            EXPECT_TRUE(store::solves().empty());
            store::advanceUnlockedLevel(2);
            EXPECT_EQ(2, savedJson(data)["unlocked_level"].asInt(0)) << value;  // written as usual
            std::fflush(stderr);
            EXPECT_EQ("", storetest::readFile(other / "stderr.txt"));
        });
    }
}

}  // namespace
