#include "settings/encrypted_store.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/atomic_file.h"
#include "settings/des.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// The settings file is a few hundred bytes; anything far larger at its path is not ours.
constexpr std::uintmax_t kMaxFileSize = 16 * 1024 * 1024;

std::string_view UpToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

}  // namespace

bool StoreEncryptedText(const fs::path& path, std::string_view text) {
    return ReplaceFile(path, EncryptBytes(UpToZero(text), FILE_KEY));
}

std::string LoadEncryptedText(const fs::path& path) {
    std::error_code ec;
    std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxFileSize) return {};
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return {};
    return std::string(UpToZero(DecryptBytes(bytes, FILE_KEY)));
}

}  // namespace vantrel
