#include "cli/list_printer.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/source_buttons.h"
#include "app/source_health.h"
#include "history/history_store.h"
#include "model/list_model.h"
#include "net/code_page.h"
#include "net/output_fields.h"
#include "rules/rules_file.h"
#include "settings/encrypted_store.h"
#include "settings/settings_file.h"

namespace vantrel {
namespace {

constexpr std::array<std::string_view, 8> kColumns = {
    "rank", "title", "tag", "desc", "rank_marker", "tag_marker", "title_color", "change"};
constexpr std::string_view kRulesColumn = "rules";

struct PrintedRow {
    std::vector<std::string> values;  // one per column of kColumns
    std::vector<std::string> rules;
};

// Reads the keyword settings without the window's repair of a damaged file:
// printing a list must never delete the user's settings.
void ApplyKeywordSettings(AppState& state, const std::filesystem::path& path) {
    const std::optional<SettingsFields> fields = ParseSettingsText(LoadEncryptedText(path));
    if (!fields) return;
    state.keywordMonitorOn = fields->keywordMonitorOn;
    state.keywordText = fields->keywordText;
}

std::string VisibleElement(const ListCell& cell) {
    for (int element = 0; element < 32; ++element) {
        if (cell.visibleElements & (1u << element)) return std::to_string(element);
    }
    return "-";
}

std::string ColorHex(std::uint32_t color) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(color));
    return text;
}

std::vector<std::string> RowValues(const ListRow& row, const std::string& tag) {
    const auto text = [&](int column) { return ToUtf8(row.cells[column].text); };
    return {text(0),
            text(1),
            ToUtf8(tag),
            text(3),
            VisibleElement(row.cells[0]),
            VisibleElement(row.cells[2]),
            ColorHex(row.cells[1].color),
            ""};
}

// The filled list as the store keeps it: UTF-8, ranks as the list shows them.
HistoryList ToHistoryList(SourceId source, const ScriptFetch& fetched, const std::string& request) {
    HistoryList list{SourceKey(source), std::chrono::system_clock::now(), request, {}};
    for (int row = 0; row < fetched.list.ItemCount() && row < static_cast<int>(fetched.tags.size());
         ++row) {
        list.rows.push_back({fetched.rankBase + row, ToUtf8(fetched.list.Row(row).cells[1].text),
                             ToUtf8(fetched.tags[row]), std::nullopt, ToUtf8(fetched.links[row])});
    }
    return list;
}

std::string FormatTsv(const std::vector<PrintedRow>& rows) {
    std::string out;
    for (const std::string_view column : kColumns)
        out += std::string(column) + "\t";
    out += std::string(kRulesColumn) + "\n";
    for (const PrintedRow& row : rows) {
        for (const std::string& value : row.values)
            out += TsvField(value) + "\t";
        std::string rules;
        for (const std::string& name : row.rules)
            rules += (rules.empty() ? "" : ", ") + name;
        out += TsvField(rules) + "\n";
    }
    return out;
}

std::string FormatJson(const std::vector<PrintedRow>& rows, const std::string& request,
                       const std::string& health) {
    std::string out = "[";
    for (size_t r = 0; r < rows.size(); ++r) {
        out += r ? ",\n {" : "\n {";
        for (size_t i = 0; i < kColumns.size(); ++i) {
            out += (i ? ", " : "") + JsonString(kColumns[i]) + ": " + JsonString(rows[r].values[i]);
        }
        out += ", " + JsonString(kRulesColumn) + ": [";
        for (size_t i = 0; i < rows[r].rules.size(); ++i)
            out += (i ? ", " : "") + JsonString(rows[r].rules[i]);
        out += "]";
        out += ", \"request\": " + JsonString(request) + ", \"health\": " + JsonString(health);
        out += "}";
    }
    return out + (rows.empty() ? "]\n" : "\n]\n");
}

}  // namespace

std::optional<SourceId> SourceFromName(std::string_view name) {
    for (int i = 0; i < SOURCE_COUNT; ++i) {
        if (name == SOURCE_NAMES[i] || name == std::to_string(i + 1)) {
            return static_cast<SourceId>(i + 1);
        }
    }
    return std::nullopt;
}

std::string SourceKey(SourceId source) {
    return std::string(SOURCE_NAMES[static_cast<int>(source) - 1]);
}

ScriptFetch FetchForScript(SourceId source, const FetchRoutine& fetch,
                           const std::filesystem::path& settingsPath) {
    AppState state;
    ScriptFetch fetched;
    SourceButtons buttons;
    SetUpTrendingColumns(fetched.list);
    ApplyKeywordSettings(state, settingsPath);
    const RulesLoad rules = LoadRulesFile(RulesPath(settingsPath));
    state.rules = RuleSet(rules.rules.rules);
    fetched.rulesStatus = rules.Status();
    RefreshCycle cycle(state, fetched.list, buttons);

    FetchStatus status = FetchStatus::kRequestFailed;
    cycle.SetFetchRoutine(source, [&] {
        FetchResult result = fetch();
        status = result.status;
        fetched.rankBase = result.rankBase;
        for (const ListEntry& entry : result.entries) {
            fetched.tags.push_back(entry.tag);
            fetched.links.push_back(entry.page.empty() ? entry.links : entry.page);
        }
        return result;
    });
    cycle.FetchSource(source);

    if (status == FetchStatus::kRequestFailed) {
        fetched.status = 2;
        fetched.reason = "the request failed: no answer from the service";
    } else if (fetched.list.ItemCount() == 0) {
        fetched.status = 1;
        fetched.reason = status == FetchStatus::kParsed
                             ? "the answer held too few entries to fill the list"
                             : "the answer could not be read";
    } else {
        fetched.status = 0;
    }
    fetched.health = state.health[static_cast<int>(source) - 1];
    for (const std::vector<std::size_t>& matched : state.rowRules) {
        std::vector<std::string>& names = fetched.rowRules.emplace_back();
        for (const std::size_t index : matched)
            names.push_back(state.rules.Rules()[index].name);
    }
    return fetched;
}

PrintedList PrintList(SourceId source, const FetchRoutine& fetch, bool json,
                      const std::filesystem::path& settingsPath, HistoryStore* store) {
    const ScriptFetch fetched = FetchForScript(source, fetch, settingsPath);
    std::vector<PrintedRow> rows;
    for (int row = 0; row < fetched.list.ItemCount() && row < static_cast<int>(fetched.tags.size());
         ++row) {
        PrintedRow& printed = rows.emplace_back();
        printed.values = RowValues(fetched.list.Row(row), fetched.tags[row]);
        if (row < static_cast<int>(fetched.rowRules.size())) printed.rules = fetched.rowRules[row];
    }

    PrintedList printed;
    const SourceHealth& health = fetched.health;
    printed.health = ToUtf8(HealthText(source, health));
    const std::string request = health.answeredBy < 0 ? "" : ToUtf8(RequestName(health.answeredBy));
    if (store != nullptr && fetched.status == 0) {
        const HistoryStore::Stored stored = store->Store(ToHistoryList(source, fetched, request));
        for (size_t row = 0; row < rows.size() && row < stored.changes.size(); ++row)
            rows[row].values.back() = ChangeText(stored.changes[row]);
    }
    printed.output = json ? FormatJson(rows, request, printed.health) : FormatTsv(rows);
    printed.status = fetched.status;
    printed.reason = fetched.reason;
    printed.rulesStatus = fetched.rulesStatus;
    return printed;
}

}  // namespace vantrel
