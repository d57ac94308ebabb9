#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/json.h"
#include "store_support.h"

using js::Value;

namespace {

TEST(JsonParse, RejectsMalformedText) {
    for (const char* text : {"", " \t\r\n", "[1,]", "[1 2]", "{\"a\" 1}", "{\"a\":1,}", "{a:1}", "\"open",
                             "\"bad\\q\"", "\"\\u12\"", "tru", "nul", "-", "[", "{\"a\":1"}) {
        EXPECT_TRUE(js::parse(text).isNull()) << text;
    }
}

TEST(JsonParse, IgnoresTrailingTextAndTakesLastDuplicateKey) {
    const Value arr = js::parse(" [1, 2] trailing");
    ASSERT_TRUE(arr.isArray());
    EXPECT_EQ(2u, arr.size());
    EXPECT_TRUE(js::parse("{}xyz").isObject());
    EXPECT_TRUE(js::parse("truex").asBool(false));
    EXPECT_TRUE(js::parse("[truex]").isNull());  // the letter stays and breaks the array

    const Value dup = js::parse("{\"k\":1,\"k\":2}");
    EXPECT_EQ(1u, dup.size());
    EXPECT_EQ(2, dup["k"].asInt(0));
}

TEST(JsonParse, NumbersFollowStrtod) {
    EXPECT_DOUBLE_EQ(1.5, js::parse("+1.5").asNumber(0));
    EXPECT_DOUBLE_EQ(0.25, js::parse(".25").asNumber(0));
    EXPECT_DOUBLE_EQ(16.0, js::parse("0x10").asNumber(0));
    EXPECT_TRUE(std::isinf(js::parse("inf").asNumber(0)));
    EXPECT_DOUBLE_EQ(-3e-2, js::parse("-3e-2").asNumber(0));
}

TEST(JsonParse, StringEscapesAndSurrogates) {
    EXPECT_EQ(std::string("\"\\/\b\f\n\r\t"), js::parse(R"("\"\\\/\b\f\n\r\t")").asString());
    EXPECT_EQ(std::string("\xF0\x9F\x98\x80"), js::parse(R"("\uD83D\uDE00")").asString());
    EXPECT_EQ(std::string("\xED\xA0\xBD"), js::parse(R"("\uD83D")").asString());
    EXPECT_EQ(std::string("\xED\xA0\xBD" "x"), js::parse(R"("\uD83Dx")").asString());
    // A high surrogate followed by a non-surrogate escape: both encoded alone.
    EXPECT_EQ(std::string("\xED\xA0\xBD" "A"), js::parse(R"("\uD83D\u0041")").asString());
    EXPECT_EQ(std::string(1, '\0'), js::parse(R"("\u00zz")").asString());
    EXPECT_EQ(std::string("\xC3\xA9\xE2\x82\xAC"), js::parse(R"("\u00e9\u20AC")").asString());
    // Raw control and high bytes pass unchanged.
    EXPECT_EQ(std::string("a\x01\xFF"), js::parse("\"a\x01\xFF\"").asString());
}

TEST(JsonParse, NestingLimitFailsInsteadOfOverflowing) {
    const std::string ok = std::string(js::kMaxDepth, '[') + std::string(js::kMaxDepth, ']');
    EXPECT_TRUE(js::parse(ok).isArray());
    const std::string deep = std::string(js::kMaxDepth + 1, '[') + std::string(js::kMaxDepth + 1, ']');
    EXPECT_TRUE(js::parse(deep).isNull());
    EXPECT_TRUE(js::parse(std::string(1000000, '[')).isNull());
    std::string objects;
    for (int i = 0; i < 100000; ++i) objects += "{\"a\":";
    EXPECT_TRUE(js::parse(objects).isNull());
}

TEST(JsonDump, NumberFormats) {
    EXPECT_EQ("3", Value(3.0).dump());
    EXPECT_EQ("2.5", Value(2.5).dump());
    EXPECT_EQ("1000000000000000", Value(1e15).dump());
    EXPECT_EQ("1.0000000000000001e+300", Value(1e300).dump());
    EXPECT_EQ("0", Value(-0.0).dump());
    EXPECT_EQ("0.10000000000000001", Value(0.1).dump());
    EXPECT_EQ("-42", Value(-42).dump());
    EXPECT_EQ("4294967295", Value(4294967295LL).dump());
    EXPECT_EQ("999999999999999", Value(999999999999999LL).dump());
}

TEST(JsonDump, StringsAndContainers) {
    EXPECT_EQ("\"\\u0001\xC3\xA9\"", Value(std::string("\x01\xC3\xA9")).dump());
    EXPECT_EQ(R"("\"\\\n\r\t\u0008\u000c/)" "\x7F\"", Value(std::string("\"\\\n\r\t\b\f/\x7F")).dump());
    js::Object o;
    o["b"] = 1;
    o["a"] = js::Array{Value(), Value(true), Value("x")};
    o["10"] = false;
    o["2"] = js::Object{};
    EXPECT_EQ(R"({"10":false,"2":{},"a":[null,true,"x"],"b":1})", Value(o).dump());
    // Keys sort as unsigned bytes: 0xC3 comes after 'z'.
    js::Object bytes;
    bytes["\xC3\xA9"] = 1;
    bytes["z"] = 2;
    EXPECT_EQ("{\"z\":2,\"\xC3\xA9\":1}", Value(bytes).dump());
}

TEST(JsonRoundTrip, DumpParsesBackToSameText) {
    const std::string text =
        R"({"a":[1,2.5,-0.001,"s\"\\\n\u0000\u001f"],"b":{"c":null,"d":true},"e":")" "\xE2\x82\xAC" R"(","f":[]})";
    const Value v = js::parse(text);
    ASSERT_TRUE(v.isObject());
    EXPECT_EQ(text, v.dump());
    EXPECT_EQ(text, js::parse(v.dump()).dump());
}

