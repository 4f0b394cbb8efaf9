#include "settings/settings_file.h"

#include <system_error>

#include "platform/user_folders.h"
#include "settings/encrypted_store.h"

namespace vantrel {

namespace fs = std::filesystem;

fs::path SettingsPath() {
    return ConfigHome() / "vantrel" / "kweld.ini";
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
