#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_file.h"

// Whatever bytes the two text settings hold, writing and reading the settings text must keep
// all the other fields in place, and a second round must change nothing. The input is
// also read as a settings text of its own, which must never go out of bounds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    vantrel::ParseSettingsText(input);

    std::size_t cut = input.empty() ? 0 : static_cast<unsigned char>(input[0]) % input.size();
    vantrel::SettingsFields fields;
    fields.keywordText = input.substr(0, cut);
    fields.saveDirectory = input.substr(cut);
    fields.opacity = 77;
    fields.autoSaveMinutes = 5;
    fields.launchAtStartup = true;

    std::string text = vantrel::FormatSettingsText(fields);
    std::optional<vantrel::SettingsFields> back = vantrel::ParseSettingsText(text);
    if (!back || back->opacity != 77 || back->autoSaveMinutes != 5 || !back->launchAtStartup)
        std::abort();
    // The first read may still turn an empty folder into the prompt; after that nothing moves.
    std::string again = vantrel::FormatSettingsText(*back);
    std::optional<vantrel::SettingsFields> twice = vantrel::ParseSettingsText(again);
    if (!twice || *twice != *back) std::abort();
    return 0;
}
