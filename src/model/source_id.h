#pragma once

#include <array>
#include <string_view>

namespace vantrel {

// Which list the window shows. The number is also what the settings file
// stores and what export names and full-board links are chosen by; kNone is
// the state before any source was chosen (or after a settings file named none).
enum class SourceId : int { kNone = 0, kWeibo = 1, kBaidu = 2, kToutiao = 3, kDouyin = 4 };

inline constexpr int SOURCE_COUNT = 4;

// The names the command line and rules.json give the sources, by number - 1.
inline constexpr std::array<std::string_view, SOURCE_COUNT> SOURCE_NAMES = {"weibo", "baidu",
                                                                            "toutiao", "douyin"};

// True for 1..4.
constexpr bool IsSourceNumber(int n) {
    return n >= 1 && n <= SOURCE_COUNT;
}

}  // namespace vantrel
