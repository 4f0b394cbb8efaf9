#pragma once

// OpenSSL's DES as the independent reference for our cipher and file format.

#include <openssl/des.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/des.h"

namespace vantrel::testing {

inline std::string OpensslEcb(std::string_view data, const DesKey& key, bool encrypt) {
    DES_cblock block;
    for (std::size_t i = 0; i < 8; ++i)
        block[i] = key[i];
    DES_key_schedule schedule;
    DES_set_key_unchecked(&block, &schedule);
    std::string out(data);
    for (std::size_t at = 0; at + 8 <= out.size(); at += 8) {
        DES_cblock in, result;
        for (std::size_t i = 0; i < 8; ++i)
            in[i] = static_cast<unsigned char>(out[at + i]);
        DES_ecb_encrypt(&in, &result, &schedule, encrypt ? DES_ENCRYPT : DES_DECRYPT);
        for (std::size_t i = 0; i < 8; ++i)
            out[at + i] = static_cast<char>(result[i]);
    }
    return out;
}

// The key the file format derives, built here without our code: XOR-fold the key text, then
// reverse the bits of every byte.
inline DesKey ReferenceKey(std::string_view keyText) {
    DesKey key{};
    for (std::size_t i = 0; i < keyText.size(); ++i)
        key[i % 8] ^= keyText[i];
    for (auto& b : key) {
        std::uint8_t r = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (b & (1u << bit)) r |= 0x80u >> bit;
        b = r;
    }
    return key;
}

// A plaintext frame whose length field says `length`, however many payload bytes follow.
inline std::string ReferenceFrame(std::string_view payload, std::int32_t length) {
    std::string frame(4, '\0');
    auto l = static_cast<std::uint32_t>(length);
    for (int i = 0; i < 4; ++i)
        frame[i] = static_cast<char>(l >> (8 * i));
    frame += payload;
    frame.resize((frame.size() + 7) / 8 * 8, '\0');
    return frame;
}

inline std::string ReferenceFrame(std::string_view payload) {
    return ReferenceFrame(payload, static_cast<std::int32_t>(payload.size()));
}

}  // namespace vantrel::testing
