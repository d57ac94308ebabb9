// Interface texts in 22 languages, looked up by dotted key.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace i18n {

struct Language {
    std::string code;
    std::string nativeName;
    std::string englishName;
    bool rtl = false;
};

// Named values for "{{name}}" placeholders, applied in the order given:
// i18n::tr("gallery.levelLine", {{"n", "7"}})
using Params = std::vector<std::pair<std::string, std::string>>;

// Selects the catalog with exactly this code; an empty code follows the
// system locale, an unknown one falls back to English.
void setLanguage(const std::string& code);

// The text of key in the current catalog, or the key itself when missing
// (so a missing translation stays visible on screen).
std::string tr(std::string_view key);
std::string tr(std::string_view key, const Params& params);

// All languages in catalog order.
const std::vector<Language>& languages();

// Code of the catalog in use (not necessarily the requested one).
std::string currentLanguage();
// The code last passed to setLanguage, possibly empty ("follow the system").
const std::string& requestedLanguage();
bool currentIsRtl();

// The first catalog code named by LANGUAGE, LC_ALL, LC_MESSAGES or LANG, else "en".
std::string detectSystemLanguage();

// Decodes UTF-8 into code points; false on any malformed, overlong,
// surrogate or out-of-range sequence.
bool decodeUtf8(std::string_view text, std::vector<char32_t>& out);
std::string encodeUtf8(char32_t cp);

// Sorted distinct code points of every text and native name of the given
// catalogs, control characters left out: the glyphs a font must provide.
std::vector<char32_t> catalogCodePoints(const std::vector<std::string>& codes);

}  // namespace i18n
