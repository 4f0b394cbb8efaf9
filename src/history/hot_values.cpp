#include "history/hot_values.h"

#include <charconv>

namespace vantrel {

void AppendHotValue(std::string& text, std::int64_t topic, const std::optional<std::int64_t>& hot) {
    text += std::to_string(topic) + ":" + (hot ? std::to_string(*hot) : "") + ",";
}

std::unordered_map<std::int64_t, std::optional<std::int64_t>> ParseHotValues(
    std::string_view text) {
    std::unordered_map<std::int64_t, std::optional<std::int64_t>> hot;
    while (!text.empty()) {
        const size_t colon = text.find(':'), comma = text.find(',');
        if (colon == std::string_view::npos || comma == std::string_view::npos || comma < colon)
            break;
        std::int64_t topic = 0, value = 0;
        std::from_chars(text.data(), text.data() + colon, topic);
        const char* end = text.data() + comma;
        const auto read = std::from_chars(text.data() + colon + 1, end, value);
        const bool has = comma > colon + 1 && read.ec == std::errc() && read.ptr == end;
        hot[topic] = has ? std::optional<std::int64_t>(value) : std::nullopt;
        text.remove_prefix(comma + 1);
    }
    return hot;
}

}  // namespace vantrel
