// The compiled-in catalogs: the language list, and every language offering
// the English keys, found by lookup, with the same placeholders in well-formed text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "i18n.h"
#include "i18n_data.h"

namespace {

using i18n_data::Catalog;
using i18n_data::kCatalogs;
using i18n_data::kEntries_en;
using i18n_data::kEntryCount;

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
