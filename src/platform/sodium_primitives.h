// The four cryptographic primitives the sealed files need, mapped onto
// libsodium. XChaCha20-Poly1305 here is the IETF construction (no associated
// data padding quirks), BLAKE2b is unkeyed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Unkeyed BLAKE2b with a digest of `hashSize` bytes (1..64).
void crypto_blake2b(std::uint8_t* hash, std::size_t hashSize, const std::uint8_t* message,
                    std::size_t messageSize);

// XChaCha20-Poly1305: encrypts `textSize` bytes and writes the 16-byte tag.
void crypto_aead_lock(std::uint8_t* cipherText, std::uint8_t mac[16], const std::uint8_t key[32],
                      const std::uint8_t nonce[24], const std::uint8_t* ad, std::size_t adSize,
                      const std::uint8_t* plainText, std::size_t textSize);

// Verifies the tag and decrypts. 0 on success, -1 when the tag does not match
// (the plain text buffer is then not filled).
int crypto_aead_unlock(std::uint8_t* plainText, const std::uint8_t mac[16], const std::uint8_t key[32],
                       const std::uint8_t nonce[24], const std::uint8_t* ad, std::size_t adSize,
                       const std::uint8_t* cipherText, std::size_t textSize);

// Erases a secret in a way the compiler may not optimise away.
void crypto_wipe(void* secret, std::size_t size);

}  // namespace platform
