#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace vantrel {

enum class DownloadStatus {
    kSaved,          // the whole body is in the file
    kRequestFailed,  // no answer, an HTTP error status (400 or above), or a broken-off body
    kEmpty,          // the answer had no body: nothing worth a file
    kFileFailed,     // the temporary file could not be made, written or renamed
};

// Bytes received so far and the announced length (0 when not announced).
using DownloadProgress = std::function<void(std::uint64_t received, std::uint64_t total)>;

// A plain GET (redirects followed, certificates verified) whose body goes
// straight to disk: into a temporary file beside `file`, renamed to `file`
// only when the whole body arrived. Any failure removes the temporary file
// and leaves whatever `file` was before. Pending UI messages run while it
// waits, so a window stays live during a long download.
DownloadStatus HttpDownloadToFile(std::string_view url, const std::filesystem::path& file,
                                  const DownloadProgress& progress = {});

}  // namespace vantrel
