#pragma once

#include <string>

#include "app/app_state.h"
#include "history/history_types.h"
#include "sources/fetch_result.h"

namespace vantrel {

// The list a fetch of `source` filled, as the history store keeps it: UTF-8,
// ranks as the list shows them, the answering request by its health name.
HistoryList ToHistoryList(SourceId source, const FetchResult& result, TimePoint fetchedAt);

// A fetch that answers with the stored list, so it fills the rows, markers and
// highlight exactly as a fetched one; the request it names is the stored one,
// and each row keeps its stored link (Douyin's videos, another source's page).
FetchResult StoredAnswer(const HistoryList& list);

// "主接口", "备用接口1", ... (UTF-8) back to its number; 0 for anything else.
int RequestNumber(const std::string& request);

}  // namespace vantrel
