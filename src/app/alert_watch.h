#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_state.h"
#include "app/hot_alert.h"
#include "app/refresh_cycle.h"
#include "rules/notified_titles.h"

namespace vantrel {

// Tells the desktop of titles that reach a list and match a rule that
// notifies: one notice per filled list, holding every such title that was not
// in the source's previous list and was not told in the last 24 hours.
// Nothing while state.doNotDisturb is on; the lists seen meanwhile still
// count as seen, so switching it off does not tell of them afterwards.
class AlertWatch {
  public:
    using Sender = std::function<void(const AlertNotice&)>;

    AlertWatch(
        const AppState& state, NotifiedTitles& notified, Sender send,
        Clock clock = [] { return std::chrono::system_clock::now(); });

    // Takes the list as the source's previous one without telling of it: the
    // list stored by an earlier run, so a start does not tell again of titles
    // that were already on the board.
    void RememberList(SourceId source, const FetchResult& result);

    // A fetch of the source gave these entries (ranks from result.rankBase).
    void OnListFilled(SourceId source, const FetchResult& result);

    // Fetches, without touching the shown list, every source but `shown` that
    // a notifying rule watches and that was not fetched in the last 25
    // seconds (5 minutes after a fetch that brought no list), and treats each
    // list as filled. A pass started while one runs (the fetches let events
    // run) does nothing.
    void WatchOtherSources(SourceId shown, const std::function<FetchRoutine(SourceId)>& routineOf);

  private:
    bool Watched(SourceId source) const;
    bool InPreviousList(SourceId source, std::string_view title) const;

    const AppState& state_;
    NotifiedTitles& notified_;
    Sender send_;
    Clock clock_;
    std::array<std::vector<std::string>, SOURCE_COUNT> previous_;
    std::array<TimePoint, SOURCE_COUNT> nextWatch_{};
    bool watching_ = false;
};

}  // namespace vantrel
