#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/save_crypt.h"

using platform::SaveReadResult;

namespace {

std::string hex(const std::string& s) {
    std::string out;
    for (unsigned char c : s) out += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
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
    EXPECT_EQ("5a454c5601" + hex(std::string(nonce.begin(), nonce.end())) + "9c3da309379a4d04425d1280fb634cea" +
                  "5b3e73e866707e2f66c5b5adf98166da49178846",
              hex(sealed));
    std::string text;
    EXPECT_EQ(SaveReadResult::Ok, platform::saveDecrypt(sealed, &text));
    EXPECT_EQ(R"({"unlocked_level":7})", text);
}

// Each seal draws a fresh nonce, and any change to what is on disk is caught.
TEST(SealFormat, FreshNonceEachTimeAndEveryDamageIsTampered) {
    const std::string good = platform::saveEncrypt(R"({"k":"value"})");
    const std::string again = platform::saveEncrypt(R"({"k":"value"})");
    EXPECT_NE(good.substr(5, 24), again.substr(5, 24));
    std::string text;
    std::vector<std::string> damaged = {good.substr(0, 44), good.substr(0, good.size() - 1), good + "x",
                                        R"({"k":"value","padding":"to be long enough"})"};
    damaged.push_back(platform::saveEncrypt(""));  // nothing after the header, a damaged tag
    damaged.back()[40] = static_cast<char>(damaged.back()[40] ^ 0x55);
    for (std::size_t i = 4; i < good.size(); ++i) {  // every single-bit flip from the version byte on
        for (int bit = 0; bit < 8; ++bit) {
            damaged.push_back(good);
            damaged.back()[i] = static_cast<char>(good[i] ^ (1 << bit));
        }
    }
    for (const std::string& bad : damaged) {
        text = "stale";
        ASSERT_EQ(SaveReadResult::Tampered, platform::saveDecrypt(bad, &text)) << hex(bad);
        ASSERT_EQ("", text);
    }
    EXPECT_EQ(SaveReadResult::NotFound, platform::saveDecrypt("", &text));
}

}  // namespace
