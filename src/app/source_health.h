#pragma once

#include <string>

#include "app/app_state.h"
#include "sources/fetch_result.h"

namespace vantrel {

// Notes what one fetch of a source told: which request gave the list, or that
// none did, and the latest failure.
void RecordFetch(SourceHealth& health, const FetchResult& result, TimePoint now);

// "微博", "百度", "头条", "抖音" (UTF-8): the short names the tooltips and notifications use.
std::string SourceShortName(SourceId source);

// "主接口" for the documented request, "备用接口1", "备用接口2", ... for the fallbacks.
std::string RequestName(int request);

// The source button's tooltip: "微博 · 备用接口2 · 14:05 更新" and, once a
// request failed, a second line "上次失败：超时 · 主接口 · 14:03". Local time,
// local text.
std::string HealthText(SourceId source, const SourceHealth& health);

// The age label: the age of the list on screen, followed by " · 正在加载…"
// while a fetch waits or by " · 加载失败" when the current source's latest
// fetch got no list; either word alone when the list shows nothing of that
// source; empty before any fetch.
std::string StatusLabelText(const AppState& state, TimePoint now);

}  // namespace vantrel
