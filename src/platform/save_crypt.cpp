#include "platform/save_crypt.h"

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "platform/sodium_primitives.h"

namespace platform {

namespace {

constexpr std::size_t kKey = 32;
constexpr std::size_t kNonceAt = 5;
constexpr std::size_t kMacAt = kNonceAt + kNonce;

// Key-derivation input. Changing either constant makes every existing save
// unreadable (it would be set aside as tampered).
constexpr std::uint8_t kSeeds[32] = {
    0x5a, 0x31, 0xc7, 0x08, 0x9e, 0x44, 0xb2, 0x6d, 0x13, 0xf0, 0x7a, 0x2c, 0xd5, 0x68, 0x0b, 0x99,
    0xe2, 0x4f, 0x36, 0xa1, 0x8c, 0x57, 0x1d, 0xbe, 0x60, 0x03, 0xfa, 0x92, 0x2e, 0xc4, 0x79, 0x15,
};
constexpr char kLabel[16] = {'o', 'r', 'l', 'a', 'v', 'a', 'n', '-', 's', 'a', 'v', 'e', '-', 'v', '1', '.'};

using Key = std::array<std::uint8_t, kKey>;

void deriveKey(Key& key) {
    std::uint8_t input[sizeof kSeeds + sizeof kLabel];
    std::memcpy(input, kSeeds, sizeof kSeeds);
    std::memcpy(input + sizeof kSeeds, kLabel, sizeof kLabel);
    crypto_blake2b(key.data(), key.size(), input, sizeof input);
    crypto_wipe(input, sizeof input);
}

// Random bytes, with the monotonic clock mixed in as a guard against a
// random source that repeats.
Nonce makeNonce() {
    Nonce nonce{};
    try {
        std::random_device random("default");
        for (std::size_t i = 0; i < 6; ++i) {
            const std::uint32_t word = random();
            for (std::size_t b = 0; b < 4; ++b) nonce[4 * i + b] = static_cast<std::uint8_t>(word >> (8 * b));
        }
    } catch (...) {
        // No random source at all: the clock below still makes each nonce distinct.
    }
    const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (std::size_t i = 0; i < 8; ++i) nonce[i] ^= static_cast<std::uint8_t>(ticks >> (8 * i));
    return nonce;
}

const std::uint8_t* bytes(const std::string& s, std::size_t offset = 0) {
    return reinterpret_cast<const std::uint8_t*>(s.data()) + offset;
}

}  // namespace

std::string sealWithNonce(const std::string& text, const Nonce& nonce) {
    Key key;
    deriveKey(key);
    std::vector<std::uint8_t> cipher(text.size());
    std::uint8_t mac[kMac];
    crypto_aead_lock(cipher.data(), mac, key.data(), nonce.data(), nullptr, 0, bytes(text), text.size());
    crypto_wipe(key.data(), key.size());

    std::string sealed(kMagic, sizeof kMagic);
    sealed += static_cast<char>(kVersion);
    sealed.append(reinterpret_cast<const char*>(nonce.data()), nonce.size());
    sealed.append(reinterpret_cast<const char*>(mac), kMac);
    sealed.append(reinterpret_cast<const char*>(cipher.data()), cipher.size());
    return sealed;
}

std::string saveEncrypt(const std::string& text) { return sealWithNonce(text, makeNonce()); }

SaveReadResult saveDecrypt(const std::string& sealed, std::string* out) {
    if (out) out->clear();
    if (sealed.empty()) return SaveReadResult::NotFound;
    if (sealed.size() < kHeader) return SaveReadResult::Tampered;
    if (std::memcmp(sealed.data(), kMagic, sizeof kMagic) != 0) return SaveReadResult::Tampered;
    if (static_cast<std::uint8_t>(sealed[4]) != kVersion) return SaveReadResult::Tampered;

    const std::size_t textSize = sealed.size() - kHeader;
    std::vector<std::uint8_t> plain(textSize);
    Key key;
    deriveKey(key);
    const int verdict = crypto_aead_unlock(plain.data(), bytes(sealed, kMacAt), key.data(),
                                           bytes(sealed, kNonceAt), nullptr, 0, bytes(sealed, kHeader), textSize);
    crypto_wipe(key.data(), key.size());
    if (verdict != 0) {
        crypto_wipe(plain.data(), plain.size());
        return SaveReadResult::Tampered;
    }
    if (out) out->assign(reinterpret_cast<const char*>(plain.data()), plain.size());
    crypto_wipe(plain.data(), plain.size());
    return SaveReadResult::Ok;
}

bool looksSealed(const std::string& data) {
    return data.size() >= kHeader && std::memcmp(data.data(), kMagic, sizeof kMagic) == 0;
}

}  // namespace platform
