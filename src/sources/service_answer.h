#pragma once

#include <string>

#include "sources/fetch_result.h"

namespace vantrel {

// One answer of a service, as the list sources use it.
struct ServiceAnswer {
    bool arrived = false;                        // any answer at all
    int httpStatus = 0;                          // the final status line's code; 0 when unknown
    std::string body;                            // as the routine returned it
    FetchFailure failure = FetchFailure::kNone;  // kTimeout or kNoConnection when nothing arrived
    int retryAfterSeconds = 0;                   // a 429 or 503 answer's Retry-After, in seconds
};

struct ServiceCall {
    std::string url;
    std::string headers;        // extra header lines, CR LF separated
    bool browserAgent = false;  // send a desktop browser's User-Agent
    int timeoutSeconds = 0;     // 0: the routine's default
};

// Through HttpRequest. A documented request passes only the url, so that the
// call stays exactly as documented.
ServiceAnswer HttpAnswer(const ServiceCall& call);
// Through InetRequest, with the bounded time-outs of the blocking routines.
ServiceAnswer InetAnswer(const std::string& url);
// The cookies a plain GET of url sets (its own answer, no redirect followed),
// as one "name=value; name2=value2" Cookie value.
std::string BootstrapCookies(const std::string& url, int timeoutSeconds);

// The seconds a "Retry-After:" line of a header block asks for (any case of
// the name); 0 when there is none or it gives a date.
int RetryAfterSeconds(std::string_view headers);

// Whether an answer can be read at all: it arrived with no error status.
FetchFailure AnswerFailure(const ServiceAnswer& answer);

}  // namespace vantrel
