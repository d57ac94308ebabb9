#include <gtest/gtest.h>

#include <string>

#include "core/storage.h"
#include "store_support.h"

namespace {

js::Value savedJson(const std::string& data) { return storetest::openSealedJson(data + "/saves.dat"); }

// The unlocked level only advances, up to all levels; bests improve field by
// field, and fields never recorded fill in; solves keep the best one per
// level, sorted by level; a reset clears all three.
TEST(ProgressWrite, UnlockBestsAndSolvesOnlyImproveUntilReset) {
    storetest::withStore("saves.dat", "", [](const std::string& data) {
        store::advanceUnlockedLevel(10);
        const std::string before = storetest::readFile(data + "/saves.dat");
        store::advanceUnlockedLevel(4);
        store::advanceUnlockedLevel(10);
        EXPECT_EQ(10, store::unlockedLevel());
        EXPECT_EQ(before, storetest::readFile(data + "/saves.dat"));  // not rewritten: a fresh nonce would differ
        store::advanceUnlockedLevel(150);
        EXPECT_EQ(101, savedJson(data)["unlocked_level"].asInt(0));

        const std::pair<int, store::LevelBest> bests[] = {
            {5, {3, 40, 50000}}, {5, {2, 30, 60000}}, {5, {1, 35, 40000}}, {6, {1, 0, 0}}, {6, {1, 55, 9000}}};
        for (const auto& [level, result] : bests) store::recordBest(level, result);
        EXPECT_EQ(R"({"5":{"elapsedMs":40000,"moves":30,"stars":3},"6":{"elapsedMs":9000,"moves":55,"stars":1}})",
                  savedJson(data)["level_stars"].dump());

        store::recordSolve({7, 20, 1000, 111, "fen7", 2});
        store::recordSolve({3, 20, 1000, 0, "fen3", 2});
        store::recordSolve({5, 20, 1000, 222, "fen5", 2});
        // Each entry: what it tries, and the final position kept after it.
        const struct {
            store::SolveEntry entry;
            const char* kept;
        } steps[] = {{{5, 20, 2000, 333, "slower", 2}, "fen5"},
                     {{5, 20, 1000, 333, "equal", 2}, "fen5"},
                     {{5, 21, 500, 333, "more moves", 2}, "fen5"},
                     {{5, 19, 1500, 333, "fewer moves", 2}, "fewer moves"},
                     {{5, 30, 9000, 444, "more stars", 3}, "more stars"},
                     {{5, 10, 100, 444, "fewer stars", 2}, "more stars"},
                     {{5, 30, 8000, 555, "faster", 3}, "faster"}};
        for (const auto& step : steps) {
            store::recordSolve(step.entry);
            EXPECT_EQ(step.kept, store::solves()[1].finalFen) << step.entry.finalFen;
        }
        js::Value list = savedJson(data)["solves_list"];
        EXPECT_GT(list[0]["solvedAt"].asNumber(0), 1600000000000.0);  // none given: stamped now
        list.arr().at(0).obj().erase("solvedAt");
        EXPECT_EQ(R"([{"elapsedMs":1000,"finalFen":"fen3","level":3,"moves":20,"stars":2},)"
                  R"({"elapsedMs":8000,"finalFen":"faster","level":5,"moves":30,"solvedAt":555,"stars":3},)"
                  R"({"elapsedMs":1000,"finalFen":"fen7","level":7,"moves":20,"solvedAt":111,"stars":2}])",
                  list.dump());

        store::resetProgress();
        EXPECT_EQ(1, store::unlockedLevel());
        EXPECT_TRUE(store::levelBests().empty() && store::solves().empty());
        EXPECT_EQ(R"({"level_stars":{},"solves_list":[],"unlocked_level":1})", savedJson(data).dump());
    });
    // A loaded list is not capped; the next record cuts it to 200, lowest levels first.
    std::string json = R"({"solves_list":[)";
    for (int i = 0; i < 250; ++i) json += (i ? "," : "") + std::string(R"({"level":)") + std::to_string(300 - i) + "}";
    storetest::withStore("saves.dat", json + "]}", [](const std::string& data) {
        EXPECT_EQ(250u, store::solves().size());
        store::recordSolve({1, 10, 10, 10, "f", 3});
        const js::Value list = savedJson(data)["solves_list"];
        ASSERT_EQ(200u, list.size());
        EXPECT_EQ(1, list[0]["level"].asInt(0));
        EXPECT_EQ(249, list[199]["level"].asInt(0));  // 1, then 51..249
    });
}

// Whatever the file holds reads back unchanged: saving the loaded game again
// gives the same file, apart from the time of saving. Wrong types and odd
// values in one part fall back without breaking the others or the load.
TEST(ProgressRead, TheFileReadsBackAsItWasWrittenAndOddValuesFallBack) {
    const char* const kSaved =
        R"({"current_game":{"elapsedMs":123456789012,"fen":"fen-now","hintUsed":true,"history":[)"
        R"({"byWhite":true,"fen":"a","notation":"Nf3","piece":"N"},)"
        R"({"byWhite":false,"fen":"b","notation":"exd5","piece":""}],)"
        R"("level":42,"moves":17,"playerWhite":false,"seed":4294967295,"startFen":"fen-start"},)"
        R"("level_stars":{"42":{"elapsedMs":30000,"moves":20,"stars":2}},"solves_list":[{"elapsedMs":30000,)"
        R"("finalFen":"final","level":42,"moves":20,"playedMoves":["e2e4","e7e5"],"solvedAt":77,"stars":2,)"
        R"("startFen":"start"}],"unlocked_level":7})";
    const struct {
        const char* json;
        const char* saved;
    } cases[] = {
        {kSaved, kSaved},
        {R"({"unlocked_level":0,"level_stars":{"12abc":{"stars":2.6,"moves":9},"x":5,"7":[]},)"
         R"("solves_list":[{"level":0},{"level":-2},"junk",{"level":4,"moves":"9","elapsedMs":1e30,)"
         R"("solvedAt":-5.9,"finalFen":7,"stars":3,"playedMoves":"e2e4"}],)"
         R"("current_game":{"fen":"g","seed":4294967296,"level":-4,"hintUsed":"yes","playerWhite":0,)"
         R"("history":[{"piece":"Qx","fen":"h"},{"byWhite":true},3]}})",
         R"({"current_game":{"elapsedMs":0,"fen":"g","hintUsed":false,"history":[)"
         R"({"byWhite":false,"fen":"h","notation":"","piece":"Q"},)"
         R"({"byWhite":true,"fen":"","notation":"","piece":""},)"
         R"({"byWhite":false,"fen":"","notation":"","piece":""}],"level":1,"moves":0,)"
         R"("playerWhite":true,"seed":0,"startFen":""},)"
         R"("level_stars":{"0":{"elapsedMs":0,"moves":0,"stars":0},)"
         R"("12":{"elapsedMs":0,"moves":9,"stars":3},"7":{"elapsedMs":0,"moves":0,"stars":0}},)"
         R"("solves_list":[{"elapsedMs":9.2233720368547758e+18,"finalFen":"","level":4,)"
         R"("moves":0,"solvedAt":-5,"stars":3}],"unlocked_level":1})"},
        {R"({"unlocked_level":"5","level_stars":[1],"solves_list":{"a":1},"current_game":{"fen":""}})",
         R"({"level_stars":{},"solves_list":[],"unlocked_level":1})"},
        {R"({"unlocked_level":500,"current_game":{"fen":5}})",  // no upper bound on load
         R"({"level_stars":{},"solves_list":[],"unlocked_level":500})"},
    };
    for (const auto& c : cases) {
        storetest::withStore("saves.dat", c.json, [&](const std::string& data) {
            if (store::hasSavedGame()) store::saveGame(store::savedGame());  // writes what was read
            else store::clearGame();
            // The time of saving is checked to be today's rather than the one read.
            js::Value saved = savedJson(data);
            if (saved.has("current_game")) {
                EXPECT_GT(saved["current_game"]["savedAt"].asNumber(0), 1600000000000.0);
                saved.obj()["current_game"].obj().erase("savedAt");
            }
            EXPECT_EQ(c.saved, saved.dump());
        });
    }
}

// ZELVANE_SOLVES shows generated solves (at most 100) and never writes the
// progress; zero, negative or non-numbers change nothing.
TEST(ProgressDemo, GeneratedSolvesAreShownButNeverWritten) {
    const struct {
        const char* value;
        int solves;
    } cases[] = {{"250", 100}, {"3", 3}, {"-3", 0}, {"abc", 0}};
    for (const auto& c : cases) {
        ::setenv("ZELVANE_SOLVES", c.value, 1);  // the child inherits it
        const char* const loaded = R"({"unlocked_level":3,"solves_list":[{"level":2}]})";
        storetest::withStore("saves.dat", loaded, [&](const std::string& data) {
            const std::string before = storetest::readFile(data + "/saves.dat");
            EXPECT_EQ(c.solves ? c.solves + 1 : 3, store::unlockedLevel()) << c.value;
            ASSERT_EQ(c.solves + 1u, store::solves().size()) << c.value;  // the loaded one stays in front
            EXPECT_EQ(static_cast<std::size_t>(c.solves), store::levelBests().size());
            EXPECT_EQ(c.solves ? c.solves : 2, store::solves().back().level);
            const std::string n = std::to_string(c.solves);
            EXPECT_EQ(c.solves ? "[storage] ZELVANE_SOLVES=" + n + " \xE2\x80\x94 " + n +
                                     " Erfolge nur zur ANSICHT, es wird nichts geschrieben\n" : "",
                      storetest::stderrText(data));

            store::recordBest(1, {3, 1, 1});
            store::advanceUnlockedLevel(101);
            store::saveSettings();  // settings are still saved
            EXPECT_TRUE(storetest::openSealedJson(data + "/settings.dat").isObject());
            EXPECT_EQ(c.solves ? 3 : 101, savedJson(data)["unlocked_level"].asInt(0));
            EXPECT_EQ(c.solves > 0, before == storetest::readFile(data + "/saves.dat"));
        });
        ::unsetenv("ZELVANE_SOLVES");
    }
}

}  // namespace
