#include "history/broken_file.h"

#include <fcntl.h>
#include <cerrno>
#include <cstdio>
#include <ctime>

namespace vantrel {
namespace fs = std::filesystem;

namespace {

// Never replaces a file already there; std::nullopt when the file system
// cannot promise that.
std::optional<bool> RenameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL || errno == ENOSYS) return std::nullopt;
    return false;
}

void MoveCompanion(const fs::path& database, const fs::path& aside, const char* suffix) {
    fs::path from = database;
    from += suffix;
    fs::path to = aside;
    to += suffix;
    std::error_code ec;
    if (fs::exists(from, ec)) fs::rename(from, to, ec);
}

}  // namespace

fs::path BrokenFileName(const fs::path& path, HistoryTime now, int copy) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    fs::path name = path;
    name += ".broken-";
    name += stamp;
    if (copy > 1) name += "-" + std::to_string(copy);
    return name;
}

std::optional<fs::path> MoveBrokenAside(const fs::path& path, HistoryTime now) {
    for (int copy = 1; copy < 1000; ++copy) {
        const fs::path aside = BrokenFileName(path, now, copy);
        const std::optional<bool> moved = RenameNoReplace(path, aside);
        if (moved == false) {
            if (errno == EEXIST) continue;
            return std::nullopt;
        }
        if (!moved) {
            std::error_code ec;
            if (fs::exists(aside, ec)) continue;
            fs::rename(path, aside, ec);
            if (ec) return std::nullopt;
        }
        MoveCompanion(path, aside, "-wal");
        MoveCompanion(path, aside, "-journal");
        std::error_code ec;
        fs::remove(fs::path(path) += "-shm", ec);
        return aside;
    }
    return std::nullopt;
}

}  // namespace vantrel
