// Language selection, locale detection, lookup with placeholders, UTF-8, and
// the compiled-in catalogs: the language list, and every language offering the
// English keys, found by lookup, with the same placeholders in well-formed text.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "i18n.h"
#include "i18n_data.h"

namespace {

using i18n_data::Catalog;
using i18n_data::kCatalogs;
using i18n_data::kEntries_en;
using i18n_data::kEntryCount;

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
    const std::pair<LocaleVars, const char*> cases[] = {
        {{}, "en"},
        {langOnly("pt_BR.UTF-8@euro"), "pt"}, {langOnly("de@euro"), "de"}, {langOnly("fr-CA"), "fr"},
        {langOnly("nl.ISO-8859-1"), "nl"}, {langOnly("DE_AT"), "de"}, {langOnly("C.UTF-8"), "en"},
        {langOnly("POSIX"), "en"}, {langOnly("xx_XX"), "en"}, {langOnly("_de"), "en"},
        {langOnly("german"), "en"}, {{":::"}, "en"}, {{":fr"}, "fr"}, {{"fi:"}, "fi"},
        {{"xx::sv_SE:de"}, "sv"}, {{"C:POSIX:it"}, "it"}, {{"", "ru_RU.UTF-8"}, "ru"},
        {{"es", "it_IT", "ja_JP", "de_DE"}, "es"}, {{nullptr, "it_IT", "ja_JP", "de_DE"}, "it"},
        {{nullptr, nullptr, "ja_JP", "de_DE"}, "ja"}, {{"xx:yy", "C", "", "de_DE.UTF-8"}, "de"},
    };
    for (const auto& [vars, language] : cases) {
        setLocale(vars);
        EXPECT_EQ(i18n::detectSystemLanguage(), language) << ::testing::PrintToString(vars);
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
    const std::tuple<const char*, i18n::Params, const char*> cases[] = {
        {"a11y.pageRange", {{"to", "10"}, {"from", "1"}}, "Level 1 to 10"},
        {"playing.optimumHint", {{"n", "12"}, {"stars", "2"}},
         "Target: \u2264 12 moves for 3\u2605 \u00B7 current 2\u2605"},
        {"gallery.levelLine", {{"x", "7"}}, "Level {{n}}"},
        // A missing key is still a template, and every occurrence is replaced.
        {"{{x}}+{{x}}={{y}}", {{"x", "1"}, {"y", "2"}}, "1+1=2"},
        // An inserted value is not expanded again by its own pair ...
        {"gallery.levelLine", {{"n", "a{{n}}b"}}, "Level a{{n}}b"},
        {"{{n}}{{n}}", {{"n", "{{n}}{{n}}"}}, "{{n}}{{n}}{{n}}{{n}}"},
        // ... but a later pair replaces the tokens an earlier one brought in.
        {"a11y.pageRange", {{"from", "{{to}}"}, {"to", "10"}}, "Level 10 to 10"},
        {"a11y.pageRange", {{"to", "10"}, {"from", "{{to}}"}}, "Level {{to}} to 10"},
    };
    for (const auto& [key, params, text] : cases) EXPECT_EQ(i18n::tr(key, params), text) << key;
    for (const char* missing : {"no.such.key", "", "MENU.QUIT", "menu.quit "}) {
        EXPECT_EQ(i18n::tr(missing), missing);
    }
}

TEST(I18nUtf8, EncodesAndDecodesEveryLengthAtItsLimitsAndRejectsMalformedSequences) {
    const std::pair<const char*, char32_t> cases[] = {
        {"\x7F", 0x7F}, {"\xC2\x80", 0x80}, {"\xDF\xBF", 0x7FF}, {"\xE0\xA0\x80", 0x800}, {"\xEF\xBF\xBF", 0xFFFF},
        {"\xF0\x90\x80\x80", 0x10000}, {"\xF4\x8F\xBF\xBF", 0x10FFFF}};
    for (const auto& [bytes, cp] : cases) {
        EXPECT_EQ(i18n::encodeUtf8(cp), bytes) << std::hex << unsigned(cp);
        std::vector<char32_t> cps = {U'a'};
        ASSERT_TRUE(i18n::decodeUtf8(bytes, cps));
        EXPECT_EQ(cps, (std::vector<char32_t>{U'a', cp})) << "appends";
    }
    for (const char* bad : {"\x80", "\xC3", "abc\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                            "\xF4\x90\x80\x80", "\xE2\x28\xA1", "\xF8\x88\x80\x80\x80", "\xFF"}) {
        std::vector<char32_t> cps;
        EXPECT_FALSE(i18n::decodeUtf8(bad, cps)) << ::testing::PrintToString(std::string(bad));
    }
}

std::vector<char32_t> codePoints(const char* text) {
    std::vector<char32_t> cps;
    EXPECT_TRUE(i18n::decodeUtf8(text, cps)) << text;
    return cps;
}

// The "{{name}}" tokens of a text, sorted; an empty name stands for a stray brace.
std::vector<std::string> placeholders(const std::string& text) {
    static const std::regex token(R"(\{\{([^{}]*)\}\})");
    std::vector<std::string> names;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), token); it != std::sregex_iterator(); ++it) {
        names.push_back((*it)[1]);
    }
    if (std::regex_replace(text, token, "").find_first_of("{}") != std::string::npos) names.push_back("");
    std::sort(names.begin(), names.end());
    return names;
}

