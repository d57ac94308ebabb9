// Prints every character the Japanese, Chinese and Korean texts use, so the
// CJK font can be subset to exactly these glyphs.
//   cjk_charset               all characters as UTF-8 on one line
//   cjk_charset --codepoints  one U+XXXX line per character
#include <cstdio>
#include <cstring>
#include <string>

#include "i18n.h"

int main(int argc, char** argv) {
    bool asCodePoints = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--codepoints") == 0) {
            asCodePoints = true;
        } else {
            std::fprintf(stderr, "usage: %s [--codepoints]\n", argv[0]);
            return 2;
        }
    }
    const auto codePoints = i18n::catalogCodePoints({"ja", "zh", "ko"});
    std::string out;
    for (char32_t cp : codePoints) {
        if (asCodePoints) {
            char line[16];
            std::snprintf(line, sizeof line, "U+%04X\n", static_cast<unsigned>(cp));
            out += line;
        } else {
            out += i18n::encodeUtf8(cp);
        }
    }
    if (!asCodePoints) out += '\n';
    std::fputs(out.c_str(), stdout);
    return 0;
}
