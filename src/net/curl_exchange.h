#pragma once

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

// The libcurl plumbing shared by the request routines. Not for callers
// outside src/net: they use HttpRequest, InetRequest and HttpGetBytes.
namespace vantrel::curl {

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// The agent name the blocking routines give the library by default.
inline constexpr const char* DEFAULT_AGENT = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// libcurl initialised once for the process; false when it cannot be.
bool Available();

// What one exchange brought back. The header block and body are those of the
// last answer only: a followed redirect or a "100 Continue" starts them anew.
struct Response {
    std::string headers;  // raw block: status line, header lines, empty line
    std::string body;     // at most MAX_BODY_BYTES
    long status = 0;
    bool headersDone = false;  // the block's empty line arrived
    bool hasLocation = false;
    std::string location;  // the last Location line's target
    bool capped = false;   // the body went past MAX_BODY_BYTES and was cut there
    bool following = false;
    // A redirect from https to http was met and not followed: the answer is
    // the redirect itself, complete as far as the caller is concerned.
    bool downgradeRefused = false;
    CURL* easy = nullptr;  // the handle this answer arrives on, for its scheme

    // Stall watch: the last time bytes moved either way, and how long a
    // stretch without any may last.
    std::chrono::steady_clock::time_point lastActivity = std::chrono::steady_clock::now();
    curl_off_t lastDown = 0, lastUp = 0;
    std::chrono::seconds stallLimit{30};

    // The answer the caller will see has all its headers: whatever fails
    // after this point fails while reading the body.
    bool FinalHeadersDone() const;
};

// How an exchange ended, from the caller's point of view.
enum class Outcome {
    kComplete,    // the whole answer arrived
    kNotSent,     // no connection, TLS refused, or the request could not be written
    kNoResponse,  // the request went out but no complete header block came back
    kReadFailed,  // the headers came, the body broke off (or hit the cap)
};

// A fresh handle with what every request here needs: HTTP/1.1, http and
// https only, no proxy from the environment, no signals, the answer captured
// into response.
Easy NewEasy(Response& response);

// Certificate checks against the system store plus the extra CA file, if one
// is set. Never switched off.
CURLcode VerifyTls(CURL* easy);

// Connect time-out, and a time-out for any stretch with no bytes moving
// (waiting for the answer included), both `seconds`; and a deadline of
// DEADLINE_FACTOR times `seconds` for the whole exchange, so a server that
// trickles bytes cannot hold it for ever.
inline constexpr long DEADLINE_FACTOR = 2;
CURLcode SetTimeouts(CURL* easy, Response& response, long seconds);

// The blocking routines' time-out (SetBlockingTimeoutSeconds).
long BlockingTimeoutSeconds();

// Follow redirects (at most 10, http and https only) or not.
CURLcode SetRedirects(CURL* easy, Response& response, bool follow);

// The verb of method 0..7 (anything else is GET) and, unless body is null,
// a request body that `body` keeps alive until the exchange is over.
CURLcode SetMethod(CURL* easy, int method, const std::string* body);
const char* VerbName(int method);

// Our header block as libcurl's list, sent exactly: libcurl's own Accept,
// Content-Type and Expect lines are held back unless the block has them, and
// so is the Authorization line it would make from credentials written in a
// redirect's target, unless the caller gives credentials of its own.
// Lines are CR LF separated; a line is cut at a lone CR or LF inside it, so
// no text of the caller's can smuggle in a header line of its own.
HeaderList HeaderLines(std::string_view block, bool callerCredentials = false);

// Uses the process-wide cookie store (see InetRequest).
CURLcode UseSharedCookies(CURL* easy);

// Runs the exchange, calling ProcessPendingMessages() between waits of at
// most 30 ms.
CURLcode PerformPumped(CURL* easy);

// Runs the exchange on the calling thread without pumping.
CURLcode PerformBlocking(CURL* easy);

// Takes one header line as libcurl hands it over (with its line end) into
// response.headers, ending it in CR LF whatever it ended in. False stops the
// exchange: a redirect that would leave https for http.
bool CollectHeaderLine(Response& response, std::string_view line);

// The exchange ended with the whole answer (a refused downgrade included).
bool Completed(CURLcode code, const Response& response);

Outcome Classify(CURL* easy, CURLcode code, const Response& response);

}  // namespace vantrel::curl
