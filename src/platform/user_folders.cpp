#include "platform/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// The user's folder named by an XDG variable, else `underHome` below the home
// folder. Relative values are ignored, so nothing lands in the working folder.
fs::path UserFolder(const char* variable, const fs::path& underHome) {
    const char* xdg = std::getenv(variable);
    if (xdg && fs::path(xdg).is_absolute()) return xdg;
    const char* home = std::getenv("HOME");
    if (home && fs::path(home).is_absolute()) return fs::path(home) / underHome;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir == '/')
        return fs::path(pw->pw_dir) / underHome;
    // An account without a home folder still gets one fixed place per user.
    return fs::path("/tmp") / ("vantrel-" + std::to_string(::getuid())) / underHome;
}

}  // namespace

fs::path ConfigHome() {
    return UserFolder("XDG_CONFIG_HOME", ".config");
}

fs::path DataHome() {
    return UserFolder("XDG_DATA_HOME", fs::path(".local") / "share");
}

}  // namespace vantrel
