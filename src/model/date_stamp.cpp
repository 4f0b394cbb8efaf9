#include "model/date_stamp.h"

namespace vantrel {

std::string DateStamp(const std::tm& local) {
    std::string stamp = std::to_string(local.tm_year + 1900) + "年" +
                        std::to_string(local.tm_mon + 1) + "月" + std::to_string(local.tm_mday) +
                        "日";
    // Trailing zero parts of the time of day are left out.
    if (local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0) return stamp;
    stamp += std::to_string(local.tm_hour) + "时";
    if (local.tm_min == 0 && local.tm_sec == 0) return stamp;
    stamp += std::to_string(local.tm_min) + "分";
    if (local.tm_sec == 0) return stamp;
    return stamp + std::to_string(local.tm_sec) + "秒";
}

}  // namespace vantrel
