#include "viewer/video_item.h"

#include <cmath>

#include "json/json_object.h"
#include "net/code_page.h"
#include "net/http_request.h"
#include "net/local_text.h"
#include "sources/service_hosts.h"

namespace vantrel {
namespace {

// A member taken as its JSON text, so a number comes back as its digits.
std::string JsonTextAt(JsonObject& json, const std::string& path) {
    JsonObject value = json.GetObject(path);
    std::string text = value.ToText();
    value.Destroy();
    return text;
}

std::string ResolvePlayAddress(const std::string& playUrl) {
    if (playUrl.empty()) return {};
    std::string location;
    HttpRequestArgs args;
    args.url = ReplaceAll(playUrl, "playwm", "play");
    args.method = 1;
    args.extraHeaders = PLAY_AGENT_HEADER;
    args.noRedirect = true;
    args.location = &location;
    HttpRequest(args);
    return location;
}

void ReadItem(JsonObject& json, VideoItem& item) {
    item.nickname = json.GetText("item_list[0].author.nickname", false);
    item.description = json.GetText("item_list[0].desc", false);
    item.avatarUrl = json.GetText("['item_list'][0].author['avatar_thumb']['url_list'][0]", false);
    item.coverUrl = json.GetText("item_list[0].video.cover.url_list[0]", false);
    const double seconds = std::trunc(json.GetNumber("item_list[0].video.duration") / 1000);
    item.durationSeconds = std::to_string(static_cast<long long>(seconds));
    item.likeCount = JsonTextAt(json, "['item_list'][0].statistics['digg_count']");
    item.commentCount = JsonTextAt(json, "['item_list'][0].statistics['comment_count']");
    item.awemeId = json.GetText("['item_list'][0].statistics['aweme_id']", false);
    item.createTime = JsonTextAt(json, "['item_list'][0]['create_time']");
    item.authorUid = json.GetText("['item_list'][0].author.uid", false);
}

}  // namespace

std::string ItemIdOfLink(std::string_view link) {
    return TextBetween(link, "video/", "/");
}

bool FetchVideoItem(std::string_view link, VideoItem& item) {
    HttpRequestArgs args;
    args.url = ServiceUrl(ServiceHost::kDouyinWeb, "https",
                          "/web/api/v2/aweme/iteminfo/?item_ids=" + ItemIdOfLink(link));
    const std::string answer = Utf8ToLocal(HttpRequest(args));
    JsonObject json = JsonObject::Create();
    JsonError error;
    const bool parsed = json.Load(answer, true, error, false);
    if (!parsed || json.GetText("status_code", false) != "0") {
        json.Destroy();
        return false;
    }
    VideoItem read;
    ReadItem(json, read);
    read.playAddress =
        ResolvePlayAddress(json.GetText("item_list[0].video.play_addr.url_list[0]", false));
    json.Destroy();
    item = std::move(read);
    return true;
}

}  // namespace vantrel
