#include "app/format_elapsed.h"

#include <cstdint>
#include <ctime>

namespace vantrel {

namespace {

void AppendPart(std::string& text, std::int64_t value, const char* unit) {
    if (value == 0) return;
    text += std::to_string(value);
    text += unit;
}

}  // namespace

std::string FormatElapsed(TimePoint now, TimePoint lastUpdate) {
    std::int64_t s = std::chrono::duration_cast<std::chrono::seconds>(now - lastUpdate).count();
    if (s < 0) s = -s;
    const std::int64_t days = s / 86400;
    const std::int64_t r1 = s % 86400;
    const std::int64_t hours = r1 / 3600;
    const std::int64_t r2 = r1 % 3600;
    std::string text;
    AppendPart(text, days, "\xCC\xEC");     // 天
    AppendPart(text, hours, "\xCA\xB1");    // 时
    AppendPart(text, r2 / 60, "\xB7\xD6");  // 分
    AppendPart(text, r2 % 60, "\xC3\xEB");  // 秒
    return text;
}

std::string AgeLabelText(TimePoint now, TimePoint lastUpdate) {
    return FormatElapsed(now, lastUpdate) + "\xC7\xB0\xB8\xFC\xD0\xC2";  // 前更新
}

std::string LocalTimeText(TimePoint moment, const char* format) {
    const std::time_t time = std::chrono::system_clock::to_time_t(moment);
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}

}  // namespace vantrel
