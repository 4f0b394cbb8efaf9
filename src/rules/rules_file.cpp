#include "rules/rules_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "history/broken_file.h"
#include "json/strict_json.h"
#include "net/code_page.h"
#include "net/output_fields.h"
#include "net/regex_object.h"
#include "platform/atomic_file.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using Kind = JsonValue::Kind;

// Larger than any list of rules a person writes; read no further.
constexpr std::uintmax_t kMaxFileBytes = 4 << 20;

// Fills one rule from its object; false with `problem` set at the first fault.
class RuleReader {
  public:
    RuleReader(std::string& problem, int number) : problem_(problem), number_(number) {}

    bool Read(const JsonValue& object, KeywordRule& rule) {
        if (object.kind != Kind::kObject) return Fault("不是对象");
        for (const auto& [name, value] : object.members) {
            if (!Member(name, value, rule)) return false;
        }
        if (!object.Member("name")) return Fault("缺少 \"name\"");
        return true;
    }

  private:
    bool Fault(const std::string& what) {
        problem_ = "第 " + std::to_string(number_) + " 条规则" + what;
        return false;
    }

    bool Member(const std::string& name, const JsonValue& value, KeywordRule& rule) {
        if (name == "name") {
            if (value.kind != Kind::kString || value.text.empty())
                return Fault("的 \"name\" 应为非空字符串");
            rule.name = value.text;
            return true;
        }
        if (name == "words" || name == "exclude")
            return Texts(name, value, name == "words" ? rule.words : rule.exclude);
        if (name == "regex") return Regex(value, rule.regex);
        if (name == "sources") return Sources(value, rule);
        if (name == "color") return Color(value, rule.color);
        if (name == "notify") {
            if (value.kind != Kind::kBoolean) return Fault("的 \"notify\" 应为 true 或 false");
            rule.notify = value.boolean;
            return true;
        }
        return Fault("有未知的成员 \"" + name + "\"");
    }

    bool Texts(const std::string& name, const JsonValue& value, std::vector<std::string>& out) {
        if (value.kind != Kind::kArray) return Fault("的 \"" + name + "\" 应为字符串数组");
        for (const JsonValue& item : value.items) {
            if (item.kind != Kind::kString) return Fault("的 \"" + name + "\" 应为字符串数组");
            out.push_back(item.text);
        }
        return true;
    }

    bool Regex(const JsonValue& value, std::string& out) {
        if (value.kind != Kind::kString) return Fault("的 \"regex\" 应为字符串");
        if (const auto fault = FindPatternFault(Utf8ToLocal(value.text))) {
            return Fault("的 \"regex\" 在第 " + std::to_string(fault->position) +
                         " 个字符处有误：" + fault->message);
        }
        out = value.text;
        return true;
    }

    bool Sources(const JsonValue& value, KeywordRule& rule) {
        std::vector<std::string> names;
        if (!Texts("sources", value, names)) return false;
        if (names.empty()) return true;
        rule.sources.fill(false);
        for (const std::string& name : names) {
            bool known = false;
            for (int i = 0; i < SOURCE_COUNT; ++i) {
                if (name == SOURCE_NAMES[i]) rule.sources[i] = known = true;
            }
            if (!known) return Fault("的 \"sources\" 有未知的来源 \"" + name + "\"");
        }
        return true;
    }

    bool Color(const JsonValue& value, std::uint32_t& out) {
        const std::string& text = value.text;
        bool ok = value.kind == Kind::kString && text.size() == 7 && text[0] == '#';
        std::uint32_t rgb = 0;
        for (std::size_t i = 1; ok && i < text.size(); ++i) {
            const char c = text[i];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            ok = digit >= 0;
            rgb = rgb * 16 + static_cast<std::uint32_t>(digit);
        }
        if (!ok) return Fault("的 \"color\" 应为 \"#RRGGBB\"");
        out = 0xFF000000u | rgb;
        return true;
    }

    std::string& problem_;
    int number_;
};

std::string QuotedList(const std::vector<std::string>& texts) {
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        out += (i ? ", " : "") + JsonString(texts[i]);
    return out + "]";
}

