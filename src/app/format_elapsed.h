#pragma once

#include <string>

#include "app/app_state.h"

namespace vantrel {

// The time between the two moments as days, hours, minutes and seconds, each
// only when non-zero ("1时2分3秒"); empty when under a second. Order of the
// arguments does not matter. Local text.
std::string FormatElapsed(TimePoint now, TimePoint lastUpdate);

// `moment` in local time as strftime's `format` writes it (at most 31 bytes).
std::string LocalTimeText(TimePoint moment, const char* format);

// The age label: FormatElapsed followed by "前更新" (updated ... ago).
std::string AgeLabelText(TimePoint now, TimePoint lastUpdate);

}  // namespace vantrel
