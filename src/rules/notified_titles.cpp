#include "rules/notified_titles.h"

#include <fstream>
#include <iterator>

#include "json/strict_json.h"
#include "net/code_page.h"
#include "net/output_fields.h"
#include "platform/atomic_file.h"
#include "platform/user_folders.h"

namespace vantrel {
namespace {

std::int64_t Seconds(NotifiedTitles::TimePoint moment) {
    return std::chrono::duration_cast<std::chrono::seconds>(moment.time_since_epoch()).count();
}

}  // namespace

std::filesystem::path NotifiedTitlesPath() {
    return DataHome() / "vantrel" / "notified-titles.json";
}

NotifiedTitles::NotifiedTitles(std::filesystem::path path) : path_(std::move(path)) {
    if (path_.empty()) return;
    std::ifstream in(path_, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    JsonFault fault;
    const std::optional<JsonValue> root = ReadStrictJson(text, fault);
    if (!root) return;
    for (const JsonValue& item : root->items) {
        const JsonValue* title = item.Member("title");
        const JsonValue* at = item.Member("at");
        if (title && title->kind == JsonValue::Kind::kString && at &&
            at->kind == JsonValue::Kind::kNumber)
            notified_[Utf8ToLocal(title->text)] = static_cast<std::int64_t>(at->number);
    }
}

bool NotifiedTitles::Recently(std::string_view title, TimePoint now) const {
    const auto found = notified_.find(title);
    if (found == notified_.end()) return false;
    const std::int64_t age = Seconds(now) - found->second;
    // A moment ahead of now (the clock was set back) counts as recent.
    return age < std::chrono::duration_cast<std::chrono::seconds>(kQuietTime).count();
}

void NotifiedTitles::Note(const std::vector<std::string>& titles, TimePoint now) {
    for (auto it = notified_.begin(); it != notified_.end();) {
        it = Recently(it->first, now) ? std::next(it) : notified_.erase(it);
    }
    for (const std::string& title : titles)
        notified_[title] = Seconds(now);
    if (path_.empty()) return;
    std::string text = "[";
    for (const auto& [title, at] : notified_) {
        text += (text.size() > 1 ? ",\n " : "\n ") + std::string("{\"title\": ") +
                JsonString(ToUtf8(title)) + ", \"at\": " + std::to_string(at) + "}";
    }
    ReplaceFile(path_, text + "\n]\n");
}

}  // namespace vantrel
