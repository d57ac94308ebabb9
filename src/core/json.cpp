#include "core/json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

#include "platform/fs.h"

namespace js {

const Value kNull;

Value::Value(bool b) : type_(Type::Bool), bool_(b) {}
Value::Value(double d) : type_(Type::Number), num_(d) {}
Value::Value(int i) : type_(Type::Number), num_(static_cast<double>(i)) {}
Value::Value(long long i) : type_(Type::Number), num_(static_cast<double>(i)) {}
Value::Value(const char* s) : type_(Type::String), str_(s ? s : "") {}
Value::Value(std::string s) : type_(Type::String), str_(std::move(s)) {}
Value::Value(Array a) : type_(Type::Array), arr_(std::move(a)) {}
Value::Value(Object o) : type_(Type::Object), obj_(std::move(o)) {}

bool Value::asBool(bool def) const { return isBool() ? bool_ : def; }

double Value::asNumber(double def) const { return isNumber() ? num_ : def; }

int Value::asInt(int def) const {
    if (!isNumber()) return def;
    const double rounded = std::floor(num_ + 0.5);
    // Out-of-range numbers (and NaN) would make the conversion undefined;
    // no caller relies on their result, so pin them to the nearest bound.
    if (!(rounded >= -2147483648.0)) return rounded > 0 ? 2147483647 : -2147483647 - 1;
    if (rounded > 2147483647.0) return 2147483647;
    return static_cast<int>(rounded);
}

const Value& Value::operator[](std::size_t index) const {
    if (isArray() && index < arr_.size()) return arr_[index];
    return kNull;
}

const Value& Value::operator[](const std::string& key) const {
    if (!isObject()) return kNull;
    auto it = obj_.find(key);
    return it == obj_.end() ? kNull : it->second;
}

std::size_t Value::size() const {
    if (isArray()) return arr_.size();
    if (isObject()) return obj_.size();
    return 0;
}

bool Value::has(const std::string& key) const { return isObject() && obj_.count(key) > 0; }

namespace {

// ---- writer -------------------------------------------------------------------

void dumpNumber(double x, std::string& out) {
    char buf[40];
    const bool integral = std::floor(x) == x;  // huge doubles are integral too
    if (integral && std::fabs(x) < 1e15) {
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(x));
    } else {
        std::snprintf(buf, sizeof buf, "%.17g", x);
    }
    out += buf;
}

void dumpString(const std::string& s, std::string& out) {
    out += '"';
    for (char c : s) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", byte);
                    out += buf;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void dumpValue(const Value& v, std::string& out) {
    switch (v.type()) {
        case Type::Null: out += "null"; break;
        case Type::Bool: out += v.asBool(false) ? "true" : "false"; break;
        case Type::Number: dumpNumber(v.asNumber(0.0), out); break;
        case Type::String: dumpString(v.asString(), out); break;
        case Type::Array: {
            out += '[';
            bool first = true;
            for (const Value& e : v.asArray()) {
                if (!first) out += ',';
                first = false;
                dumpValue(e, out);
            }
            out += ']';
            break;
        }
        case Type::Object: {
            out += '{';
            bool first = true;
            for (const auto& [key, member] : v.asObject()) {
                if (!first) out += ',';
                first = false;
                dumpString(key, out);
                out += ':';
                dumpValue(member, out);
            }
            out += '}';
            break;
        }
    }
}

// ---- parser -------------------------------------------------------------------

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    Value parseValue(int depth) {
        ws();
        if (atEnd()) return fail();
        switch (text_[pos_]) {
            case '"': {
                std::string s;
                if (!parseString(s)) return fail();
                return Value(std::move(s));
            }
            case '[': return depth >= kMaxDepth ? fail() : parseArray(depth + 1);
            case '{': return depth >= kMaxDepth ? fail() : parseObject(depth + 1);
            case 't': return literal("true", Value(true));
            case 'f': return literal("false", Value(false));
            case 'n': return literal("null", Value());
            default: return parseNumber();
        }
    }

    bool ok() const { return ok_; }

private:
    bool atEnd() const { return pos_ >= text_.size(); }

    void ws() {
        while (!atEnd()) {
            const char c = text_[pos_];
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r') break;
            ++pos_;
        }
    }

    Value fail() {
        ok_ = false;
        return Value();
    }

    // The byte after the word is not examined: "truex" yields true.
    Value literal(const char* word, Value result) {
        const std::string w(word);
        if (text_.compare(pos_, w.size(), w) != 0) return fail();
        pos_ += w.size();
        return result;
    }

    // strtod decides what a number is, leniency included ("+1", ".5", "inf",
    // hexadecimal floats). The text is NUL-terminated, so it cannot overrun.
    Value parseNumber() {
        const char* start = text_.c_str() + pos_;
        char* end = nullptr;
        const double d = std::strtod(start, &end);
        if (end == start) return fail();
        pos_ += static_cast<std::size_t>(end - start);
        return Value(d);
    }

    Value parseArray(int depth) {
        ++pos_;  // '['
        Array items;
        ws();
        if (!atEnd() && text_[pos_] == ']') {
            ++pos_;
            return Value(std::move(items));
        }
        while (true) {
            items.push_back(parseValue(depth));
            if (!ok_) return Value();
            ws();
            if (atEnd()) return fail();
            const char c = text_[pos_++];
            if (c == ']') return Value(std::move(items));
            if (c != ',') return fail();
            ws();
        }
    }

    Value parseObject(int depth) {
        ++pos_;  // '{'
        Object members;
        ws();
        if (!atEnd() && text_[pos_] == '}') {
            ++pos_;
            return Value(std::move(members));
        }
        while (true) {
            ws();
            if (atEnd() || text_[pos_] != '"') return fail();
            std::string key;
            if (!parseString(key)) return fail();
            ws();
            if (atEnd() || text_[pos_] != ':') return fail();
            ++pos_;
            Value member = parseValue(depth);
            if (!ok_) return Value();
            members[std::move(key)] = std::move(member);  // last occurrence wins
            ws();
            if (atEnd()) return fail();
            const char c = text_[pos_++];
            if (c == '}') return Value(std::move(members));
            if (c != ',') return fail();
            ws();
        }
    }

    // Expects the opening quote at pos_. Bytes are copied unchanged, raw
    // control bytes and invalid UTF-8 included.
    bool parseString(std::string& out) {
        ++pos_;
        while (true) {
            if (atEnd()) return false;
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (atEnd()) return false;
            const char e = text_[pos_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u':
                    if (!parseUnicodeEscape(out)) return false;
                    break;
                default: return false;
            }
        }
    }

    // A non-hex character counts as the digit 0 rather than failing.
    static unsigned hexDigit(char c) {
        if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
        if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
        if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
        return 0;
    }

    unsigned hex4(std::size_t at) const {
        unsigned cp = 0;
        for (std::size_t i = 0; i < 4; ++i) cp = cp * 16 + hexDigit(text_[at + i]);
        return cp;
    }

    // pos_ is just past "\u". A high surrogate followed by "\u" + a low
    // surrogate combines; a lone surrogate is encoded on its own.
    bool parseUnicodeEscape(std::string& out) {
        if (text_.size() - pos_ < 4) return false;
        unsigned cp = hex4(pos_);
        pos_ += 4;
        if (cp >= 0xD800 && cp <= 0xDBFF && text_.size() - pos_ >= 6 && text_[pos_] == '\\' &&
            text_[pos_ + 1] == 'u') {
            const unsigned low = hex4(pos_ + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                pos_ += 6;
            }
        }
        appendUtf8(cp, out);
        return true;
    }

    static void appendUtf8(unsigned cp, std::string& out) {
        auto put = [&out](unsigned b) { out += static_cast<char>(b); };
        if (cp < 0x80) {
            put(cp);
        } else if (cp < 0x800) {
            put(0xC0 | (cp >> 6));
            put(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            put(0xE0 | (cp >> 12));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        } else {
            put(0xF0 | (cp >> 18));
            put(0x80 | ((cp >> 12) & 0x3F));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        }
    }

    const std::string& text_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace

std::string Value::dump() const {
    std::string out;
    dumpValue(*this, out);
    return out;
}

Value parse(const std::string& text) {
    Parser parser(text);
    Value v = parser.parseValue(0);
    return parser.ok() ? v : Value();
}

bool parseFile(const std::string& path, Value* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Value v = parse(text);
    if (v.isNull()) return false;
    if (out) *out = std::move(v);
    return true;
}

bool writeFileAtomic(const std::string& path, const Value& value) {
    return platform::fs::writeFileAtomic(path, value.dump());
}

}  // namespace js
