#include "app/refresh_cycle.h"

#include <algorithm>
#include <random>
#include <utility>

#include "app/change_marker.h"
#include "app/fill_row.h"
#include "app/rule_highlight.h"
#include "app/source_health.h"
#include "app/stored_list.h"

namespace vantrel {

namespace {

// Toutiao's answer is cut as text, not parsed, so any answer counts as read;
// the others count only when their answer was parsed. No answer at all never
// counts, so the age label keeps the previous refresh.
bool MovesLastUpdate(SourceId source, FetchStatus status) {
    switch (status) {
        case FetchStatus::kParsed:
            return true;
        case FetchStatus::kUnparsed:
            return source == SourceId::kToutiao;
        case FetchStatus::kRequestFailed:
            break;
    }
    return false;
}

}  // namespace

RefreshCycle::RefreshCycle(AppState& state, ListModel& list, SourceButtons& buttons, Clock clock)
    : state_(state), list_(list), buttons_(buttons), clock_(std::move(clock)) {}

void RefreshCycle::SetFetchRoutine(SourceId source, FetchRoutine routine) {
    const int n = static_cast<int>(source);
    if (IsSourceNumber(n)) routines_[n - 1] = std::move(routine);
}

FetchRoutine RefreshCycle::Routine(SourceId source) const {
    const int n = static_cast<int>(source);
    return IsSourceNumber(n) ? routines_[n - 1] : FetchRoutine();
}

void RefreshCycle::SelectSource(SourceId source) {
    if (!IsSourceNumber(static_cast<int>(source))) return;
    if (holds_ > 0) {
        heldSelection_ = source;
        return;
    }
    buttons_.Select(source);
    state_.currentSource = source;
    FetchSource(source);
}

bool RefreshCycle::ShowStored(SourceId source) {
    if (!IsSourceNumber(static_cast<int>(source)) || holds_ > 0) return false;
    buttons_.Select(source);
    state_.currentSource = source;
    if (state_.listSource != source) {
        ClearRows(source);
        FillStoredRows(source);
    }
    return state_.listSource == source;
}

void RefreshCycle::RefreshCurrentSource() {
    if (holds_ > 0) {
        heldRefresh_ = true;
        return;
    }
    const int n = static_cast<int>(state_.currentSource);
    // After failures the timer's ticks hold off; a click never does.
    if (IsSourceNumber(n) && backoff_[n - 1].Allows(clock_())) FetchSource(state_.currentSource);
}

bool RefreshCycle::FetchSource(SourceId source) {
    const int n = static_cast<int>(source);
    if (!IsSourceNumber(n)) return false;
    const std::uint64_t generation = ++generation_;
    // Another source's rows go at once; this source's stay on screen until a
    // new list replaces them, so a failed refresh leaves them as they were.
    if (state_.listSource != source) {
        ClearRows(source);
        FillStoredRows(source);
    }
    if (!routines_[n - 1]) return false;

    // Copied: a fetch started while this one waits may replace the routine.
    const FetchRoutine routine = routines_[n - 1];
    state_.fetching = true;
    if (listener_) listener_();
    const FetchResult result = routine();
    if (generation != generation_) return false;
    state_.fetching = false;

    const bool keepsRows = result.entries.empty() && list_.ItemCount() > 0;
    const TimePoint now = clock_();
    if (!keepsRows) {
        FillRows(source, result);
        if (keeper_ && !result.entries.empty())
            ApplyChangeMarkers(list_, keeper_(source, result, now));
    }
    RecordFetch(state_.health[n - 1], result, now);
    int retryAfter = 0;
    for (const RequestFailure& failure : result.failures)
        retryAfter = std::max(retryAfter, failure.retryAfterSeconds);
    backoff_[n - 1].Record(result.answeredBy < 0, retryAfter, now,
                           std::uniform_real_distribution<double>(0.0, 1.0)(jitter_));
    // Kept rows keep their age.
    if (!keepsRows && MovesLastUpdate(source, result.status)) state_.lastUpdate = now;
    if (listener_) listener_();
    if (fillListener_ && !result.entries.empty()) fillListener_(source, result);
    return true;
}

void RefreshCycle::FillRows(SourceId source, const FetchResult& result) {
    ClearRows(source);
    int rank = result.rankBase;
    for (const ListEntry& entry : result.entries) {
        ApplyRuleHighlight(list_, state_, source, FillRow(list_, state_, rank++, entry));
        state_.rowPages.push_back(entry.page);
        if (source == SourceId::kDouyin) state_.rowLinks.push_back(entry.links);
    }
    if (!result.entries.empty()) state_.listSource = source;
}

// A kept list counts from the moment it was fetched, so the age label tells its real age.
void RefreshCycle::FillStoredRows(SourceId source) {
    if (!storedLists_) return;
    const std::optional<HistoryList> stored = storedLists_(source);
    if (!stored || stored->rows.empty()) return;
    FillRows(source, StoredAnswer(*stored));
    state_.lastUpdate = stored->fetchedAt;
}

// The row links are Douyin's alone: only its fetches touch them.
void RefreshCycle::ClearRows(SourceId fetching) {
    list_.DeleteItem(-1);
    state_.rowPages.clear();
    state_.rowRules.clear();
    if (fetching == SourceId::kDouyin) state_.rowLinks.clear();
    state_.listSource = SourceId::kNone;
}

void RefreshCycle::Hold() {
    ++holds_;
}

void RefreshCycle::Release() {
    if (holds_ == 0 || --holds_ > 0) return;
    // A click fetches the source it shows, which a refresh would fetch again.
    const SourceId selection = std::exchange(heldSelection_, SourceId::kNone);
    const bool refresh = std::exchange(heldRefresh_, false);
    if (selection != SourceId::kNone) {
        SelectSource(selection);
    } else if (refresh) {
        RefreshCurrentSource();
    }
}

}  // namespace vantrel
