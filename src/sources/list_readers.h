#pragma once

#include <string>
#include <vector>

#include "sources/fetch_result.h"

namespace vantrel {

// Each reader takes an answer already converted to local text and returns its
// entries; false when the text does not parse as JSON (entries stay empty).
// They apply no entry threshold: the sources do.

// The documented Weibo answer; the mobile site's container API answers alike.
bool ReadWeiboCards(const std::string& text, std::vector<ListEntry>& entries);
// The desktop site's side-bar hot search: data.realtime[], advertisements left out.
bool ReadWeiboSideHot(const std::string& text, std::vector<ListEntry>& entries);
// Baidu's embedded data, whichever of its known shapes holds the entries.
bool ReadBaiduData(const std::string& text, std::vector<ListEntry>& entries);
// Toutiao's hot board: data[], each row opening its trending page.
bool ReadToutiaoHotBoard(const std::string& text, std::vector<ListEntry>& entries);
// The documented Douyin billboard, with each entry's video links.
bool ReadDouyinBillboard(const std::string& text, std::vector<ListEntry>& entries);
// Douyin's hot-search word list: data.word_list[], each row opening its hot page.
bool ReadDouyinWordList(const std::string& text, std::vector<ListEntry>& entries);

// Keeps letters, digits, "_" and "-" of an id that goes into a link.
std::string LinkSafeId(const std::string& id);

}  // namespace vantrel