// Each language is named in itself, and has a table of texts of its own.
TEST(I18nCatalog, LanguagesInTheOrderOfTheSettingsList) {
    const auto& langs = i18n::languages();
    ASSERT_EQ(langs.size(), std::size(kCatalogs));
    std::string codes, rightToLeft;
    std::set<const i18n_data::Entry*> tables;
    for (std::size_t i = 0; i < langs.size(); ++i) {
        codes += langs[i].code + ' ';
        if (langs[i].rtl) rightToLeft += langs[i].code + ' ';
        EXPECT_EQ(langs[i].nativeName, kCatalogs[i].nativeName);
        EXPECT_EQ(langs[i].englishName, kCatalogs[i].englishName);
        EXPECT_EQ(langs[i].nativeName == langs[i].englishName, langs[i].code == "en") << langs[i].nativeName;
        tables.insert(kCatalogs[i].entries);
    }
    EXPECT_EQ(codes, "de en fr es it pt nl pl cs hu ro sv da fi el tr ru ja zh ko ar he ");
    EXPECT_EQ(rightToLeft, "ar he ");
    EXPECT_EQ(tables.size(), langs.size()) << "two languages share one table of texts";
}

TEST(I18nCatalog, EveryCatalogTranslatesTheEnglishKeysWithTheirPlaceholders) {
    for (std::size_t i = 1; i < kEntryCount; ++i) {
        EXPECT_LT(std::strcmp(kEntries_en[i - 1].key, kEntries_en[i].key), 0) << "English keys in byte order";
    }
    for (const Catalog& cat : kCatalogs) {
        SCOPED_TRACE(cat.code);
        ASSERT_EQ(cat.count, kEntryCount);
        i18n::setLanguage(cat.code);
        EXPECT_EQ(i18n::currentLanguage(), cat.code);
        EXPECT_EQ(i18n::currentIsRtl(), cat.rtl);
        std::size_t sameAsEnglish = 0;
        for (std::size_t i = 0; i < kEntryCount; ++i) {
            const i18n_data::Entry& e = cat.entries[i];
            ASSERT_STREQ(e.key, kEntries_en[i].key);
            ASSERT_NE(e.text, nullptr) << e.key;
            EXPECT_EQ(i18n::tr(e.key), e.text) << e.key;
            EXPECT_STRNE(e.text, "") << e.key;
            codePoints(e.text);  // fails the test on malformed UTF-8
            EXPECT_EQ(placeholders(e.text), placeholders(kEntries_en[i].text)) << e.key << ": " << e.text;
            // Only the menu entry's name is localised, as a book title is.
            const bool namesTheProduct = std::strstr(kEntries_en[i].text, "Orlavan's Chess") != nullptr;
            if (std::strcmp(e.key, "desktop.name") != 0) {
                EXPECT_EQ(std::strstr(e.text, "Orlavan's Chess") != nullptr, namesTheProduct) << "never translated";
            }
            sameAsEnglish += std::strcmp(e.text, kEntries_en[i].text) == 0;
        }
        if (std::strcmp(cat.code, "en") != 0) {
            EXPECT_LT(sameAsEnglish, kEntryCount / 5) << "an untranslated copy";
        }
    }
    i18n::setLanguage("en");
}

// The glyphs the cut-down CJK font must provide.
TEST(I18nCatalog, CharacterSetIsEveryCharacterOfTheTextsAndNativeNames) {
    const std::set<std::string> cjk = {"ja", "zh", "ko"};
    std::set<char32_t> expected;
    for (const Catalog& cat : kCatalogs) {
        if (!cjk.count(cat.code)) continue;
        for (char32_t cp : codePoints(cat.nativeName)) expected.insert(cp);
        for (std::size_t i = 0; i < kEntryCount; ++i) {
            for (char32_t cp : codePoints(cat.entries[i].text)) expected.insert(cp);
        }
    }
    expected.erase(U'\n');  // line breaks are not glyphs
    EXPECT_EQ(i18n::catalogCodePoints({"ja", "zh", "ko"}), std::vector<char32_t>(expected.begin(), expected.end()));
    EXPECT_TRUE(i18n::catalogCodePoints({"xx"}).empty());
}

}  // namespace
