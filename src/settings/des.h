#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// The key text of the settings file; both directions use it.
inline constexpr std::string_view FILE_KEY = "Qm7tLs2Wx9eRc4Hk";

using DesKey = std::array<std::uint8_t, 8>;

// Single DES (FIPS 46-3) on 64-bit blocks whose first byte is the most significant. The key
// is an ordinary DES key: bit 1 of the standard is the top bit of byte 0, and the lowest bit
// of every byte is parity and ignored.
class DesCipher {
  public:
    explicit DesCipher(const DesKey& key);

    std::uint64_t EncryptBlock(std::uint64_t block) const;
    std::uint64_t DecryptBlock(std::uint64_t block) const;

  private:
    std::uint64_t Crypt(std::uint64_t block, bool decrypt) const;

    std::array<std::uint64_t, 16> subkeys_{};
};

// Folds a key text of any length into 8 bytes: byte i of the text is XORed into byte i mod 8.
DesKey FoldKeyText(std::string_view keyText);

// The DES key the store uses for a key text. The store's key schedule reads each key byte
// least significant bit first, which is the same as reversing the bits of every folded byte
// and using the result as an ordinary key; the parity bit is thus the top bit of each byte.
DesKey StoreKey(std::string_view keyText);

// Frames the bytes (32-bit little-endian length, the bytes, zeros up to a multiple of 8)
// and encrypts the frame in ECB mode. No bytes give no bytes, and so does an input too long
// for the length field.
std::string EncryptBytes(std::string_view data, std::string_view keyText);

// Decrypts and unframes what EncryptBytes made. Anything that is not such a frame (empty,
// not whole blocks, a length field outside the last block) gives no bytes.
std::string DecryptBytes(std::string_view data, std::string_view keyText);

}  // namespace vantrel
