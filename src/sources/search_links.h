#pragma once

#include <string>

namespace vantrel {

// Links of the list actions, built from local text. Titles are percent-encoded
// as UTF-8, so "#", "&", "?" and blanks stay part of the search.
std::string WeiboSearchLink(const std::string& title);
std::string BaiduSearchLink(const std::string& title);

// The complete board of a source (1 Weibo .. 4 Douyin); empty for others.
std::string FullBoardLink(int source);

// Asks the Toutiao search for the title and returns "http" + the first
// "url=http" ... "&amp" item of the decoded answer; empty unless the answer
// holds at least two such items, or when the request fails.
std::string ToutiaoSearchLink(const std::string& title);

// A link in local text as the desktop opener wants it: UTF-8, with every byte
// that is not printable ASCII percent-encoded. ASCII links stay as they are.
std::string OpenerLink(const std::string& localLink);

}  // namespace vantrel