std::string RuleText(const KeywordRule& rule) {
    std::vector<std::string> sources;
    for (int i = 0; i < SOURCE_COUNT; ++i) {
        if (rule.sources[i]) sources.emplace_back(SOURCE_NAMES[i]);
    }
    char color[8];
    std::snprintf(color, sizeof color, "#%06X", static_cast<unsigned>(rule.color & 0xFFFFFF));
    return "    {\n      \"name\": " + JsonString(rule.name) +
           ",\n      \"words\": " + QuotedList(rule.words) +
           ",\n      \"exclude\": " + QuotedList(rule.exclude) +
           ",\n      \"regex\": " + JsonString(rule.regex) +
           ",\n      \"sources\": " + QuotedList(sources) + ",\n      \"color\": \"" + color +
           "\",\n      \"notify\": " + (rule.notify ? "true" : "false") + "\n    }";
}

// The whole file, or nothing when it is missing; problem says why when it
// exists but cannot be read.
std::optional<std::string> ReadBytes(const fs::path& path, std::string& problem) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return std::nullopt;
    if (fs::file_size(path, ec) > kMaxFileBytes) {
        problem = "文件过大";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in && !in.eof()) {
        problem = "无法读取";
        return std::nullopt;
    }
    return bytes;
}

// Renames the file aside under the first free broken-name; empty when it could not.
fs::path KeepAside(const fs::path& path, std::chrono::system_clock::time_point now) {
    for (int copy = 1; copy <= 99; ++copy) {
        const fs::path aside = BrokenFileName(path, now, copy);
        if (RenameIfFree(path, aside)) return aside;
        if (errno != EEXIST) break;
    }
    return {};
}

}  // namespace

fs::path RulesPath(const fs::path& settingsPath) {
    return settingsPath.parent_path() / "rules.json";
}

std::optional<RulesFile> ParseRulesText(std::string_view utf8, std::string& problem) {
    problem.clear();
    JsonFault fault;
    const std::optional<JsonValue> root = ReadStrictJson(utf8, fault);
    if (!root) {
        problem = fault.Text();
        return std::nullopt;
    }
    if (root->kind != Kind::kObject) {
        problem = "最外层应为对象 {\"rules\": [...]}";
        return std::nullopt;
    }
    RulesFile file;
    for (const auto& [name, value] : root->members) {
        if (name == "do_not_disturb" && value.kind == Kind::kBoolean) {
            file.doNotDisturb = value.boolean;
        } else if (name == "rules" && value.kind == Kind::kArray) {
            for (const JsonValue& item : value.items) {
                KeywordRule rule;
                const int number = static_cast<int>(file.rules.size()) + 1;
                if (!RuleReader(problem, number).Read(item, rule)) return std::nullopt;
                file.rules.push_back(std::move(rule));
            }
        } else {
            problem = name == "rules" || name == "do_not_disturb" ? "\"" + name + "\" 的类型不对"
                                                                  : "有未知的成员 \"" + name + "\"";
            return std::nullopt;
        }
    }
    return file;
}

std::string FormatRulesText(const RulesFile& rules) {
    std::string text = "{\n  \"rules\": [";
    for (std::size_t i = 0; i < rules.rules.size(); ++i)
        text += (i ? ",\n" : "\n") + RuleText(rules.rules[i]);
    text += rules.rules.empty() ? "]" : "\n  ]";
    text += ",\n  \"do_not_disturb\": ";
    text += rules.doNotDisturb ? "true" : "false";
    return text + "\n}\n";
}

std::string RulesLoad::Status() const {
    if (state != State::kBroken) return {};
    const std::string kept = keptAs.empty() ? "，且无法另存（文件仍在原处，不会被覆盖）"
                                            : "，已原样另存为 " + keptAs.filename().string();
    return "rules.json 无法使用（" + problem + "）" + kept + "；现在不使用任何规则";
}

RulesLoad LoadRulesFile(const fs::path& path, std::chrono::system_clock::time_point now) {
    RulesLoad load;
    const std::optional<std::string> bytes = ReadBytes(path, load.problem);
    if (!bytes && load.problem.empty()) return load;
    std::optional<RulesFile> rules;
    if (bytes) rules = ParseRulesText(*bytes, load.problem);
    if (rules) {
        load.state = RulesLoad::State::kLoaded;
        load.rules = std::move(*rules);
        return load;
    }
    load.state = RulesLoad::State::kBroken;
    load.keptAs = KeepAside(path, now);
    return load;
}

bool SaveRulesFile(const RulesFile& rules, const fs::path& path,
                   std::chrono::system_clock::time_point now) {
    const RulesLoad present = LoadRulesFile(path, now);
    // One that could not be moved aside would be lost under the new file.
    if (present.state == RulesLoad::State::kBroken && present.keptAs.empty()) return false;
    return ReplaceFile(path, FormatRulesText(rules), 0644);
}

}  // namespace vantrel
