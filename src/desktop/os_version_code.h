#pragma once

namespace vantrel {

enum class OsLine {
    kNt,    // the NT line and everything after it
    k9x,    // 4.0, 4.10, 4.90 of the consumer line
    kNone,  // a system of neither line: no code
};

struct OsVersion {
    OsLine line = OsLine::kNone;
    int major = 0;
    int minor = 0;
};

// The code the tray sweep decides by: 4 for NT 4 and older, 5..12 for 5.0
// up to 6.4, the major version for anything later, 1..3 for the 9x line and
// 0 for a system of neither line.
int OsVersionCode(const OsVersion& version);

}  // namespace vantrel
