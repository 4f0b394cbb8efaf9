#include "settings/settings_file.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <system_error>
#include <vector>

#include "net/local_text.h"
#include "settings/encrypted_store.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTrue = "\xD5\xE6";     // 真
constexpr std::string_view kFalse = "\xBC\xD9";    // 假
constexpr std::string_view kWideBar = "\xA3\xFC";  // ｜
constexpr std::string_view kSeparator = "|";

// A stored text field must hold no separator and end where the reader's scan of it ends:
// it stops at a zero byte (which would end the whole text), a "|" becomes "｜", and a lead
// byte left without its second byte is dropped, since it would swallow the separator after it.
std::string StoredText(std::string_view text) {
    std::string out = ReplaceAll(text.substr(0, text.find('\0')), kSeparator, kWideBar);
    std::vector<std::string> characters = SplitCharacters(out);
    if (!characters.empty() && characters.back().size() == 1 &&
        static_cast<unsigned char>(characters.back()[0]) >= 0x81)
        out.pop_back();
    return out;
}

std::string_view Switch(bool on) {
    return on ? kTrue : kFalse;
}

}  // namespace

// Plain text-to-integer: optional blanks and sign, then digits up to the first other byte.
// No digits read as 0; values beyond int saturate rather than wrap.
int TextToInt(std::string_view text) {
    std::size_t at = text.find_first_not_of(" \t\r\n");
    if (at == std::string_view::npos) return 0;
    text.remove_prefix(at);
    bool negative = text.front() == '-';
    if (negative || text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min<long long>(value * 10 + (c - '0'), 1LL << 32);
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

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

fs::path SettingsPath() {
    return ConfigHome() / "vantrel" / "kweld.ini";
}

std::string FormatSettingsText(const SettingsFields& f) {
    std::string_view parts[SETTINGS_FIELD_COUNT];
    std::string numbers[4] = {std::to_string(f.currentSource), std::to_string(f.autoRefreshSeconds),
                              std::to_string(f.opacity), std::to_string(f.autoSaveMinutes)};
    std::string keywords = StoredText(f.keywordText);
    std::string folder = StoredText(f.saveDirectory);
    parts[0] = numbers[0];
    parts[1] = Switch(f.autoRefreshOn);
    parts[2] = numbers[1];
    parts[3] = Switch(f.keywordMonitorOn);
    parts[4] = keywords;
    parts[5] = numbers[2];
    parts[6] = Switch(f.videoSoundOn);
    parts[7] = Switch(f.dockToEdge);
    parts[8] = Switch(f.autoSaveOn);
    parts[9] = folder;
    parts[10] = numbers[3];
    parts[11] = Switch(f.alwaysOnTop);
    parts[12] = Switch(f.taskbarMode);
    parts[13] = Switch(f.launchAtStartup);

    std::string text;
    for (int i = 0; i < SETTINGS_FIELD_COUNT; ++i) {
        if (i > 0) text += kSeparator;
        text += parts[i];
    }
    return text;
}

std::optional<SettingsFields> ParseSettingsText(std::string_view text) {
    // Split as everywhere in local text: never inside a character, and an empty rest after
    // the last "|" is no field.
    std::vector<std::string> v = SplitText(text, kSeparator);
    if (v.size() < SETTINGS_FIELD_COUNT) return std::nullopt;
    auto on = [](const std::string& field) { return field == kTrue; };
    SettingsFields f;
    f.currentSource = TextToInt(v[0]);
    f.autoRefreshOn = on(v[1]);
    f.autoRefreshSeconds = TextToInt(v[2]);
    f.keywordMonitorOn = on(v[3]);
    f.keywordText = v[4];
    f.opacity = TextToInt(v[5]);
    f.videoSoundOn = on(v[6]);
    f.dockToEdge = on(v[7]);
    f.autoSaveOn = on(v[8]);
    f.saveDirectory = v[9].empty() ? std::string(SAVE_DIRECTORY_PROMPT) : v[9];
    f.autoSaveMinutes = TextToInt(v[10]);
    f.alwaysOnTop = on(v[11]);
    f.taskbarMode = on(v[12]);
    f.launchAtStartup = on(v[13]);
    return f;
}

SettingsFileRead LoadSettingsFile(const fs::path& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return {};
    std::optional<SettingsFields> fields = ParseSettingsText(LoadEncryptedText(path));
    if (!fields) {
        fs::remove(path, ec);
        return {SettingsFileState::kDamaged, {}};
    }
    return {SettingsFileState::kLoaded, *fields};
}

bool SaveSettingsFile(const SettingsFields& fields, const fs::path& path) {
    return StoreEncryptedText(path, FormatSettingsText(fields));
}

}  // namespace vantrel
