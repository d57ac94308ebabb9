#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/save_crypt.h"
#include "platform/sodium_primitives.h"

using platform::SaveReadResult;

namespace {

std::string hex(const std::uint8_t* data, std::size_t size) {
    std::string out;
    char buf[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", data[i]);
        out += buf;
    }
    return out;
}

std::string hex(const std::string& s) { return hex(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

// Expected bytes below were derived independently of libsodium (BLAKE2b from
// Python's hashlib, XChaCha20 as HChaCha20 written out by hand, checked
// against the published HChaCha20 vector, plus a separate ChaCha20-Poly1305).
TEST(SealPrimitives, KnownAnswers) {
    std::uint8_t digest[32];
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    platform::crypto_blake2b(digest, sizeof digest, abc, sizeof abc);
    EXPECT_EQ("bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319", hex(digest, sizeof digest));

    std::uint8_t key[32], nonce[24];
    for (int i = 0; i < 32; ++i) key[i] = static_cast<std::uint8_t>(i);
    for (int i = 0; i < 24; ++i) nonce[i] = static_cast<std::uint8_t>(i);
    const std::string plain = "Orlavan's Chess";
    std::uint8_t cipher[15], mac[16];
    ASSERT_EQ(sizeof cipher, plain.size());
    platform::crypto_aead_lock(cipher, mac, key, nonce, nullptr, 0,
                               reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size());
    EXPECT_EQ("d1b0631ee6b3e389406465a6ae21db", hex(cipher, sizeof cipher));
    EXPECT_EQ("01b5aafcc6e1d5a11101330f3304b1f8", hex(mac, sizeof mac));

    std::uint8_t back[15] = {};
    ASSERT_EQ(0, platform::crypto_aead_unlock(back, mac, key, nonce, nullptr, 0, cipher, sizeof cipher));
    EXPECT_EQ(plain, std::string(reinterpret_cast<char*>(back), sizeof back));
    mac[0] ^= 1;
    EXPECT_EQ(-1, platform::crypto_aead_unlock(back, mac, key, nonce, nullptr, 0, cipher, sizeof cipher));

    platform::crypto_wipe(key, sizeof key);
    for (std::uint8_t b : key) EXPECT_EQ(0, b);
}

// Pins the whole construction: derived key, layout and cipher. Any change of
// primitive, key material or layout makes old saves unreadable and fails here.
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
    EXPECT_EQ(plain.size() + 45, a.size());
    EXPECT_EQ(a.substr(0, 5), b.substr(0, 5));
    EXPECT_NE(a.substr(5, 24), b.substr(5, 24));
    EXPECT_NE(a.substr(29, 16), b.substr(29, 16));
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
    EXPECT_EQ(SaveReadResult::Tampered, platform::saveDecrypt(wrongVersion, &text));
    EXPECT_EQ(SaveReadResult::Tampered, platform::saveDecrypt(good.substr(0, 44), &text));
    EXPECT_EQ(SaveReadResult::Tampered, platform::saveDecrypt(good.substr(0, good.size() - 1), &text));
    EXPECT_EQ(SaveReadResult::Tampered, platform::saveDecrypt(good + "x", &text));
    EXPECT_EQ(SaveReadResult::Tampered, platform::saveDecrypt(R"({"k":"value","padding":"to be long enough"})", &text));
    EXPECT_EQ(SaveReadResult::NotFound, platform::saveDecrypt("", &text));

    // Right magic and version, wrong tag, nothing after the header.
    std::string headerOnly = platform::saveEncrypt("");
    headerOnly[40] = static_cast<char>(headerOnly[40] ^ 0x55);
    text = "stale";
    EXPECT_EQ(SaveReadResult::Tampered, platform::saveDecrypt(headerOnly, &text));
    EXPECT_EQ("", text);
}

TEST(SealFormat, LooksSealedChecksOnlyLengthAndMagic) {
    std::string candidate = "ZELV" + std::string(41, '\x07');
    EXPECT_TRUE(platform::looksSealed(candidate));
    EXPECT_FALSE(platform::looksSealed(candidate.substr(0, 44)));
    candidate[0] = 'z';
    EXPECT_FALSE(platform::looksSealed(candidate));
    EXPECT_TRUE(platform::looksSealed(platform::saveEncrypt("x")));
}

}  // namespace
