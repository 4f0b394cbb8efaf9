#include "viewer/video_download.h"

#include "model/date_stamp.h"
#include "platform/user_folders.h"

#include <cstdlib>
#include <system_error>

namespace vantrel {

std::filesystem::path VideoFolder() {
    return DataHome() / "vantrel" / "抖音视频";
}

std::string DownloadFileName(const std::tm& local, std::string_view awemeId) {
    std::string name = DateStamp(local);
    for (char c : awemeId)
        if (c >= '0' && c <= '9') name += c;
    return name + ".mp4";
}

DownloadOutcome DownloadVideo(std::string_view address, std::string_view awemeId,
                              const std::filesystem::path& folder, const std::tm& local,
                              const DownloadProgress& progress) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (address.empty()) return DownloadOutcome::kNoAddress;
    const std::filesystem::path file = folder / DownloadFileName(local, awemeId);
    DownloadStatus status = HttpDownloadToFile(address, file, progress);
    if (status == DownloadStatus::kFileFailed) status = HttpDownloadToFile(address, file, progress);
    return status == DownloadStatus::kSaved ? DownloadOutcome::kSaved : DownloadOutcome::kFailed;
}

}  // namespace vantrel
