#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <vector>

#include "app/app_state.h"
#include "app/refresh_backoff.h"
#include "app/source_buttons.h"
#include "history/history_types.h"
#include "history/rank_change.h"
#include "model/list_model.h"
#include "sources/fetch_result.h"

namespace vantrel {

// A source's request and parsing, installed by the program's wiring.
using FetchRoutine = std::function<FetchResult()>;
using Clock = std::function<TimePoint()>;

// Source switching and the common fetch contract over the trending list.
class RefreshCycle {
  public:
    RefreshCycle(
        AppState& state, ListModel& list, SourceButtons& buttons,
        Clock clock = [] { return std::chrono::system_clock::now(); });

    void SetFetchRoutine(SourceId source, FetchRoutine routine);
    // Called when a fetch starts waiting and when it is done, so that the
    // window can show the load and the sources' health at once.
    void SetFetchListener(std::function<void()> listener) { listener_ = std::move(listener); }
    // Called after each fetch that filled the list (and was not overtaken by a later one),
    // with the source and what its routine gave.
    using FillListener = std::function<void(SourceId, const FetchResult&)>;
    void SetFillListener(FillListener listener) { fillListener_ = std::move(listener); }
    // Given each list that filled the rows, with the moment it came; gives back
    // each row's change against the source's previous list, which the rows then show.
    using ListKeeper =
        std::function<std::vector<RankChange>(SourceId, const FetchResult&, TimePoint)>;
    void SetListKeeper(ListKeeper keeper) { keeper_ = std::move(keeper); }
    // The source's last kept list, shown while a fetch of a source not on screen waits.
    using StoredListFinder = std::function<std::optional<HistoryList>(SourceId)>;
    void SetStoredLists(StoredListFinder finder) { storedLists_ = std::move(finder); }
    // The routine installed for a source; empty when none is.
    FetchRoutine Routine(SourceId source) const;

    // A source button click: restyles the buttons, makes `source` current and
    // fetches it (again, when it was already shown). Other numbers do nothing.
    void SelectSource(SourceId source);

    // Makes `source` current and, when its rows are not on screen, shows its
    // last kept list with that list's age, without any request. Returns whether
    // the list holds rows of `source` now.
    bool ShowStored(SourceId source);

    // The refresh timer's tick: fetches the current source; no source, nothing.
    // After a failed fetch the source's ticks hold off (RefreshBackoff).
    void RefreshCurrentSource();

    // Empties the list when it shows another source, runs the source's
    // routine, fills one row per entry, notes the source's health and moves
    // lastUpdate unless the request failed outright. A fetch that brings no
    // entries leaves this source's rows, and their age, as they were. The routines let pending
    // events run, so another fetch can start inside this one: the later one wins and this one
    // returns false without touching the list. Also false for a source without a routine.
    // Another source's rows give way to this source's kept list, if any, while it waits.
    bool FetchSource(SourceId source);

    // While held (an export is reading the list), clicks and refresh ticks
    // wait; when the last hold is released the last click, or else one
    // refresh, runs.
    void Hold();
    void Release();

  private:
    void ClearRows(SourceId fetching);
    void FillRows(SourceId source, const FetchResult& result);
    void FillStoredRows(SourceId source);

    AppState& state_;
    ListModel& list_;
    SourceButtons& buttons_;
    Clock clock_;
    std::array<FetchRoutine, SOURCE_COUNT> routines_;
    std::uint64_t generation_ = 0;
    int holds_ = 0;
    SourceId heldSelection_ = SourceId::kNone;
    std::array<RefreshBackoff, SOURCE_COUNT> backoff_{};
    std::minstd_rand jitter_{std::random_device{}()};
    bool heldRefresh_ = false;
    std::function<void()> listener_;
    FillListener fillListener_;
    ListKeeper keeper_;
    StoredListFinder storedLists_;
};

}  // namespace vantrel
