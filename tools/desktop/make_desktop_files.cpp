// Fills the desktop entry and the AppStream metainfo with the game's own
// catalog texts, so that the menu and the software centre speak every
// language the game speaks:
//   make_desktop_files TEMPLATE OUTPUT
// A template line holding "@key@" is written once with the English text and
// once more for each other language whose text differs, marked the way the
// format wants it: "Name[de]=..." in a desktop entry (OUTPUT ending in
// ".desktop"), <name xml:lang="de"> in XML.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "i18n.h"

namespace {

struct Translation {
    std::string locale;
    std::string text;
};

struct Token {
    std::size_t pos;
    std::size_t size;
    std::string key;
};

// The first "@key@" of a line, key being a dotted catalog key.
std::optional<Token> findToken(const std::string& line) {
    for (std::size_t open = line.find('@'); open != std::string::npos; open = line.find('@', open + 1)) {
        const std::size_t close = line.find('@', open + 1);
        if (close == std::string::npos) return std::nullopt;
        const std::string key = line.substr(open + 1, close - open - 1);
        const bool plain = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
        });
        if (plain && key.find('.') != std::string::npos) return Token{open, close - open + 1, key};
    }
    return std::nullopt;
}

// Desktop entries and AppStream both name the simplified Chinese of our
// "zh" catalog zh_CN; every other catalog code is a locale name as it is.
std::string localeOf(const std::string& code) { return code == "zh" ? "zh_CN" : code; }

std::string escapeDesktop(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

std::string escapeXml(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

// The line with its key or element marked as the given locale's.
std::string markLocale(std::string line, const std::string& locale, bool desktop) {
    if (desktop) {
        line.insert(line.find('='), "[" + locale + "]");
    } else {
        const std::size_t tag = line.find('<');
        line.insert(line.find_first_of(" >", tag), " xml:lang=\"" + locale + "\"");
    }
    return line;
}

// The key's text in every catalog, English first, the others sorted by locale.
// Empty when a catalog lacks the key (tr gives back the key itself then).
std::vector<Translation> translationsOf(const std::string& key) {
    std::vector<Translation> out;
    for (const i18n::Language& language : i18n::languages()) {
        i18n::setLanguage(language.code);
        std::string text = i18n::tr(key);
        if (text == key) return {};
        out.push_back({localeOf(language.code), std::move(text)});
    }
    std::sort(out.begin(), out.end(), [](const Translation& a, const Translation& b) {
        return (a.locale == "en") != (b.locale == "en") ? a.locale == "en" : a.locale < b.locale;
    });
    return out;
}

bool expand(const std::string& line, bool desktop, std::string& out) {
    const std::optional<Token> token = findToken(line);
    if (!token) {
        out += line + '\n';
        return true;
    }
    const std::vector<Translation> translations = translationsOf(token->key);
    if (translations.empty()) {
        std::fprintf(stderr, "[desktop] Schlüssel %s fehlt in einem Katalog\n", token->key.c_str());
        return false;
    }
    const std::string& english = translations.front().text;
    for (const Translation& t : translations) {
        if (t.locale != "en" && t.text == english) continue;  // nothing to translate
        std::string filled = line;
        filled.replace(token->pos, token->size, desktop ? escapeDesktop(t.text) : escapeXml(t.text));
        out += (t.locale == "en" ? filled : markLocale(filled, t.locale, desktop)) + '\n';
    }
    return true;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TEMPLATE OUTPUT\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "[desktop] kann %s nicht lesen\n", argv[1]);
        return 1;
    }
    const std::string output = argv[2];
    const bool desktop = endsWith(output, ".desktop");
    std::string out;
    for (std::string line; std::getline(in, line);) {
        if (!expand(line, desktop, out)) return 1;
    }
    std::ofstream file(output, std::ios::binary | std::ios::trunc);
    file << out;
    if (!file.flush()) {
        std::fprintf(stderr, "[desktop] kann %s nicht schreiben\n", output.c_str());
        return 1;
    }
    return 0;
}
