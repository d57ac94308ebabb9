// Language selection, locale detection and text lookup with placeholders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "i18n.h"
#include "i18n_data.h"

namespace {

const char* const kLocaleVars[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

std::string textIn(const i18n_data::Entry* entries, const std::string& key) {
    for (std::size_t i = 0; i < i18n_data::kEntryCount; ++i) {
        if (entries[i].key == key) return entries[i].text;
    }
    return "<missing " + key + ">";
}

// Starts every test with no locale variable set and puts the caller's
// environment and English back afterwards.
class I18nLookup : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kLocaleVars) {
            const char* value = std::getenv(name);
            saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
            unsetenv(name);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        i18n::setLanguage("en");
    }
    // Sets exactly the given variables; the others stay unset.
    static std::string detectWith(const std::map<std::string, std::string>& vars) {
        for (const char* name : kLocaleVars) unsetenv(name);
        for (const auto& [name, value] : vars) setenv(name.c_str(), value.c_str(), 1);
        return i18n::detectSystemLanguage();
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(I18nLookup, DetectsTheLanguagePartOfLocaleNames) {
    EXPECT_EQ(detectWith({}), "en");
    EXPECT_EQ(detectWith({{"LANG", "pt_BR.UTF-8"}}), "pt");
    EXPECT_EQ(detectWith({{"LANG", "pt_BR.UTF-8@euro"}}), "pt");
    EXPECT_EQ(detectWith({{"LANG", "de@euro"}}), "de");
    EXPECT_EQ(detectWith({{"LANG", "fr-CA"}}), "fr");
    EXPECT_EQ(detectWith({{"LANG", "nl.ISO-8859-1"}}), "nl");
    EXPECT_EQ(detectWith({{"LANG", "DE_AT"}}), "de") << "ASCII letters are lowercased";
    EXPECT_EQ(detectWith({{"LANGUAGE", "zh_CN:en_US"}}), "zh");
    EXPECT_EQ(detectWith({{"LANG", "ko"}}), "ko");
}

TEST_F(I18nLookup, LocalesWithoutALanguageMatchNothing) {
    EXPECT_EQ(detectWith({{"LANG", "C"}}), "en");
    EXPECT_EQ(detectWith({{"LANG", "C.UTF-8"}}), "en");
    EXPECT_EQ(detectWith({{"LANG", "POSIX"}}), "en");
    EXPECT_EQ(detectWith({{"LANG", "xx_XX"}}), "en");
    EXPECT_EQ(detectWith({{"LANG", "_de"}}), "en") << "the prefix before _ is empty";
    EXPECT_EQ(detectWith({{"LANG", "german"}}), "en");
    EXPECT_EQ(detectWith({{"LANGUAGE", ":::"}}), "en");
}

TEST_F(I18nLookup, ListsAreSearchedPartByPart) {
    EXPECT_EQ(detectWith({{"LANGUAGE", ":fr"}}), "fr") << "empty first part is skipped";
    EXPECT_EQ(detectWith({{"LANGUAGE", "xx::sv_SE:de"}}), "sv");
    EXPECT_EQ(detectWith({{"LANGUAGE", "C:POSIX:it"}}), "it");
    EXPECT_EQ(detectWith({{"LANGUAGE", "fi:"}}), "fi");
}

TEST_F(I18nLookup, VariablesAreTriedInPriorityOrder) {
    const std::map<std::string, std::string> all = {
        {"LANGUAGE", "es"}, {"LC_ALL", "it_IT"}, {"LC_MESSAGES", "ja_JP"}, {"LANG", "de_DE"}};
    EXPECT_EQ(detectWith(all), "es");
    EXPECT_EQ(detectWith({{"LC_ALL", "it_IT"}, {"LC_MESSAGES", "ja_JP"}, {"LANG", "de_DE"}}), "it");
    EXPECT_EQ(detectWith({{"LC_MESSAGES", "ja_JP"}, {"LANG", "de_DE"}}), "ja");
    // Unmatched or empty variables fall through to the next one.
    EXPECT_EQ(detectWith({{"LANGUAGE", "xx:yy"}, {"LC_ALL", "C"}, {"LC_MESSAGES", ""}, {"LANG", "de_DE.UTF-8"}}),
              "de");
    EXPECT_EQ(detectWith({{"LANGUAGE", ""}, {"LC_ALL", "ru_RU.UTF-8"}}), "ru");
}

TEST_F(I18nLookup, EmptyCodeFollowsTheSystem) {
    setenv("LANGUAGE", "xx:fr", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    i18n::setLanguage("");
    EXPECT_EQ(i18n::currentLanguage(), "fr");
    EXPECT_EQ(i18n::requestedLanguage(), "");
    EXPECT_EQ(i18n::tr("menu.quit"), textIn(i18n_data::kEntries_fr, "menu.quit"));

    unsetenv("LANGUAGE");
    i18n::setLanguage("");
    EXPECT_EQ(i18n::currentLanguage(), "de");
}

TEST_F(I18nLookup, UnknownOrWrongCaseCodesFallBackToEnglish) {
    setenv("LANG", "fr_FR.UTF-8", 1);  // must not be consulted for a non-empty code
    for (const char* code : {"EN", "De", "xx", "english", "de_DE", " de"}) {
        i18n::setLanguage("de");
        i18n::setLanguage(code);
        EXPECT_EQ(i18n::currentLanguage(), "en") << code;
        EXPECT_EQ(i18n::requestedLanguage(), code);
        EXPECT_EQ(i18n::tr("menu.quit"), "Quit") << code;
        EXPECT_FALSE(i18n::currentIsRtl());
    }
}

TEST_F(I18nLookup, EveryCatalogIsReachableByItsCode) {
    for (const i18n_data::Catalog& cat : i18n_data::kCatalogs) {
        i18n::setLanguage(cat.code);
        EXPECT_EQ(i18n::currentLanguage(), cat.code);
        EXPECT_EQ(i18n::currentIsRtl(), cat.rtl) << cat.code;
        for (std::size_t i = 0; i < cat.count; ++i) {
            EXPECT_EQ(i18n::tr(cat.entries[i].key), cat.entries[i].text) << cat.code << " " << cat.entries[i].key;
        }
    }
    i18n::setLanguage("he");
    EXPECT_TRUE(i18n::currentIsRtl());
    i18n::setLanguage("ar");
    EXPECT_TRUE(i18n::currentIsRtl());
    i18n::setLanguage("ja");
    EXPECT_FALSE(i18n::currentIsRtl());
}

TEST_F(I18nLookup, MissingKeysShowThemselves) {
    for (const char* code : {"en", "de", "ar"}) {
        i18n::setLanguage(code);
        EXPECT_EQ(i18n::tr("no.such.key"), "no.such.key");
        EXPECT_EQ(i18n::tr(""), "");
        EXPECT_EQ(i18n::tr("MENU.QUIT"), "MENU.QUIT") << "keys are case-sensitive";
        EXPECT_EQ(i18n::tr("menu.quit "), "menu.quit ");
    }
}

TEST_F(I18nLookup, ParametersFillPlaceholders) {
    i18n::setLanguage("en");
    EXPECT_EQ(i18n::tr("gallery.levelLine", {{"n", "7"}}), "Level 7");
    EXPECT_EQ(i18n::tr("a11y.pageRange", {{"from", "1"}, {"to", "10"}}), "Level 1 to 10");
    EXPECT_EQ(i18n::tr("a11y.pageRange", {{"to", "10"}, {"from", "1"}}), "Level 1 to 10");
    EXPECT_EQ(i18n::tr("playing.optimumHint", {{"n", "12"}, {"stars", "2"}}),
              "Target: \u2264 12 moves for 3\u2605 \u00B7 current 2\u2605");
    EXPECT_EQ(i18n::tr("gallery.levelLine", {}), "Level {{n}}");
    EXPECT_EQ(i18n::tr("gallery.levelLine", {{"x", "7"}}), "Level {{n}}") << "unknown names change nothing";
    EXPECT_EQ(i18n::tr("a11y.squareWith", {{"n", "e4"}}), "Square e4, {{piece}}") << "a token without a pair stays";
    EXPECT_EQ(i18n::tr("gallery.levelLine", {{"n", ""}}), "Level ");
    // A missing key is still a template: every occurrence is replaced.
    EXPECT_EQ(i18n::tr("{{x}}+{{x}}={{y}}", {{"x", "1"}, {"y", "2"}}), "1+1=2");
}

TEST_F(I18nLookup, InsertedValuesAreNotExpandedAgainByTheSamePair) {
    i18n::setLanguage("en");
    EXPECT_EQ(i18n::tr("gallery.levelLine", {{"n", "{{n}}"}}), "Level {{n}}");
    EXPECT_EQ(i18n::tr("gallery.levelLine", {{"n", "a{{n}}b"}}), "Level a{{n}}b");
    EXPECT_EQ(i18n::tr("{{n}}{{n}}", {{"n", "{{n}}{{n}}"}}), "{{n}}{{n}}{{n}}{{n}}");
}

TEST_F(I18nLookup, LaterPairsReplaceTokensBroughtInByEarlierOnes) {
    i18n::setLanguage("en");
    EXPECT_EQ(i18n::tr("a11y.pageRange", {{"from", "{{to}}"}, {"to", "10"}}), "Level 10 to 10");
    // The other way round the inserted token is already past its pair.
    EXPECT_EQ(i18n::tr("a11y.pageRange", {{"to", "10"}, {"from", "{{to}}"}}), "Level {{to}} to 10");
}

TEST_F(I18nLookup, ParametersWorkInEveryLanguage) {
    for (const i18n_data::Catalog& cat : i18n_data::kCatalogs) {
        i18n::setLanguage(cat.code);
        const std::string line = i18n::tr("a11y.pageRange", {{"from", "41"}, {"to", "50"}});
        EXPECT_NE(line.find("41"), std::string::npos) << cat.code << ": " << line;
        EXPECT_NE(line.find("50"), std::string::npos) << cat.code << ": " << line;
        EXPECT_EQ(line.find("{{"), std::string::npos) << cat.code << ": " << line;
    }
}

TEST(I18nUtf8, DecodesAndEncodesEveryLength) {
    const std::u32string expected = U"a\u00C4\u20AC\U0001F600";
    std::vector<char32_t> cps;
    ASSERT_TRUE(i18n::decodeUtf8("a\xC3\x84\xE2\x82\xAC\xF0\x9F\x98\x80", cps));
    EXPECT_EQ(std::u32string(cps.begin(), cps.end()), expected);
    std::string encoded;
    for (char32_t cp : expected) encoded += i18n::encodeUtf8(cp);
    EXPECT_EQ(encoded, "a\xC3\x84\xE2\x82\xAC\xF0\x9F\x98\x80");
    for (char32_t cp : {U'\x7F', U'\x80', U'\u07FF', U'\u0800', U'\uFFFF', U'\U00010000', U'\U0010FFFF'}) {
        std::vector<char32_t> round;
        ASSERT_TRUE(i18n::decodeUtf8(i18n::encodeUtf8(cp), round));
        EXPECT_EQ(round, std::vector<char32_t>{cp});
    }
}

TEST(I18nUtf8, RejectsMalformedSequences) {
    for (const char* bad : {"\x80", "\xC3", "abc\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                            "\xF4\x90\x80\x80", "\xE2\x28\xA1", "\xF8\x88\x80\x80\x80", "\xFF"}) {
        std::vector<char32_t> cps;
        EXPECT_FALSE(i18n::decodeUtf8(bad, cps)) << ::testing::PrintToString(std::string(bad));
    }
}

}  // namespace
