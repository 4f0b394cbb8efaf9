#include "app/source_health.h"

#include <ctime>

#include "app/format_elapsed.h"
#include "net/code_page.h"

namespace vantrel {

std::string SourceShortName(SourceId source) {
    switch (source) {
        case SourceId::kWeibo:
            return "微博";
        case SourceId::kBaidu:
            return "百度";
        case SourceId::kToutiao:
            return "头条";
        case SourceId::kDouyin:
            return "抖音";
        default:
            return {};
    }
}

namespace {

std::string FailureName(const RequestFailure& failure) {
    switch (failure.failure) {
        case FetchFailure::kTimeout:
            return "超时";
        case FetchFailure::kNoConnection:
            return "无法连接";
        case FetchFailure::kHttpStatus:
            return "HTTP " + std::to_string(failure.httpStatus);
        case FetchFailure::kUnreadable:
            return "无法解析";
        case FetchFailure::kTooFew:
            return "条目过少";
        case FetchFailure::kNone:
            break;
    }
    return {};
}

std::string ClockText(TimePoint moment) {
    return LocalTimeText(moment, "%H:%M");
}

}  // namespace

void RecordFetch(SourceHealth& health, const FetchResult& result, TimePoint now) {
    if (result.answeredBy >= 0 && result.status != FetchStatus::kRequestFailed) {
        health.answeredBy = result.answeredBy;
        health.answeredAt = now;
    }
    if (!result.failures.empty()) {
        health.lastFailure = result.failures.back();
        health.failedAt = now;
    }
    health.lastFetchFailed = result.answeredBy < 0 || result.status == FetchStatus::kRequestFailed;
}

std::string RequestName(int request) {
    return Utf8ToLocal(request == 0 ? std::string("主接口") : "备用接口" + std::to_string(request));
}

std::string HealthText(SourceId source, const SourceHealth& health) {
    std::string text = SourceShortName(source) + " · ";
    text += health.answeredBy < 0 ? std::string("尚无列表")
                                  : ToUtf8(RequestName(health.answeredBy)) + " · " +
                                        ClockText(health.answeredAt) + " 更新";
    if (health.failedAt != TimePoint{}) {
        text += "\n上次失败：" + FailureName(health.lastFailure) + " · " +
                ToUtf8(RequestName(health.lastFailure.request)) + " · " +
                ClockText(health.failedAt);
    }
    return Utf8ToLocal(text);
}

std::string StatusLabelText(const AppState& state, TimePoint now) {
    const int n = static_cast<int>(state.currentSource);
    const bool failed = IsSourceNumber(n) && state.health[n - 1].lastFetchFailed;
    // A list still on screen keeps its age, with the failure or the load beside it.
    const bool listShown =
        state.listSource == state.currentSource && state.lastUpdate != TimePoint{};
    if (state.fetching) {
        const std::string loading = Utf8ToLocal("正在加载…");
        return listShown ? AgeLabelText(now, state.lastUpdate) + Utf8ToLocal(" · ") + loading
                         : loading;
    }
    if (failed && !listShown) return Utf8ToLocal("加载失败");
    if (state.lastUpdate == TimePoint{}) return {};
    const std::string age = AgeLabelText(now, state.lastUpdate);
    return failed ? age + Utf8ToLocal(" · 加载失败") : age;
}

}  // namespace vantrel
