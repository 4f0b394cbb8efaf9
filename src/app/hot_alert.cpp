#include "app/hot_alert.h"

#include "app/source_health.h"
#include "net/code_page.h"

namespace vantrel {
namespace {

constexpr std::size_t kListedTitles = 5;

std::string AlertLine(const HotAlert& alert) {
    const std::string rank = alert.rank == 0 ? "置顶" : "第" + std::to_string(alert.rank) + "名";
    return rank + " · " + ToUtf8(alert.title);
}

}  // namespace

std::string AlertSummary(const AlertNotice& notice) {
    return "热点提醒 · " + SourceShortName(notice.source);
}

std::string AlertBody(const AlertNotice& notice) {
    if (notice.alerts.size() == 1) return AlertLine(notice.alerts.front());
    std::string body = std::to_string(notice.alerts.size()) + " 条热点";
    for (std::size_t i = 0; i < notice.alerts.size() && i < kListedTitles; ++i)
        body += "\n" + AlertLine(notice.alerts[i]);
    if (notice.alerts.size() > kListedTitles) body += "\n…";
    return body;
}

}  // namespace vantrel
