#include "app/list_history.h"

#include <utility>

#include "app/format_elapsed.h"
#include "app/stored_list.h"
#include "net/code_page.h"

namespace vantrel {

namespace {

std::string Key(SourceId source) {
    return std::string(SOURCE_NAMES[static_cast<int>(source) - 1]);
}

}  // namespace

std::string TopicTipText(const TopicStats& stats) {
    return Utf8ToLocal("首次上榜 " + LocalTimeText(stats.firstSeen, "%m-%d %H:%M") + "\n最高第" +
                       std::to_string(stats.bestRank) + "名 · 今日在榜" +
                       std::to_string(stats.minutesToday) + "分钟");
}

ListHistory::ListHistory(std::filesystem::path path) : store_(std::move(path), false) {}

void ListHistory::CheckOnce() {
    if (std::exchange(checked_, true) || !store_.Available()) return;
    store_.CheckFile();
}

std::vector<RankChange> ListHistory::Keep(SourceId source, const FetchResult& result,
                                          TimePoint fetchedAt) {
    CheckOnce();
    if (!store_.Available() || !IsSourceNumber(static_cast<int>(source))) return {};
    return store_.Store(ToHistoryList(source, result, fetchedAt)).changes;
}

std::optional<HistoryList> ListHistory::Latest(SourceId source) {
    if (!store_.Available() || !IsSourceNumber(static_cast<int>(source))) return std::nullopt;
    return store_.LatestList(Key(source));
}

std::string ListHistory::RowTip(SourceId source, const std::string& title, TimePoint now) {
    if (!store_.Available() || !IsSourceNumber(static_cast<int>(source))) return {};
    const std::optional<TopicStats> stats = store_.Stats(Key(source), ToUtf8(title), now);
    return stats ? TopicTipText(*stats) : std::string();
}

std::string ListHistory::Problem() const {
    return Utf8ToLocal(store_.Problem());
}

}  // namespace vantrel
