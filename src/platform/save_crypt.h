// Sealed save files: the JSON text encrypted and authenticated under a key the
// program derives itself, so that edits are detected.
//
// Layout: "ZELV" | version 1 | 24-byte nonce | 16-byte tag | ciphertext.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

enum class SaveReadResult : std::int32_t { Ok = 0, NotFound = 1, Tampered = 2 };

constexpr char kMagic[4] = {'Z', 'E', 'L', 'V'};
constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kNonce = 24;
constexpr std::size_t kMac = 16;
constexpr std::size_t kHeader = 4 + 1 + kNonce + kMac;  // 45

using Nonce = std::array<std::uint8_t, kNonce>;

// The complete sealed file content for `text`, under a fresh nonce.
std::string saveEncrypt(const std::string& text);
// Opens sealed bytes. `out` (may be null) is cleared first and receives the
// plain text on Ok. Empty input is NotFound; anything that fails the checks
// is Tampered.
SaveReadResult saveDecrypt(const std::string& sealed, std::string* out);
// At least a header long and starting with the magic (version not checked).
bool looksSealed(const std::string& data);

// saveEncrypt with a given nonce: deterministic, so that the construction
// can be pinned by known-answer tests.
std::string sealWithNonce(const std::string& text, const Nonce& nonce);

}  // namespace platform
