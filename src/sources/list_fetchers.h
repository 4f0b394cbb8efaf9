#pragma once

#include <string>

#include "sources/fetch_result.h"

namespace vantrel {

// The four list sources. Each first makes its documented request to its
// service host (sources/service_hosts.h); when that gives no list (no answer,
// an error status, an unreadable answer or too few entries) it tries the
// source's fallback requests in order. The result holds the entries in local
// text, which request gave them and why the ones before failed; the
// application fills the list from it.
FetchResult FetchWeibo();    // rank base 0; fills only with more than 22 entries
FetchResult FetchBaidu();    // rank base 0; any non-empty board fills
FetchResult FetchToutiao();  // rank base 1; the answer is cut, not parsed
FetchResult FetchDouyin();   // rank base 1; more than 22 entries; links per entry

// The reading halves of the documented Baidu and Toutiao requests: what each
// makes of an answer's body (UTF-8 bytes) once it has arrived.
FetchResult ReadBaiduBoard(const std::string& body);
FetchResult ReadToutiaoWords(const std::string& body);

}  // namespace vantrel
