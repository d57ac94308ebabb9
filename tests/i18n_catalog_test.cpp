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

const Catalog& catalogFor(const std::string& code) {
    for (const Catalog& cat : kCatalogs) {
        if (code == cat.code) return cat;
    }
    ADD_FAILURE() << "no catalog " << code;
    return kCatalogs[1];
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

TEST(I18nCatalog, LanguagesInTheOrderOfTheSettingsList) {
    const struct {
        const char* code;
        const char* nativeName;
        const char* englishName;
        bool rtl;
    } expected[] = {
        {"de", "Deutsch", "German", false},     {"en", "English", "English", false},
        {"fr", "Français", "French", false},    {"es", "Español", "Spanish", false},
        {"it", "Italiano", "Italian", false},   {"pt", "Português", "Portuguese", false},
        {"nl", "Nederlands", "Dutch", false},   {"pl", "Polski", "Polish", false},
        {"cs", "Čeština", "Czech", false},      {"hu", "Magyar", "Hungarian", false},
        {"ro", "Română", "Romanian", false},    {"sv", "Svenska", "Swedish", false},
        {"da", "Dansk", "Danish", false},       {"fi", "Suomi", "Finnish", false},
        {"el", "Ελληνικά", "Greek", false},     {"tr", "Türkçe", "Turkish", false},
        {"ru", "Русский", "Russian", false},    {"ja", "日本語", "Japanese", false},
        {"zh", "中文", "Chinese (Simplified)", false}, {"ko", "한국어", "Korean", false},
        {"ar", "العربية", "Arabic", true},      {"he", "עברית", "Hebrew", true},
    };
    const auto& langs = i18n::languages();
    ASSERT_EQ(langs.size(), std::size(expected));
    std::set<const i18n_data::Entry*> tables;
    for (std::size_t i = 0; i < langs.size(); ++i) {
        EXPECT_EQ(langs[i].code, expected[i].code);
        EXPECT_EQ(langs[i].nativeName, expected[i].nativeName);
        EXPECT_EQ(langs[i].englishName, expected[i].englishName);
        EXPECT_EQ(langs[i].rtl, expected[i].rtl) << expected[i].code;
        tables.insert(kCatalogs[i].entries);
    }
    EXPECT_EQ(tables.size(), std::size(expected)) << "two languages share one table of texts";
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
            EXPECT_EQ(i18n::tr(e.key), e.text) << e.key;
            ASSERT_NE(e.text, nullptr) << e.key;
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

// Languages with their own script must actually be written in it.
TEST(I18nCatalog, NonLatinCatalogsUseTheirScript) {
    const struct {
        const char* code;
        char32_t first, last, firstAlt, lastAlt;
    } scripts[] = {
        {"el", 0x0370, 0x03FF, 0x1F00, 0x1FFF}, {"ru", 0x0400, 0x04FF, 0x0400, 0x04FF},
        {"ja", 0x3040, 0x30FF, 0x4E00, 0x9FFF}, {"zh", 0x4E00, 0x9FFF, 0x4E00, 0x9FFF},
        {"ko", 0xAC00, 0xD7AF, 0xAC00, 0xD7AF}, {"ar", 0x0600, 0x06FF, 0xFE70, 0xFEFF},
        {"he", 0x0590, 0x05FF, 0xFB1D, 0xFB4F},
    };
    for (const auto& s : scripts) {
        const Catalog& cat = catalogFor(s.code);
        std::size_t inScript = 0;
        for (std::size_t i = 0; i < kEntryCount; ++i) {
            const std::vector<char32_t> cps = codePoints(cat.entries[i].text);
            inScript += std::any_of(cps.begin(), cps.end(), [&](char32_t cp) {
                return (cp >= s.first && cp <= s.last) || (cp >= s.firstAlt && cp <= s.lastAlt);
            });
        }
        EXPECT_GE(inScript, kEntryCount * 9 / 10) << s.code;
    }
}

// The glyphs the cut-down CJK font must provide.
TEST(I18nCatalog, CharacterSetIsEveryCharacterOfTheTextsAndNativeNames) {
    std::set<char32_t> expected;
    for (const char* code : {"ja", "zh", "ko"}) {
        const Catalog& cat = catalogFor(code);
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
