// Randomly mutated inputs through the parser and the sealed reader: neither
// may crash, hang or read out of bounds (run under the sanitizers as well).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/json.h"
#include "platform/save_crypt.h"

namespace {

constexpr int kRounds = 60000;  // per target; two targets make 120 000 inputs

const char* const kSeeds[] = {
    R"({"current_game":{"elapsedMs":1200,"fen":"8/8/8/8/8/8/8/K6k w - - 0 1","history":[{"byWhite":true,)"
    R"("fen":"x","notation":"Kb1","piece":"K"}],"hintUsed":false,"level":3,"moves":1,"playerWhite":true,)"
    R"("savedAt":1700000000000,"seed":99,"startFen":"s"},"level_stars":{"1":{"elapsedMs":5,"moves":3,"stars":3}},)"
    R"("solves_list":[{"elapsedMs":1,"finalFen":"f","level":1,"moves":2,"solvedAt":3,"stars":3}],"unlocked_level":2})",
    R"(["\uD83D\uDE00","\u00e9\\\"\/\b\f\n\r\t",-1.5e+10,0x1p3,true,false,null,{},[],[[[[{"a":{}}]]]]])",
    R"({"musicVolume":0.10000000000000001,"windowX":-1,"language":"de"})",
};

// One random edit: flip a bit, overwrite, insert, delete, duplicate a slice
// or splice in a JSON token.
void mutate(std::string& s, std::mt19937& rng) {
    static const char* const kTokens[] = {"{", "}", "[", "]", "\"", "\\u", "\\uD800", ":", ",", "-", "1e999",
                                          "nan", "true", "\\", "\xFF", "[[[[[[[[", "{\"a\":"};
    auto pick = [&](std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
    const std::size_t at = pick(s.size());
    switch (rng() % 7) {
        case 0: if (!s.empty()) s[at] ^= static_cast<char>(1 << (rng() % 8)); break;
        case 1: if (!s.empty()) s[at] = static_cast<char>(rng()); break;
        case 2: s.insert(pick(s.size() + 1), 1, static_cast<char>(rng())); break;
        case 3: if (!s.empty()) s.erase(at, 1 + pick(8)); break;
        case 4: if (s.size() < 100000) s.insert(pick(s.size() + 1), s.substr(at, 1 + pick(64))); break;
        case 5: s.insert(pick(s.size() + 1), 1, '\0'); break;
        default: s.insert(pick(s.size() + 1), kTokens[pick(std::size(kTokens))]);
    }
}

std::string mutated(const std::string& base, std::mt19937& rng) {
    std::string s = base;
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < edits; ++i) mutate(s, rng);
    return s;
}

TEST(Fuzz, ParserSurvivesMutatedJson) {
    std::mt19937 rng(20261207);
    int parsed = 0;
    for (int i = 0; i < kRounds; ++i) {
        const std::string text = mutated(kSeeds[i % std::size(kSeeds)], rng);
        const js::Value v = js::parse(text);
        if (!v.isNull()) {
            ++parsed;
            // Whatever parses must dump to text that parses to the same dump.
            const std::string dumped = v.dump();
            ASSERT_EQ(dumped, js::parse(dumped).dump()) << "input: " << text;
        }
    }
    // A fair share must stay valid, or only the first few bytes are probed.
    EXPECT_GT(parsed, kRounds / 20);
    EXPECT_LT(parsed, kRounds);
}

TEST(Fuzz, SealedReaderSurvivesMutatedFiles) {
    std::mt19937 rng(7);
    std::vector<std::string> sealed;
    for (const char* seed : kSeeds) sealed.push_back(platform::saveEncrypt(seed));
    sealed.push_back(platform::saveEncrypt(""));
    int opened = 0;
    for (int i = 0; i < kRounds; ++i) {
        const std::string& base = sealed[static_cast<std::size_t>(i) % sealed.size()];
        // Every fourth input keeps a valid header so the tag check is reached.
        std::string input = mutated(base, rng);
        if (i % 4 == 0 && input.size() >= platform::kHeader) input.replace(0, 5, base.substr(0, 5));
        std::string out = "stale";
        const auto result = platform::saveDecrypt(input, &out);
        if (result == platform::SaveReadResult::Ok) {
            ++opened;
            ASSERT_EQ(input, base) << "only an unchanged file may open";
        } else {
            ASSERT_EQ("", out);
        }
    }
    EXPECT_LT(opened, kRounds / 100);
}

}  // namespace
