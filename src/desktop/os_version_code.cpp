#include "desktop/os_version_code.h"

namespace vantrel {

namespace {

int NtCode(int major, int minor) {
    if (major <= 4) return 4;
    if (major == 5 && minor >= 0 && minor <= 2) return 5 + minor;
    if (major == 6 && minor >= 0 && minor <= 4) return 8 + minor;
    return major;
}

int NineXCode(int minor) {
    if (minor < 10) return 1;
    if (minor < 90) return 2;
    return 3;
}

}  // namespace

int OsVersionCode(const OsVersion& version) {
    switch (version.line) {
        case OsLine::kNt:
            return NtCode(version.major, version.minor);
        case OsLine::k9x:
            return NineXCode(version.minor);
        case OsLine::kNone:
            break;
    }
    return 0;
}

}  // namespace vantrel
