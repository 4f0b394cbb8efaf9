#include "cli/history_printer.h"

#include "app/stored_list.h"
#include "history/history_report.h"
#include "history/history_store.h"
#include "net/code_page.h"

namespace vantrel {

PrintedList PrintHistory(SourceId source, std::chrono::seconds since, bool json,
                         HistoryStore& store) {
    const HistoryTime now = std::chrono::system_clock::now();
    const std::vector<TopicSummary> topics = store.Summaries(SourceKey(source), now - since, now);
    PrintedList printed;
    printed.output =
        FormatTopicSummaries(topics, json ? HistoryFormat::kJson : HistoryFormat::kTsv);
    printed.status = topics.empty() ? 1 : 0;
    if (topics.empty()) printed.reason = "no list of " + SourceKey(source) + " stored in that span";
    return printed;
}

StoredPrint PrintStored(SourceId source, bool json, HistoryStore& store,
                        const std::filesystem::path& settingsPath) {
    const std::optional<HistoryList> list = store.LatestList(SourceKey(source));
    StoredPrint stored;
    if (!list || list->rows.empty()) {
        // An answer without rows: the header line alone, or an empty array.
        FetchResult nothing;
        nothing.status = FetchStatus::kParsed;
        stored.printed = PrintList(
            source, [&] { return nothing; }, json, settingsPath);
        stored.printed.status = 1;
        stored.printed.reason = "no list of " + SourceKey(source) + " is stored";
        return stored;
    }
    stored.printed = PrintList(
        source, [&] { return StoredAnswer(*list); }, json, settingsPath);
    stored.fetchedAt = FormatUtcTime(list->fetchedAt);
    return stored;
}

}  // namespace vantrel
