#include "viewer/author_profile.h"

#include "json/json_object.h"
#include "net/code_page.h"
#include "net/http_request.h"
#include "sources/service_hosts.h"

namespace vantrel {
namespace {

// Literals here are UTF-8 source text; every profile text is local text.
std::string Local(const char* utf8) {
    return Utf8ToLocal(std::string_view(utf8));
}

std::string OrElse(std::string text, const char* standIn) {
    return text.empty() ? Local(standIn) : text;
}

}  // namespace

std::optional<AuthorProfile> FetchAuthorProfile(std::string_view uid) {
    HttpRequestArgs args;
    args.url = ServiceUrl(ServiceHost::kDouyinWeb, "https",
                          "/web/api/v2/user/info/?uid=" + std::string(uid));
    JsonObject json = JsonObject::Create();
    JsonError error;
    json.Load(Utf8ToLocal(HttpRequest(args)), true, error, false);
    std::optional<AuthorProfile> profile;
    if (!json.GetText("user_info.uid", false).empty()) {
        auto text = [&json](const char* path) { return json.GetText(path, false); };
        profile = AuthorProfile{
            text("user_info.avatar_larger.url_list[0]"),
            OrElse(text("user_info.unique_id"), "未设置"),
            text("user_info.favoriting_count"),
            text("user_info.aweme_count"),
            text("user_info.follower_count"),
            text("user_info.following_count"),
            OrElse(text("user_info.custom_verify"), "未认证"),
            OrElse(text("user_info.nickname"), "空白昵称"),
            OrElse(text("user_info.signature"), "无个性签名"),
        };
    }
    json.Destroy();
    return profile;
}

std::string AuthorProfileText(const AuthorProfile& profile) {
    const std::pair<const char*, const std::string*> lines[] = {
        {"昵称", &profile.nickname},      {"抖音号", &profile.uniqueId},
        {"认证", &profile.customVerify},  {"签名", &profile.signature},
        {"作品", &profile.awemeCount},    {"喜欢", &profile.favoritingCount},
        {"粉丝", &profile.followerCount}, {"关注", &profile.followingCount},
    };
    std::string text;
    for (const auto& [label, value] : lines) {
        if (!text.empty()) text += "\n";
        text += Local(label) + Local("：") + *value;
    }
    return text;
}

}  // namespace vantrel
