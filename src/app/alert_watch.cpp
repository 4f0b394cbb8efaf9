#include "app/alert_watch.h"

#include <algorithm>
#include <utility>

namespace vantrel {
namespace {

constexpr std::chrono::seconds kWatchSpacing{25};
// A source that gave nothing is not asked again soon: the shown list's own
// refreshes hold off after failures too.
constexpr std::chrono::minutes kWatchSpacingAfterFailure{5};

int Index(SourceId source) {
    return static_cast<int>(source) - 1;
}

}  // namespace

AlertWatch::AlertWatch(const AppState& state, NotifiedTitles& notified, Sender send, Clock clock)
    : state_(state), notified_(notified), send_(std::move(send)), clock_(std::move(clock)) {}

bool AlertWatch::InPreviousList(SourceId source, std::string_view title) const {
    const std::vector<std::string>& titles = previous_[Index(source)];
    return std::find(titles.begin(), titles.end(), title) != titles.end();
}

bool AlertWatch::Watched(SourceId source) const {
    const auto& rules = state_.rules.Rules();
    return std::any_of(rules.begin(), rules.end(), [&](const KeywordRule& rule) {
        return rule.notify && rule.sources[Index(source)];
    });
}

void AlertWatch::OnListFilled(SourceId source, const FetchResult& result) {
    if (!IsSourceNumber(static_cast<int>(source)) || result.entries.empty()) return;
    const TimePoint now = clock_();
    nextWatch_[Index(source)] = now + kWatchSpacing;
    AlertNotice notice{source, {}};
    int rank = result.rankBase;
    for (const ListEntry& entry : result.entries) {
        const int entryRank = rank++;
        if (!Watched(source) || InPreviousList(source, entry.title)) continue;
        const bool listed = std::any_of(notice.alerts.begin(), notice.alerts.end(),
                                        [&](const HotAlert& a) { return a.title == entry.title; });
        if (listed) continue;
        const auto matching = state_.rules.Matching(source, entry.title);
        const bool notifies = std::any_of(matching.begin(), matching.end(), [&](std::size_t i) {
            return state_.rules.Rules()[i].notify;
        });
        if (notifies && !notified_.Recently(entry.title, now))
            notice.alerts.push_back({source, entryRank, entry.title, entry.page, entry.links});
    }
    RememberList(source, result);

    if (notice.alerts.empty() || state_.doNotDisturb) return;
    std::vector<std::string> titles;
    for (const HotAlert& alert : notice.alerts)
        titles.push_back(alert.title);
    notified_.Note(titles, now);
    if (send_) send_(notice);
}

void AlertWatch::RememberList(SourceId source, const FetchResult& result) {
    if (!IsSourceNumber(static_cast<int>(source))) return;
    std::vector<std::string>& previous = previous_[Index(source)];
    previous.clear();
    for (const ListEntry& entry : result.entries)
        previous.push_back(entry.title);
}

void AlertWatch::WatchOtherSources(SourceId shown,
                                   const std::function<FetchRoutine(SourceId)>& routineOf) {
    if (watching_ || state_.doNotDisturb) return;
    watching_ = true;
    for (int n = 1; n <= SOURCE_COUNT; ++n) {
        const auto source = static_cast<SourceId>(n);
        if (source == shown || !Watched(source)) continue;
        if (clock_() < nextWatch_[n - 1]) continue;
        const FetchRoutine routine = routineOf(source);
        if (!routine) continue;
        nextWatch_[n - 1] = clock_() + kWatchSpacingAfterFailure;
        OnListFilled(source, routine());
    }
    watching_ = false;
}

}  // namespace vantrel
