// Consistency of the compiled-in catalogs: every language must offer the
// same keys, the same placeholders and well-formed text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "i18n.h"
#include "i18n_data.h"

namespace {

using i18n_data::Catalog;
using i18n_data::kCatalogs;
using i18n_data::kEntries_en;
using i18n_data::kEntryCount;

const Catalog& catalogFor(const char* code) {
    for (const Catalog& cat : kCatalogs) {
        if (std::strcmp(cat.code, code) == 0) return cat;
    }
    ADD_FAILURE() << "no catalog " << code;
    return kCatalogs[1];
}

const Catalog& english() { return catalogFor("en"); }

// The "{{name}}" tokens of a text, sorted, duplicates kept.
std::vector<std::string> placeholders(const std::string& text) {
    static const std::regex token(R"(\{\{([^{}]*)\}\})");
    std::vector<std::string> names;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), token); it != std::sregex_iterator(); ++it) {
        names.push_back((*it)[1]);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The text with its tokens removed; any brace left over is a broken token.
bool hasStrayBrace(const std::string& text) {
    static const std::regex token(R"(\{\{[^{}]*\}\})");
    return std::regex_replace(text, token, "").find_first_of("{}") != std::string::npos;
}

bool validUtf8(const char* text) {
    std::vector<char32_t> ignored;
    return i18n::decodeUtf8(text, ignored);
}

TEST(I18nCatalog, LanguageTableMatchesTheSettingsList) {
    struct Expected {
        const char* code;
        const char* nativeName;
        const char* englishName;
        bool rtl;
        const i18n_data::Entry* entries;
    };
    using namespace i18n_data;
    const Expected expected[] = {
        {"de", "Deutsch", "German", false, kEntries_de},
        {"en", "English", "English", false, kEntries_en},
        {"fr", "Français", "French", false, kEntries_fr},
        {"es", "Español", "Spanish", false, kEntries_es},
        {"it", "Italiano", "Italian", false, kEntries_it},
        {"pt", "Português", "Portuguese", false, kEntries_pt},
        {"nl", "Nederlands", "Dutch", false, kEntries_nl},
        {"pl", "Polski", "Polish", false, kEntries_pl},
        {"cs", "Čeština", "Czech", false, kEntries_cs},
        {"hu", "Magyar", "Hungarian", false, kEntries_hu},
        {"ro", "Română", "Romanian", false, kEntries_ro},
        {"sv", "Svenska", "Swedish", false, kEntries_sv},
        {"da", "Dansk", "Danish", false, kEntries_da},
        {"fi", "Suomi", "Finnish", false, kEntries_fi},
        {"el", "Ελληνικά", "Greek", false, kEntries_el},
        {"tr", "Türkçe", "Turkish", false, kEntries_tr},
        {"ru", "Русский", "Russian", false, kEntries_ru},
        {"ja", "日本語", "Japanese", false, kEntries_ja},
        {"zh", "中文", "Chinese (Simplified)", false, kEntries_zh},
        {"ko", "한국어", "Korean", false, kEntries_ko},
        {"ar", "العربية", "Arabic", true, kEntries_ar},
        {"he", "עברית", "Hebrew", true, kEntries_he},
    };
    static_assert(std::size(expected) == kCatalogCount);

    const auto& langs = i18n::languages();
    ASSERT_EQ(langs.size(), kCatalogCount);
    EXPECT_EQ(&langs, &i18n::languages()) << "the list is built once";
    for (std::size_t i = 0; i < kCatalogCount; ++i) {
        SCOPED_TRACE(expected[i].code);
        EXPECT_STREQ(kCatalogs[i].code, expected[i].code);
        EXPECT_EQ(kCatalogs[i].entries, expected[i].entries) << "catalog wired to another language's table";
        EXPECT_EQ(kCatalogs[i].count, kEntryCount);
        EXPECT_EQ(langs[i].code, expected[i].code);
        EXPECT_EQ(langs[i].nativeName, expected[i].nativeName);
        EXPECT_EQ(langs[i].englishName, expected[i].englishName);
        EXPECT_EQ(langs[i].rtl, expected[i].rtl);
    }
}

TEST(I18nCatalog, EnglishKeysAreSortedUniqueAndComplete) {
    EXPECT_EQ(kEntryCount, 163u);
    for (std::size_t i = 1; i < kEntryCount; ++i) {
        EXPECT_LT(std::strcmp(kEntries_en[i - 1].key, kEntries_en[i].key), 0)
            << kEntries_en[i - 1].key << " / " << kEntries_en[i].key;
    }
    EXPECT_STREQ(kEntries_en[0].key, "a11y.continueGame");
    EXPECT_STREQ(kEntries_en[kEntryCount - 1].key, "stars.hintUsed");
}

TEST(I18nCatalog, EnglishTextsThatAreEasyToGetWrong) {
    auto text = [](const char* key) -> std::string {
        for (std::size_t i = 0; i < kEntryCount; ++i) {
            if (std::strcmp(kEntries_en[i].key, key) == 0) return kEntries_en[i].text;
        }
        return "<missing>";
    };
    // Opened by the low quotation mark U+201E, closed by a plain quote that ends the text.
    EXPECT_EQ(text("about.musicCredit"), "Background music \u201EOnly silence remains\"");
    EXPECT_EQ(text("gallery.empty"), "No games won yet.\nWin a level to see it here.");
    EXPECT_EQ(text("dice.tie"), "Tie \u2013 you start");
    EXPECT_EQ(text("playing.optimumHint"), "Target: \u2264 {{n}} moves for 3\u2605 \u00B7 current {{stars}}\u2605");
    EXPECT_EQ(text("solved.optimumHint"), "Best in {{n}} moves \u2014 for \u2605\u2605\u2605");
    EXPECT_EQ(text("licenses.intro"), "Open-source libraries used in Orlavan's Chess. Thanks to the authors!");
}

TEST(I18nCatalog, EveryCatalogHasTheEnglishKeysInTheSameOrder) {
    for (const Catalog& cat : kCatalogs) {
        SCOPED_TRACE(cat.code);
        ASSERT_EQ(cat.count, kEntryCount);
        for (std::size_t i = 0; i < kEntryCount; ++i) {
            ASSERT_NE(cat.entries[i].key, nullptr);
            ASSERT_NE(cat.entries[i].text, nullptr) << cat.entries[i].key;
            EXPECT_STREQ(cat.entries[i].key, kEntries_en[i].key) << "at index " << i;
            EXPECT_STRNE(cat.entries[i].text, "") << cat.entries[i].key;
        }
    }
}

TEST(I18nCatalog, PlaceholdersMatchEnglishExactly) {
    for (const Catalog& cat : kCatalogs) {
        for (std::size_t i = 0; i < kEntryCount; ++i) {
            const std::string text = cat.entries[i].text;
            SCOPED_TRACE(std::string(cat.code) + " " + cat.entries[i].key + ": " + text);
            EXPECT_EQ(placeholders(text), placeholders(kEntries_en[i].text));
            EXPECT_FALSE(hasStrayBrace(text));
        }
    }
}

TEST(I18nCatalog, TextsAndNamesAreValidUtf8) {
    for (const Catalog& cat : kCatalogs) {
        EXPECT_TRUE(validUtf8(cat.nativeName)) << cat.code;
        EXPECT_TRUE(validUtf8(cat.englishName)) << cat.code;
        for (std::size_t i = 0; i < kEntryCount; ++i) {
            EXPECT_TRUE(validUtf8(cat.entries[i].text)) << cat.code << " " << cat.entries[i].key;
        }
    }
}

// Only the menu entry's name is localised, as a book title is; the texts
// that mention the game keep its name.
TEST(I18nCatalog, ProductNameIsNeverTranslated) {
    const char* product = "Orlavan's Chess";
    int englishUses = 0;
    for (std::size_t i = 0; i < kEntryCount; ++i) {
        if (std::strstr(kEntries_en[i].text, product) == nullptr) continue;
        if (std::strcmp(kEntries_en[i].key, "desktop.name") == 0) continue;
        ++englishUses;
        for (const Catalog& cat : kCatalogs) {
            EXPECT_NE(std::strstr(cat.entries[i].text, product), nullptr) << cat.code << " " << cat.entries[i].key;
        }
    }
    EXPECT_GT(englishUses, 0);
}

// A catalog that is mostly English is an untranslated copy.
TEST(I18nCatalog, TranslationsAreNotEnglishCopies) {
    for (const Catalog& cat : kCatalogs) {
        if (&cat == &english()) continue;
        std::size_t same = 0;
        for (std::size_t i = 0; i < kEntryCount; ++i) {
            if (std::strcmp(cat.entries[i].text, kEntries_en[i].text) == 0) ++same;
        }
        EXPECT_LT(same, kEntryCount / 5) << cat.code << " has " << same << " texts identical to English";
    }
}

// Languages with their own script must actually be written in it.
TEST(I18nCatalog, NonLatinCatalogsUseTheirScript) {
    struct Script {
        const char* code;
        char32_t first;
        char32_t last;
        char32_t firstAlt;
        char32_t lastAlt;
    };
    const Script scripts[] = {
        {"el", 0x0370, 0x03FF, 0x1F00, 0x1FFF}, {"ru", 0x0400, 0x04FF, 0x0400, 0x04FF},
        {"ja", 0x3040, 0x30FF, 0x4E00, 0x9FFF}, {"zh", 0x4E00, 0x9FFF, 0x4E00, 0x9FFF},
        {"ko", 0xAC00, 0xD7AF, 0xAC00, 0xD7AF}, {"ar", 0x0600, 0x06FF, 0xFE70, 0xFEFF},
        {"he", 0x0590, 0x05FF, 0xFB1D, 0xFB4F},
    };
    for (const Script& script : scripts) {
        const Catalog& cat = catalogFor(script.code);
        std::size_t inScript = 0;
        for (std::size_t i = 0; i < kEntryCount; ++i) {
            std::vector<char32_t> cps;
            i18n::decodeUtf8(cat.entries[i].text, cps);
            if (std::any_of(cps.begin(), cps.end(), [&](char32_t cp) {
                    return (cp >= script.first && cp <= script.last) || (cp >= script.firstAlt && cp <= script.lastAlt);
                })) {
                ++inScript;
            }
        }
        EXPECT_GE(inScript, kEntryCount * 9 / 10) << script.code;
    }
}

TEST(I18nCatalog, CjkCharacterSetCoversExactlyTheCatalogs) {
    const auto ja = i18n::catalogCodePoints({"ja"});
    const auto zh = i18n::catalogCodePoints({"zh"});
    const auto ko = i18n::catalogCodePoints({"ko"});
    const auto all = i18n::catalogCodePoints({"ja", "zh", "ko"});

    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "duplicates";

    std::vector<char32_t> expectedUnion;
    for (const auto* part : {&ja, &zh, &ko}) expectedUnion.insert(expectedUnion.end(), part->begin(), part->end());
    std::sort(expectedUnion.begin(), expectedUnion.end());
    expectedUnion.erase(std::unique(expectedUnion.begin(), expectedUnion.end()), expectedUnion.end());
    EXPECT_EQ(all, expectedUnion);

    auto has = [](const std::vector<char32_t>& set, char32_t cp) {
        return std::binary_search(set.begin(), set.end(), cp);
    };
    // Native names count too: 日本語, 中文, 한국어.
    for (char32_t cp : {U'日', U'本', U'語'}) EXPECT_TRUE(has(ja, cp));
    for (char32_t cp : {U'中', U'文'}) EXPECT_TRUE(has(zh, cp));
    for (char32_t cp : {U'한', U'국', U'어'}) EXPECT_TRUE(has(ko, cp));

    // Every character of every text is present; line breaks are not glyphs.
    for (const char* code : {"ja", "zh", "ko"}) {
        const Catalog& cat = catalogFor(code);
        for (std::size_t i = 0; i < kEntryCount; ++i) {
            std::vector<char32_t> cps;
            ASSERT_TRUE(i18n::decodeUtf8(cat.entries[i].text, cps));
            for (char32_t cp : cps) {
                if (cp == U'\n') continue;
                EXPECT_TRUE(has(all, cp)) << code << " " << cat.entries[i].key << " U+" << std::hex << unsigned(cp);
            }
        }
    }
    EXPECT_FALSE(has(all, U'\n'));
}

TEST(I18nCatalog, CharacterSetOfEnglishAndUnknownCodes) {
    const auto en = i18n::catalogCodePoints({"en"});
    EXPECT_TRUE(std::binary_search(en.begin(), en.end(), U'\u201E'));
    EXPECT_TRUE(std::binary_search(en.begin(), en.end(), U'\u2605'));
    EXPECT_FALSE(std::binary_search(en.begin(), en.end(), U'\n'));
    EXPECT_TRUE(i18n::catalogCodePoints({"xx"}).empty());
    EXPECT_TRUE(i18n::catalogCodePoints({}).empty());
}

}  // namespace
