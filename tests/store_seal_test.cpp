#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/save_crypt.h"
#include "platform/sodium_primitives.h"

using platform::SaveReadResult;

namespace {

std::string hex(const std::string& s) {
    std::string out;
    char buf[3];
    for (unsigned char c : s) {
        std::snprintf(buf, sizeof buf, "%02x", c);
        out += buf;
    }
    return out;
}

// Pins the whole construction: derived key, layout and cipher. The expected
// bytes were computed independently of libsodium (BLAKE2b from Python's
// hashlib, XChaCha20-Poly1305 written out by hand). Any change of primitive,
// key material or layout makes old saves unreadable and fails here.
TEST(SealFormat, KnownAnswerWithFixedNonce) {
    platform::Nonce nonce;
    for (std::size_t i = 0; i < nonce.size(); ++i) nonce[i] = static_cast<std::uint8_t>(0xa0 + i);
    const std::string sealed = platform::sealWithNonce(R"({"unlocked_level":7})", nonce);
    ASSERT_EQ(45u + 20u, sealed.size());
    EXPECT_EQ("ZELV", sealed.substr(0, 4));
    EXPECT_EQ(1, sealed[4]);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(nonce.data()), 24), sealed.substr(5, 24));
    EXPECT_EQ("9c3da309379a4d04425d1280fb634cea", hex(sealed.substr(29, 16)));
    EXPECT_EQ("5b3e73e866707e2f66c5b5adf98166da49178846", hex(sealed.substr(45)));

    std::string text;
    EXPECT_EQ(SaveReadResult::Ok, platform::saveDecrypt(sealed, &text));
    EXPECT_EQ(R"({"unlocked_level":7})", text);

    std::uint8_t key[32];
    for (std::uint8_t& b : key) b = 0x5a;
    platform::crypto_wipe(key, sizeof key);
    for (std::uint8_t b : key) EXPECT_EQ(0, b);
}

TEST(SealFormat, RoundTripAndFreshNonces) {
    const std::string empty = platform::saveEncrypt("");
    EXPECT_EQ(platform::kHeader, empty.size());
    std::string text = "stale";
    EXPECT_EQ(SaveReadResult::Ok, platform::saveDecrypt(empty, &text));
    EXPECT_EQ("", text);

    const std::string plain(3000, 'q');
    const std::string a = platform::saveEncrypt(plain);
    const std::string b = platform::saveEncrypt(plain);
    EXPECT_NE(a.substr(5, 24), b.substr(5, 24));
    EXPECT_NE(a.substr(45), b.substr(45));
    EXPECT_EQ(std::string::npos, a.find("qqqq"));  // not readable as text
    EXPECT_EQ(SaveReadResult::Ok, platform::saveDecrypt(a, &text));
    EXPECT_EQ(plain, text);
    EXPECT_EQ(SaveReadResult::Ok, platform::saveDecrypt(b, nullptr));
}

TEST(SealFormat, EveryDamageIsTampered) {
    const std::string good = platform::saveEncrypt(R"({"k":"value"})");
    std::string text;
    // Every single-bit flip from the version byte on.
    for (std::size_t i = 4; i < good.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            std::string bad = good;
            bad[i] = static_cast<char>(bad[i] ^ (1 << bit));
            text = "stale";
            ASSERT_EQ(SaveReadResult::Tampered, platform::saveDecrypt(bad, &text)) << i << ":" << bit;
            ASSERT_EQ("", text);
        }
    }
    std::string wrongVersion = good;
    wrongVersion[4] = 2;
    std::string headerOnly = platform::saveEncrypt("");  // nothing after the header, wrong tag
    headerOnly[40] = static_cast<char>(headerOnly[40] ^ 0x55);
    for (const std::string& bad : {wrongVersion, good.substr(0, 44), good.substr(0, good.size() - 1), good + "x",
                                   std::string(R"({"k":"value","padding":"to be long enough"})"), headerOnly}) {
        text = "stale";
        EXPECT_EQ(SaveReadResult::Tampered, platform::saveDecrypt(bad, &text)) << hex(bad);
        EXPECT_EQ("", text);
    }
    EXPECT_EQ(SaveReadResult::NotFound, platform::saveDecrypt("", &text));
}

TEST(SealFormat, LooksSealedChecksOnlyLengthAndMagic) {
    std::string candidate = "ZELV" + std::string(41, '\x07');
    EXPECT_TRUE(platform::looksSealed(candidate));
    EXPECT_FALSE(platform::looksSealed(candidate.substr(0, 44)));
    candidate[0] = 'z';
    EXPECT_FALSE(platform::looksSealed(candidate));
}

}  // namespace
