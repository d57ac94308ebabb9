#include "i18n.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <set>

#include "i18n_data.h"

namespace i18n {
namespace {

constexpr int kEnglishIndex = 1;

struct State {
    int catalog = kEnglishIndex;
    std::string requested;
    std::map<std::string, const char*, std::less<>> lookup;
};

State& st() {
    static State state;
    return state;
}

void buildLookup() {
    State& s = st();
    s.lookup.clear();
    const i18n_data::Catalog& cat = i18n_data::kCatalogs[s.catalog];
    for (std::size_t i = 0; i < cat.count; ++i) {
        s.lookup.emplace(cat.entries[i].key, cat.entries[i].text);  // first text wins
    }
}

int catalogIndex(std::string_view code) {
    for (std::size_t i = 0; i < i18n_data::kCatalogCount; ++i) {
        if (code == i18n_data::kCatalogs[i].code) return static_cast<int>(i);
    }
    return -1;
}

// The language part of one locale name: "pt_BR.UTF-8@euro" gives "pt".
std::string languagePrefix(std::string_view part) {
    std::string prefix(part.substr(0, part.find_first_of("-._@")));
    for (char& c : prefix) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return prefix;
}

// The first catalog code among the ":"-separated parts of value, or "".
std::string matchLocaleList(std::string_view value) {
    while (true) {
        std::size_t colon = value.find(':');
        std::string prefix = languagePrefix(value.substr(0, colon));
        if (!prefix.empty() && catalogIndex(prefix) >= 0) return prefix;
        if (colon == std::string_view::npos) return "";
        value.remove_prefix(colon + 1);
    }
}

}  // namespace

void setLanguage(const std::string& code) {
    State& s = st();
    s.requested = code;
    int index = catalogIndex(code.empty() ? detectSystemLanguage() : code);
    s.catalog = index >= 0 ? index : kEnglishIndex;
    buildLookup();
}

std::string tr(std::string_view key) {
    State& s = st();
    if (s.lookup.empty()) buildLookup();
    auto it = s.lookup.find(key);
    return it != s.lookup.end() ? std::string(it->second) : std::string(key);
}

std::string tr(std::string_view key, const Params& params) {
    std::string result = tr(key);
    for (const auto& [name, value] : params) {
        const std::string token = "{{" + name + "}}";
        std::size_t pos = 0;
        while ((pos = result.find(token, pos)) != std::string::npos) {
            result.replace(pos, token.size(), value);
            pos += value.size();  // never expand the inserted value itself
        }
    }
    return result;
}

const std::vector<Language>& languages() {
    static const std::vector<Language> list = [] {
        std::vector<Language> out;
        for (const i18n_data::Catalog& cat : i18n_data::kCatalogs) {
            out.push_back({cat.code, cat.nativeName, cat.englishName, cat.rtl});
        }
        return out;
    }();
    return list;
}

std::string currentLanguage() { return i18n_data::kCatalogs[st().catalog].code; }

const std::string& requestedLanguage() { return st().requested; }

bool currentIsRtl() { return i18n_data::kCatalogs[st().catalog].rtl; }

std::string detectSystemLanguage() {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        std::string code = matchLocaleList(value);
        if (!code.empty()) return code;
    }
    return "en";
}

bool decodeUtf8(std::string_view text, std::vector<char32_t>& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07, minimum = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= text.size()) return false;  // sequence cut off at the end
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        out.push_back(cp);
        i += extra + 1;
    }
    return true;
}

std::string encodeUtf8(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

std::vector<char32_t> catalogCodePoints(const std::vector<std::string>& codes) {
    std::set<char32_t> seen;
    std::vector<char32_t> decoded;
    auto collect = [&](const char* text) {
        decoded.clear();
        decodeUtf8(text, decoded);  // a malformed text contributes its valid prefix
        for (char32_t cp : decoded) {
            if (cp >= 0x20 && cp != 0x7F) seen.insert(cp);
        }
    };
    for (const std::string& code : codes) {
        int index = catalogIndex(code);
        if (index < 0) continue;
        const i18n_data::Catalog& cat = i18n_data::kCatalogs[index];
        collect(cat.nativeName);
        for (std::size_t i = 0; i < cat.count; ++i) collect(cat.entries[i].text);
    }
    return {seen.begin(), seen.end()};
}

}  // namespace i18n
