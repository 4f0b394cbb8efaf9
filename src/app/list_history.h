#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "history/history_store.h"
#include "sources/fetch_result.h"

namespace vantrel {

// The row tooltip's lines (local text): first seen in local time, best rank
// and minutes on the board today.
std::string TopicTipText(const TopicStats& stats);

// The window's side of the history store: each filled list kept, a source's
// last list found again, a row's standing. A store that fails goes quiet and
// says why once, through Problem(); the lists never wait on it.
class ListHistory {
  public:
    // Opened without reading every page: on a month's file that takes longer
    // than the window's start; CheckOnce does it later.
    explicit ListHistory(std::filesystem::path path = DefaultHistoryPath());

    // Reads every page once, so a damaged file is moved aside before anything
    // is written to it; the first Keep does it when nobody did before.
    void CheckOnce();

    // Stores the list; gives each row's change against the source's previous
    // stored list (empty while the store is off).
    std::vector<RankChange> Keep(SourceId source, const FetchResult& result, TimePoint fetchedAt);
    std::optional<HistoryList> Latest(SourceId source);
    // TopicTipText of a local-text title; empty when the store never saw it.
    std::string RowTip(SourceId source, const std::string& title, TimePoint now);
    // One line (local text) for the age label's tooltip; empty while the store works.
    std::string Problem() const;
    HistoryStore& Store() { return store_; }

  private:
    HistoryStore store_;
    bool checked_ = false;
};

}  // namespace vantrel
