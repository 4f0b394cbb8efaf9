#pragma once

#include <sys/types.h>
#include <filesystem>
#include <optional>
#include <string_view>

namespace vantrel {

// Every file the program writes goes first to a temporary file in its folder
// and is then renamed into place, so a write that fails or is cut short never
// leaves a half-written file under the final name. Missing folders are created.

// Puts `bytes` at `path`, replacing what was there. Returns whether the new
// file is in place; on failure the old file (or none) stays.
bool ReplaceFile(const std::filesystem::path& path, std::string_view bytes, mode_t mode = 0600);

// Puts `bytes` under `path` or, when that name is taken, under the first free
// one of "stem(2).ext", "stem(3).ext" ... up to `maxCopies`; an existing file
// is never replaced. Returns the name used, nothing when no file was written.
std::optional<std::filesystem::path> CreateNewFile(const std::filesystem::path& path,
                                                   std::string_view bytes, mode_t mode = 0644,
                                                   int maxCopies = 999);

// Renames `from` to `to` unless `to` exists; never replaces a file.
bool RenameIfFree(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace vantrel
