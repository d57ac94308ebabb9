// Small self-contained JSON value, lenient parser and compact writer.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace js {

enum class Type : int { Null = 0, Bool = 1, Number = 2, String = 3, Array = 4, Object = 5 };

class Value;
using Array = std::vector<Value>;
// std::string compares as unsigned bytes, so iteration (and dumping) follows
// the byte order of the keys, never insertion order.
using Object = std::map<std::string, Value>;

class Value {
public:
    Value() = default;
    Value(bool b);
    Value(double d);
    Value(int i);
    Value(long long i);
    Value(const char* s);
    Value(std::string s);
    Value(Array a);
    Value(Object o);

    Value(const Value&) = default;
    Value(Value&&) noexcept = default;
    Value& operator=(const Value&) = default;
    Value& operator=(Value&&) noexcept = default;
    ~Value() = default;

    Type type() const { return type_; }
    bool isNull() const { return type_ == Type::Null; }
    bool isBool() const { return type_ == Type::Bool; }
    bool isNumber() const { return type_ == Type::Number; }
    bool isString() const { return type_ == Type::String; }
    bool isArray() const { return type_ == Type::Array; }
    bool isObject() const { return type_ == Type::Object; }

    bool asBool(bool def) const;
    double asNumber(double def) const;
    // Rounds half up: floor(x + 0.5).
    int asInt(int def) const;
    const std::string& asString() const { return str_; }
    const Array& asArray() const { return arr_; }
    const Object& asObject() const { return obj_; }
    Array& arr() { return arr_; }
    Object& obj() { return obj_; }

    // Lookups never insert; a miss yields kNull.
    const Value& operator[](std::size_t index) const;
    const Value& operator[](const std::string& key) const;
    const Value& operator[](const char* key) const { return (*this)[std::string(key)]; }
    // Keeps v[0] from reading as a null key pointer.
    const Value& operator[](int index) const;
    std::size_t size() const;
    bool has(const std::string& key) const;

    std::string dump() const;

private:
    Type type_ = Type::Null;
    bool bool_ = false;
    double num_ = 0.0;
    std::string str_;
    Array arr_;
    Object obj_;
};

extern const Value kNull;

inline const Value& Value::operator[](int index) const {
    return index < 0 ? kNull : (*this)[static_cast<std::size_t>(index)];
}

// Deeper nesting than this fails the parse instead of exhausting the stack.
constexpr int kMaxDepth = 512;

// The first value of `text`; Null when it does not start with a valid value.
// Trailing text after that value is ignored.
Value parse(const std::string& text);
// False (and `out` untouched) when the file cannot be read or parses to Null.
bool parseFile(const std::string& path, Value* out);
// Writes value.dump() to a fresh temporary, flushes it to disk and renames it
// over `path`. True when the new content is in place.
bool writeFileAtomic(const std::string& path, const Value& value);

}  // namespace js
