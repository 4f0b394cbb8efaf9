#include "platform/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

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

fs::path FolderOf(const fs::path& path) {
    return path.parent_path().empty() ? fs::path(".") : path.parent_path();
}

// The bytes in a hidden temporary file beside `path`; empty when it could not be written.
std::string WriteTemporary(const fs::path& path, std::string_view bytes, mode_t mode) {
    const fs::path folder = FolderOf(path);
    std::error_code ec;
    fs::create_directories(folder, ec);

    std::string temp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return {};
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(temp.c_str());
        return {};
    }
    return temp;
}

fs::path NumberedCopy(const fs::path& path, int copy) {
    fs::path name = path.stem();
    name += "(" + std::to_string(copy) + ")";
    name += path.extension();
    return path.parent_path() / name;
}

}  // namespace

// Renames without replacing. Filesystems without the no-replace rename (some
// network and removable ones) fall back to a look before the rename.
bool RenameIfFree(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(to, ec))) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool ReplaceFile(const fs::path& path, std::string_view bytes, mode_t mode) {
    const std::string temp = WriteTemporary(path, bytes, mode);
    if (temp.empty()) return false;
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(FolderOf(path));
    return true;
}

std::optional<fs::path> CreateNewFile(const fs::path& path, std::string_view bytes, mode_t mode,
                                      int maxCopies) {
    const std::string temp = WriteTemporary(path, bytes, mode);
    if (temp.empty()) return std::nullopt;
    for (int copy = 1; copy <= maxCopies; ++copy) {
        const fs::path name = copy == 1 ? path : NumberedCopy(path, copy);
        if (RenameIfFree(temp, name)) {
            SyncFolder(FolderOf(path));
            return name;
        }
        if (errno != EEXIST) break;
    }
    ::unlink(temp.c_str());
    return std::nullopt;
}

}  // namespace vantrel
