#include <gtest/gtest.h>

#include <string>

#include "core/json.h"

using js::Value;

namespace {

TEST(JsonParse, RejectsMalformedOrTooDeepTextAndIgnoresWhatFollowsAValue) {
    for (const char* text : {"", " \t\r\n", "[1,]", "[1 2]", "{\"a\" 1}", "{\"a\":1,}", "{a:1}", "\"open",
                             "\"bad\\q\"", "\"\\u12\"", "tru", "nul", "-", "[", "{\"a\":1", "[truex]"}) {
        EXPECT_TRUE(js::parse(text).isNull()) << text;
    }
    EXPECT_EQ("[1,2]", js::parse(" [1, 2] trailing").dump());
    EXPECT_EQ("true", js::parse("truex").dump());
    EXPECT_EQ(R"({"k":2})", js::parse(R"({"k":1,"k":2})").dump()) << "the last duplicate key wins";
    EXPECT_EQ("16", js::parse("0x10").dump()) << "numbers are read as strtod reads them";
    // A hand-made file nested a million deep must fail, not overflow the stack.
    EXPECT_TRUE(js::parse(std::string(js::kMaxDepth, '[') + std::string(js::kMaxDepth, ']')).isArray());
    EXPECT_TRUE(js::parse(std::string(js::kMaxDepth + 1, '[') + std::string(js::kMaxDepth + 1, ']')).isNull());
    EXPECT_TRUE(js::parse(std::string(1000000, '[')).isNull());
}

TEST(JsonParse, StringEscapesAndSurrogates) {
    const struct {
        const char* json;
        std::string text;
    } cases[] = {
        {R"("\"\\\/\b\f\n\r\t")", "\"\\/\b\f\n\r\t"},
        {R"("\uD83D\uDE00")", "\xF0\x9F\x98\x80"},
        {R"("\uD83D")", "\xED\xA0\xBD"},  // a lone high surrogate is encoded alone
        {R"("\uD83D\u0041")", "\xED\xA0\xBD" "A"},
        {R"("\u00zz")", std::string(1, '\0')},
        {R"("\u00e9\u20AC")", "\xC3\xA9\xE2\x82\xAC"},
        {"\"a\x01\xFF\"", "a\x01\xFF"},  // raw control and high bytes pass unchanged
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, js::parse(c.json).asString()) << c.json;
}

TEST(JsonDump, NumbersStringsAndKeysInByteOrder) {
    const struct {
        Value value;
        const char* text;
    } cases[] = {{Value(3.0), "3"},
                 {Value(2.5), "2.5"},
                 {Value(1e15), "1000000000000000"},
                 {Value(1e300), "1.0000000000000001e+300"},
                 {Value(-0.0), "0"},
                 {Value(0.1), "0.10000000000000001"},
                 {Value(4294967295LL), "4294967295"},
                 {Value(std::string("\"\\\n\r\t\b\f\x01/\x7F\xC3\xA9")),
                  R"("\"\\\n\r\t\u0008\u000c\u0001/)" "\x7F\xC3\xA9\""}};
    for (const auto& c : cases) EXPECT_EQ(c.text, c.value.dump());
    // Keys sort as unsigned bytes: 0xC3 comes after every ASCII key.
    EXPECT_EQ("{\"10\":[null,true,\"x\"],\"2\":{},\"\xC3\xA9\":false}",
              js::parse("{\"\xC3\xA9\":false,\"2\":{},\"10\":[null,true,\"x\"]}").dump());
}

TEST(JsonValue, AccessorsRoundHalfUpAndFallBackOnWrongTypes) {
    const struct {
        Value value;
        int asInt;
    } ints[] = {{Value(2.5), 3}, {Value(-2.5), -2}, {Value(2.49), 2}, {Value(1e12), 2147483647},
                {Value(-1e12), -2147483647 - 1}, {Value("text"), 7}};
    for (const auto& c : ints) EXPECT_EQ(c.asInt, c.value.asInt(7)) << c.value.dump();
    EXPECT_FALSE(Value(1).asBool(false));
    EXPECT_EQ("", Value(5).asString());
    // Lookups of the wrong kind or out of range read as null.
    const Value obj = js::parse(R"({"x":[1]})");
    EXPECT_TRUE(obj[0].isNull() && obj["y"].isNull() && obj["x"]["y"].isNull() && obj["x"][1].isNull());
}

}  // namespace
