#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

#include "net/http_download.h"

namespace vantrel {

// The folder downloaded videos go to: "抖音视频" in the program's data folder,
// $XDG_DATA_HOME/vantrel, else ~/.local/share/vantrel.
std::filesystem::path VideoFolder();

// DateStamp + the item id's digits + ".mp4". Only the digits of the id are kept,
// so an id from the network can never name another folder.
std::string DownloadFileName(const std::tm& local, std::string_view awemeId);

enum class DownloadOutcome { kNoAddress, kSaved, kFailed };

// Saves the video at address into folder (made when missing) under the name
// for `local` and awemeId. A file that could not be written is fetched and
// written once more; a failed or empty download leaves no file.
DownloadOutcome DownloadVideo(std::string_view address, std::string_view awemeId,
                              const std::filesystem::path& folder, const std::tm& local,
                              const DownloadProgress& progress = {});

}  // namespace vantrel
