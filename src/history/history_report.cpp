#include "history/history_report.h"
#include "net/output_fields.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <limits>

namespace vantrel {
namespace {

constexpr std::array<const char*, 6> kFields = {"title",     "first_seen",  "last_seen",
                                                "best_rank", "latest_rank", "appearances"};

}  // namespace

std::optional<std::chrono::seconds> ParseHistoryDuration(std::string_view text) {
    if (text.size() < 2) return std::nullopt;
    std::int64_t unit = 0;
    switch (text.back()) {
        case 'm':
            unit = 60;
            break;
        case 'h':
            unit = 3600;
            break;
        case 'd':
            unit = 86400;
            break;
        default:
            return std::nullopt;
    }
    const std::string_view digits = text.substr(0, text.size() - 1);
    std::int64_t count = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    // Past about 290 000 years the time points would overflow.
    if (error != std::errc() || end != digits.data() + digits.size() || count <= 0 ||
        count > std::numeric_limits<std::int32_t>::max() * 86400LL / unit)
        return std::nullopt;
    return std::chrono::seconds(count * unit);
}

std::string FormatUtcTime(HistoryTime time) {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(time));
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string FormatTopicSummaries(const std::vector<TopicSummary>& summaries, HistoryFormat format) {
    std::string out;
    if (format == HistoryFormat::kTsv) {
        for (size_t i = 0; i < kFields.size(); ++i)
            out += (i ? "\t" : "") + std::string(kFields[i]);
        out += '\n';
        for (const TopicSummary& s : summaries) {
            out += TsvField(s.title) + '\t' + FormatUtcTime(s.firstSeen) + '\t' +
                   FormatUtcTime(s.lastSeen) + '\t' + std::to_string(s.bestRank) + '\t' +
                   std::to_string(s.latestRank) + '\t' + std::to_string(s.appearances) + '\n';
        }
        return out;
    }
    out = "[";
    for (size_t i = 0; i < summaries.size(); ++i) {
        const TopicSummary& s = summaries[i];
        out += i ? ",\n {" : "\n {";
        out += "\"title\": " + JsonString(s.title);
        out += ", \"first_seen\": " + JsonString(FormatUtcTime(s.firstSeen));
        out += ", \"last_seen\": " + JsonString(FormatUtcTime(s.lastSeen));
        out += ", \"best_rank\": " + std::to_string(s.bestRank);
        out += ", \"latest_rank\": " + std::to_string(s.latestRank);
        out += ", \"appearances\": " + std::to_string(s.appearances) + "}";
    }
    return out + (summaries.empty() ? "]\n" : "\n]\n");
}

}  // namespace vantrel
