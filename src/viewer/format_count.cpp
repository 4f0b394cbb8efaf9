#include "viewer/format_count.h"

#include <cstdio>
#include <cstdlib>

namespace vantrel {

std::string FormatCount(std::string_view text) {
    const std::string digits(text);
    const double n = std::strtod(digits.c_str(), nullptr);
    if (!(n - 10000 > 0.0000001)) return digits;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.13g", n / 10000);
    std::string whole(buffer);
    return whole.substr(0, whole.find('.')) + "w";
}

}  // namespace vantrel
