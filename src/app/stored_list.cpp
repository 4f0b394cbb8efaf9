#include "app/stored_list.h"

#include "app/source_health.h"
#include "net/code_page.h"

namespace vantrel {

namespace {

// The store keeps one link per row: a row's own page, else its video links.
std::string RowLink(const ListEntry& entry) {
    return ToUtf8(entry.page.empty() ? entry.links : entry.page);
}

}  // namespace

HistoryList ToHistoryList(SourceId source, const FetchResult& result, TimePoint fetchedAt) {
    HistoryList list;
    list.source = std::string(SOURCE_NAMES[static_cast<int>(source) - 1]);
    list.fetchedAt = fetchedAt;
    if (result.answeredBy >= 0) list.request = ToUtf8(RequestName(result.answeredBy));
    int rank = result.rankBase;
    for (const ListEntry& entry : result.entries)
        list.rows.push_back({rank++, ToUtf8(entry.title), ToUtf8(entry.tag), {}, RowLink(entry)});
    return list;
}

int RequestNumber(const std::string& request) {
    for (int n = 0; n < 8; ++n) {
        if (ToUtf8(RequestName(n)) == request) return n;
    }
    return 0;
}

FetchResult StoredAnswer(const HistoryList& list) {
    FetchResult result;
    result.status = FetchStatus::kParsed;
    result.rankBase = list.rows.empty() ? 1 : list.rows.front().rank;
    result.answeredBy = RequestNumber(list.request);
    // Douyin's link is the row's videos; another source's, a page of its own.
    const bool videos = list.source == SOURCE_NAMES[static_cast<int>(SourceId::kDouyin) - 1];
    for (const HistoryRow& row : list.rows) {
        ListEntry& entry = result.entries.emplace_back();
        entry.title = Utf8ToLocal(row.title);
        entry.tag = Utf8ToLocal(row.tag);
        (videos ? entry.links : entry.page) = Utf8ToLocal(row.link);
    }
    return result;
}

}  // namespace vantrel