TEST(JsonValue, AccessorsAreTolerant) {
    EXPECT_EQ(7, Value("text").asInt(7));
    EXPECT_EQ(3, Value(2.5).asInt(0));
    EXPECT_EQ(-2, Value(-2.5).asInt(0));
    EXPECT_EQ(2, Value(2.4999).asInt(0));
    EXPECT_FALSE(Value(1).asBool(false));
    EXPECT_DOUBLE_EQ(4.0, Value(true).asNumber(4.0));
    EXPECT_EQ("", Value(5).asString());

    const Value arr = js::parse("[1,2,3]");
    EXPECT_TRUE(arr[3].isNull());
    EXPECT_TRUE(arr["x"].isNull());
    EXPECT_EQ(&js::kNull, &arr[3]);
    const Value obj = js::parse(R"({"x":1})");
    EXPECT_TRUE(obj[0].isNull());
    EXPECT_TRUE(obj.has("x"));
    EXPECT_FALSE(obj.has("y"));
    EXPECT_FALSE(arr.has("x"));
    EXPECT_TRUE(obj["y"].isNull());
    EXPECT_EQ(1u, obj.size());  // a miss never inserts
    EXPECT_EQ(0u, Value("abc").size());

    Value copy = obj;
    copy.obj()["y"] = 2;
    EXPECT_EQ(1u, obj.size());  // copies are deep
    EXPECT_EQ(2u, copy.size());
}

TEST(JsonFile, ParseFileAndAtomicWrite) {
    storetest::TempDir dir;
    const std::string path = dir / "v.json";
    Value out(42);
    EXPECT_FALSE(js::parseFile(path, &out));  // missing
    EXPECT_EQ(42, out.asInt(0));
    storetest::writeFile(path, "null");
    EXPECT_FALSE(js::parseFile(path, &out));  // parses to Null
    EXPECT_EQ(42, out.asInt(0));

    ASSERT_TRUE(js::writeFileAtomic(path, js::parse(R"({"a":[1]})")));
    EXPECT_EQ(R"({"a":[1]})", storetest::readFile(path));
    EXPECT_FALSE(storetest::exists(path + ".tmp"));
    ASSERT_TRUE(js::parseFile(path, &out));
    EXPECT_EQ(1, out["a"][0].asInt(0));

    // The temporary name taken by a directory: the write fails, the old file stays.
    std::filesystem::create_directory(path + ".tmp");
    EXPECT_FALSE(js::writeFileAtomic(path, Value(1)));
    EXPECT_EQ(R"({"a":[1]})", storetest::readFile(path));
}

}  // namespace
