#include "settings/settings_fields.h"

#include <algorithm>
#include <vector>

#include "net/local_text.h"

namespace vantrel {
namespace {

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

std::string FieldText(const SettingsFields& f, const SettingSpec& setting) {
    switch (setting.type) {
        case SettingType::kNumber:
            return std::to_string(f.*setting.number);
        case SettingType::kSwitch:
            return std::string(f.*setting.on ? kTrue : kFalse);
        case SettingType::kText:
            return StoredText(f.*setting.text);
        case SettingType::kSource:
            return std::to_string(static_cast<int>(f.*setting.source));
    }
    return {};
}

void ReadField(SettingsFields& f, const SettingSpec& setting, const std::string& field) {
    switch (setting.type) {
        case SettingType::kNumber:
            f.*setting.number = TextToInt(field);
            break;
        case SettingType::kSwitch:
            f.*setting.on = field == kTrue;
            break;
        case SettingType::kText:
            f.*setting.text = field.empty() ? std::string(setting.defaultText) : field;
            break;
        case SettingType::kSource:
            f.*setting.source = static_cast<SourceId>(TextToInt(field));
            break;
    }
}

}  // namespace

SettingsFields::SettingsFields() {
    for (const SettingSpec& setting : SETTINGS) {
        switch (setting.type) {
            case SettingType::kNumber:
                this->*setting.number = static_cast<int>(setting.defaultValue);
                break;
            case SettingType::kSwitch:
                this->*setting.on = setting.defaultValue != 0;
                break;
            case SettingType::kText:
                this->*setting.text = setting.defaultText;
                break;
            case SettingType::kSource:
                this->*setting.source = static_cast<SourceId>(setting.defaultValue);
                break;
        }
    }
}

void RestoreSettings(SettingsFields& into, const SettingsFields& read) {
    for (const SettingSpec& setting : SETTINGS) {
        if (!setting.restored) continue;
        switch (setting.type) {
            case SettingType::kNumber:
                into.*setting.number = std::clamp(read.*setting.number, setting.low, setting.high);
                break;
            case SettingType::kSwitch:
                into.*setting.on = read.*setting.on;
                break;
            case SettingType::kText: {
                const std::string& text = read.*setting.text;
                into.*setting.text = text.empty() ? std::string(setting.defaultText) : text;
                break;
            }
            case SettingType::kSource:
                into.*setting.source = read.*setting.source;
                break;
        }
    }
}

// A hand-edited file may hold periods that would overflow an int, or negative
// ones, which would not stop the timer.
int TimerInterval(std::int64_t count, std::int64_t unitMs) {
    const std::int64_t ms =
        std::clamp<std::int64_t>(count, 0, std::numeric_limits<int>::max()) * unitMs;
    return static_cast<int>(std::min<std::int64_t>(ms, std::numeric_limits<int>::max()));
}

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

std::string FormatSettingsText(const SettingsFields& fields) {
    std::string text;
    for (const SettingSpec& setting : SETTINGS) {
        if (setting.field > 0) text += kSeparator;
        text += FieldText(fields, setting);
    }
    return text;
}

std::optional<SettingsFields> ParseSettingsText(std::string_view text) {
    // Split as everywhere in local text: never inside a character, and an empty rest after
    // the last "|" is no field.
    std::vector<std::string> v = SplitText(text, kSeparator);
    if (v.size() < SETTINGS_FIELD_COUNT) return std::nullopt;
    SettingsFields f;
    for (const SettingSpec& setting : SETTINGS)
        ReadField(f, setting, v[setting.field]);
    return f;
}

}  // namespace vantrel
