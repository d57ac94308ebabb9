// Language selection, locale detection, lookup with placeholders and UTF-8.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "i18n.h"

namespace {

const char* const kLocaleVars[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
using LocaleVars = std::array<const char*, 4>;  // in kLocaleVars order; nullptr: unset

void setLocale(const LocaleVars& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i]) setenv(kLocaleVars[i], values[i], 1);
        else unsetenv(kLocaleVars[i]);
    }
}

LocaleVars langOnly(const char* lang) { return {nullptr, nullptr, nullptr, lang}; }

// Every test starts and ends in English, with no locale variable set.
class I18nLookup : public ::testing::Test {
protected:
    void SetUp() override { setLocale({}); }
    void TearDown() override {
        setLocale({});
        i18n::setLanguage("en");
    }
};

// The variables are tried in priority order and empty ones fall through; the
// language part of a name ends at '-', '.', '_' or '@' and is read in lower
// case; LANGUAGE is a list searched part by part; "C", "POSIX" and unknown or
// empty parts name no catalog.
TEST_F(I18nLookup, DetectsTheLanguageOfTheFirstUsableVariable) {
    const struct {
        LocaleVars vars;
        const char* language;
    } cases[] = {
        {{}, "en"},
        {langOnly("pt_BR.UTF-8@euro"), "pt"}, {langOnly("de@euro"), "de"}, {langOnly("fr-CA"), "fr"},
        {langOnly("nl.ISO-8859-1"), "nl"}, {langOnly("DE_AT"), "de"}, {langOnly("C.UTF-8"), "en"},
        {langOnly("POSIX"), "en"}, {langOnly("xx_XX"), "en"}, {langOnly("_de"), "en"},
        {langOnly("german"), "en"}, {{":::"}, "en"}, {{":fr"}, "fr"}, {{"fi:"}, "fi"},
        {{"xx::sv_SE:de"}, "sv"}, {{"C:POSIX:it"}, "it"}, {{"", "ru_RU.UTF-8"}, "ru"},
        {{"es", "it_IT", "ja_JP", "de_DE"}, "es"}, {{nullptr, "it_IT", "ja_JP", "de_DE"}, "it"},
        {{nullptr, nullptr, "ja_JP", "de_DE"}, "ja"}, {{"xx:yy", "C", "", "de_DE.UTF-8"}, "de"},
    };
    for (const auto& c : cases) {
        setLocale(c.vars);
        EXPECT_EQ(i18n::detectSystemLanguage(), c.language) << "row " << &c - cases;
    }
}

TEST_F(I18nLookup, AnEmptyCodeFollowsTheSystemAndAnUnknownOneIsEnglish) {
    setLocale({"xx:fr", nullptr, nullptr, "de_DE.UTF-8"});
    i18n::setLanguage("");
    EXPECT_EQ(i18n::currentLanguage(), "fr");
    EXPECT_EQ(i18n::requestedLanguage(), "");
    EXPECT_EQ(i18n::tr("menu.quit"), "Quitter");

    // Only the exact code counts, and the system is not asked.
    for (const char* code : {"EN", "De", "xx", "de_DE", " de"}) {
        i18n::setLanguage("de");
        i18n::setLanguage(code);
        EXPECT_EQ(i18n::currentLanguage(), "en") << code;
        EXPECT_EQ(i18n::requestedLanguage(), code);
        EXPECT_EQ(i18n::tr("menu.quit"), "Quit") << code;
    }
}

TEST_F(I18nLookup, ParametersFillPlaceholdersInTheOrderGiven) {
    const struct {
        const char* key;
        i18n::Params params;
        const char* text;
    } cases[] = {
        {"a11y.pageRange", {{"to", "10"}, {"from", "1"}}, "Level 1 to 10"},
        {"playing.optimumHint", {{"n", "12"}, {"stars", "2"}},
         "Target: \u2264 12 moves for 3\u2605 \u00B7 current 2\u2605"},
        {"gallery.levelLine", {{"x", "7"}}, "Level {{n}}"},
        {"a11y.squareWith", {{"n", "e4"}}, "Square e4, {{piece}}"},
        {"gallery.levelLine", {{"n", ""}}, "Level "},
        // A missing key is still a template, and every occurrence is replaced.
        {"{{x}}+{{x}}={{y}}", {{"x", "1"}, {"y", "2"}}, "1+1=2"},
        // An inserted value is not expanded again by its own pair ...
        {"gallery.levelLine", {{"n", "a{{n}}b"}}, "Level a{{n}}b"},
        {"{{n}}{{n}}", {{"n", "{{n}}{{n}}"}}, "{{n}}{{n}}{{n}}{{n}}"},
        // ... but a later pair replaces the tokens an earlier one brought in.
        {"a11y.pageRange", {{"from", "{{to}}"}, {"to", "10"}}, "Level 10 to 10"},
        {"a11y.pageRange", {{"to", "10"}, {"from", "{{to}}"}}, "Level {{to}} to 10"},
    };
    for (const auto& c : cases) EXPECT_EQ(i18n::tr(c.key, c.params), c.text) << c.key;
    for (const char* missing : {"no.such.key", "", "MENU.QUIT", "menu.quit "}) {
        EXPECT_EQ(i18n::tr(missing), missing);
    }
}

TEST(I18nUtf8, EncodesAndDecodesEveryLengthAtItsLimitsAndRejectsMalformedSequences) {
    const struct {
        const char* bytes;
        char32_t cp;
    } cases[] = {{"\x7F", 0x7F},          {"\xC2\x80", 0x80},         {"\xDF\xBF", 0x7FF},
                 {"\xE0\xA0\x80", 0x800}, {"\xEF\xBF\xBF", 0xFFFF},   {"\xF0\x90\x80\x80", 0x10000},
                 {"\xF4\x8F\xBF\xBF", 0x10FFFF}};
    for (const auto& c : cases) {
        EXPECT_EQ(i18n::encodeUtf8(c.cp), c.bytes) << std::hex << unsigned(c.cp);
        std::vector<char32_t> cps = {U'a'};
        ASSERT_TRUE(i18n::decodeUtf8(c.bytes, cps));
        EXPECT_EQ(cps, (std::vector<char32_t>{U'a', c.cp})) << "appends";
    }
    for (const char* bad : {"\x80", "\xC3", "abc\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                            "\xF4\x90\x80\x80", "\xE2\x28\xA1", "\xF8\x88\x80\x80\x80", "\xFF"}) {
        std::vector<char32_t> cps;
        EXPECT_FALSE(i18n::decodeUtf8(bad, cps)) << ::testing::PrintToString(std::string(bad));
    }
}

}  // namespace
