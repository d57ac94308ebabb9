#include "platform/sodium_primitives.h"

#include <sodium.h>

namespace platform {

namespace {

struct State {
    bool ready = false;
};

// sodium_init is thread-safe and idempotent; the static only saves calls.
State& st() {
    static State state{sodium_init() >= 0};
    return state;
}

// libsodium rejects null pointers for empty buffers in some builds.
const std::uint8_t* orEmpty(const std::uint8_t* p) {
    static const std::uint8_t kNothing[1] = {0};
    return p ? p : kNothing;
}

}  // namespace

void crypto_blake2b(std::uint8_t* hash, std::size_t hashSize, const std::uint8_t* message,
                    std::size_t messageSize) {
    st();
    crypto_generichash(hash, hashSize, orEmpty(message), messageSize, nullptr, 0);
}

void crypto_aead_lock(std::uint8_t* cipherText, std::uint8_t mac[16], const std::uint8_t key[32],
                      const std::uint8_t nonce[24], const std::uint8_t* ad, std::size_t adSize,
                      const std::uint8_t* plainText, std::size_t textSize) {
    st();
    std::uint8_t sink[1];
    crypto_aead_xchacha20poly1305_ietf_encrypt_detached(cipherText ? cipherText : sink, mac, nullptr,
                                                        orEmpty(plainText), textSize, ad, adSize, nullptr,
                                                        nonce, key);
}

int crypto_aead_unlock(std::uint8_t* plainText, const std::uint8_t mac[16], const std::uint8_t key[32],
                       const std::uint8_t nonce[24], const std::uint8_t* ad, std::size_t adSize,
                       const std::uint8_t* cipherText, std::size_t textSize) {
    st();
    std::uint8_t sink[1];
    return crypto_aead_xchacha20poly1305_ietf_decrypt_detached(plainText ? plainText : sink, nullptr,
                                                               orEmpty(cipherText), textSize, mac, ad,
                                                               adSize, nonce, key) == 0
               ? 0
               : -1;
}

void crypto_wipe(void* secret, std::size_t size) { sodium_memzero(secret, size); }

}  // namespace platform
