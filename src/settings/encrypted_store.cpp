#include "settings/encrypted_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "settings/des.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// The settings file is a few hundred bytes; anything far larger at its path is not ours.
constexpr std::uintmax_t kMaxFileSize = 16 * 1024 * 1024;

std::string_view UpToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Makes the rename itself survive a power cut; a failure here does not undo the new file.
void SyncFolder(const fs::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool ReplaceFile(const fs::path& path, std::string_view bytes) {
    fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    std::error_code ec;
    fs::create_directories(folder, ec);

    std::string temp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
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
