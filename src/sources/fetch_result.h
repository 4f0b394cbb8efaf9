#pragma once

#include <string>
#include <vector>

namespace vantrel {

// One entry of a service's list, as the source read it, in local text.
struct ListEntry {
    std::string title;
    std::string tag;  // Weibo icon word ("hot", "new", "fei", ...) or Baidu digit; may be empty
    std::string description;  // Baidu only: shown as the row's tooltip
    std::string links;        // Douyin only: the entry's video links, "|"-joined in reverse order
    std::string page{};       // a page activation opens directly (rows of some fallback requests)
};

// Why one request of a source gave no list.
enum class FetchFailure {
    kNone,
    kTimeout,       // no answer within the time-out
    kNoConnection,  // no answer at all, before the time-out
    kHttpStatus,    // an error status (httpStatus)
    kUnreadable,    // an answer that could not be read as the source's data
    kTooFew,        // read, but with too few entries for the source's rule
};

struct RequestFailure {
    int request = 0;  // 0 the documented request, 1.. the fallbacks in order
    FetchFailure failure = FetchFailure::kNone;
    int httpStatus = 0;
    int retryAfterSeconds = 0;  // how long a 429 or 503 asked callers to wait
};

enum class FetchStatus {
    kRequestFailed,  // no answer at all: the age label keeps counting from the previous refresh
    kUnparsed,       // an answer arrived but could not be read
    kParsed,  // the answer was read (it may still have held too few entries to fill the list)
};

// What a fetch routine hands back; the application fills the list from it.
struct FetchResult {
    FetchStatus status = FetchStatus::kRequestFailed;
    int rankBase = 0;                // rank of the first entry: 0 (pinned first) or 1
    std::vector<ListEntry> entries;  // empty when the answer held too few entries
    int answeredBy = 0;  // the request whose list this is (0 documented); -1 when none gave one
    std::vector<RequestFailure> failures{};  // the requests tried before, in order
};

}  // namespace vantrel
