#pragma once

#include <ctime>
#include <string>

namespace vantrel {

// The local date and time as file names carry it (UTF-8): "2022年5月3日"
// followed by "9时5分7秒", "9时5分" when the seconds are 0, "9时" on the hour,
// and nothing at midnight. Exports and downloaded videos are named this way.
std::string DateStamp(const std::tm& local);

}  // namespace vantrel
