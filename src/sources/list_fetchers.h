#pragma once

#include <string>

#include "sources/fetch_result.h"

namespace vantrel {

// The four list sources. Each makes one request to its service host
// (sources/service_hosts.h), reads the answer and returns its entries in
// local text; the application fills the list from the result.
FetchResult FetchWeibo();    // rank base 0; fills only with more than 22 entries
FetchResult FetchBaidu();    // rank base 0; any non-empty board fills
FetchResult FetchToutiao();  // rank base 1; the answer is cut, not parsed
FetchResult FetchDouyin();   // rank base 1; more than 22 entries; links per entry

// The reading halves of FetchBaidu and FetchToutiao: what each makes of an
// answer's body (UTF-8 bytes) once it has arrived.
FetchResult ReadBaiduBoard(const std::string& body);
FetchResult ReadToutiaoWords(const std::string& body);

}  // namespace vantrel
