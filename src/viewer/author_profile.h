#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// An author's public profile, local text. The four texts that may be blank
// in the answer carry their stand-ins instead.
struct AuthorProfile {
    std::string avatarUrl;
    std::string uniqueId;  // "未设置" when blank
    std::string favoritingCount;
    std::string awemeCount;
    std::string followerCount;
    std::string followingCount;
    std::string customVerify;  // "未认证" when blank
    std::string nickname;      // "空白昵称" when blank
    std::string signature;     // "无个性签名" when blank
};

// Asks the profile API about uid. Nothing when the answer is not JSON or
// names no user.
std::optional<AuthorProfile> FetchAuthorProfile(std::string_view uid);

// The profile as lines of "label：value", local text, for a tooltip.
std::string AuthorProfileText(const AuthorProfile& profile);

}  // namespace vantrel
