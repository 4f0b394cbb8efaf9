#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vantrel {

// The hot values of a source's latest list, which change every fetch, kept in
// one text ("topic:value,topic:,...") so a fetch rewrites one row for them.
void AppendHotValue(std::string& text, std::int64_t topic, const std::optional<std::int64_t>& hot);
std::unordered_map<std::int64_t, std::optional<std::int64_t>> ParseHotValues(std::string_view text);

}  // namespace vantrel
