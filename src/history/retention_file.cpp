#include "history/retention_file.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <system_error>

#include "json/strict_json.h"
#include "platform/atomic_file.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr char kMember[] = "keep_days";
// Far more than the one member takes; a bigger file is not this one.
constexpr std::uintmax_t kMaxFileBytes = 4096;

std::string RangeText() {
    return std::to_string(MIN_HISTORY_DAYS) + "–" + std::to_string(MAX_HISTORY_DAYS);
}

}  // namespace

fs::path RetentionPath(const fs::path& settingsPath) {
    return settingsPath.parent_path() / "history.json";
}

std::optional<int> ParseRetentionText(std::string_view utf8, std::string& problem) {
    JsonFault fault;
    const std::optional<JsonValue> value = ReadStrictJson(utf8, fault);
    if (!value) {
        problem = fault.Text();
        return std::nullopt;
    }
    if (value->kind != JsonValue::Kind::kObject || value->members.size() != 1 ||
        !value->Member(kMember)) {
        problem = "应为 {\"keep_days\": 天数}";
        return std::nullopt;
    }
    const JsonValue& days = *value->Member(kMember);
    if (days.kind != JsonValue::Kind::kNumber || std::floor(days.number) != days.number ||
        days.number < MIN_HISTORY_DAYS || days.number > MAX_HISTORY_DAYS) {
        problem = "\"keep_days\" 应为 " + RangeText() + " 的整数";
        return std::nullopt;
    }
    return static_cast<int>(days.number);
}

std::string FormatRetentionText(int days) {
    return "{\"" + std::string(kMember) + "\": " + std::to_string(days) + "}\n";
}

RetentionLoad LoadRetention(const fs::path& path) {
    RetentionLoad load;
    std::error_code ec;
    if (!fs::exists(path, ec)) return load;
    std::string problem;
    if (fs::file_size(path, ec) > kMaxFileBytes || ec) {
        problem = "文件过大或无法读取";
    } else {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
        if (const std::optional<int> days = ParseRetentionText(bytes, problem)) {
            load.days = *days;
            return load;
        }
    }
    load.problem = path.filename().string() + " 无法使用（" + problem + "）；历史保留 " +
                   std::to_string(DEFAULT_HISTORY_DAYS) + " 天";
    return load;
}

bool SaveRetention(int days, const fs::path& path) {
    if (days < MIN_HISTORY_DAYS || days > MAX_HISTORY_DAYS) return false;
    return ReplaceFile(path, FormatRetentionText(days), 0644);
}

}  // namespace vantrel
