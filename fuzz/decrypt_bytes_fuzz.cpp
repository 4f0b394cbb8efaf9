#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/des.h"

// The first byte picks how many of the following bytes form the key text (0..16); the rest is
// what a settings file could hold. Whatever it is, decryption must stay inside the data and
// give either nothing or a payload that fits the frame, and any bytes must survive a round
// trip.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view key = vantrel::FILE_KEY;
    if (!input.empty()) {
        std::size_t keyLength = static_cast<unsigned char>(input[0]) % 17;
        input.remove_prefix(1);
        if (keyLength <= input.size()) {
            key = input.substr(0, keyLength);
            input.remove_prefix(keyLength);
        }
    }

    std::string payload = vantrel::DecryptBytes(input, key);
    if (!payload.empty() &&
        (payload.size() + 4 > input.size() || payload.size() + 11 < input.size()))
        std::abort();
    if (vantrel::DecryptBytes(vantrel::EncryptBytes(input, key), key) != input) std::abort();
    return 0;
}
