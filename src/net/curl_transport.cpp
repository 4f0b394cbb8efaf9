#include "net/curl_transport.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>

#include "net/curl_exchange.h"
#include "net/exchange_limit.h"
#include "net/local_text.h"
#include "net/pending_messages.h"

namespace vantrel {
namespace {

std::mutex& SettingsMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& ExtraCaFile() {
    static std::string path;
    return path;
}

std::atomic<long>& BlockingSeconds() {
    static std::atomic<long> seconds{30};
    return seconds;
}

// The cookie store that InetRequest calls without cookies of their own share.
class SharedCookies {
  public:
    SharedCookies() : share_(curl_share_init()) {
        curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &Lock);
        curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &Unlock);
        curl_share_setopt(share_, CURLSHOPT_USERDATA, &mutex_);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    }
    CURLSH* get() const { return share_; }

    void Clear() {
        // A handle attached to the share reaches its cookies: "ALL" empties them.
        curl::Easy easy(curl_easy_init());
        if (!easy) return;
        curl_easy_setopt(easy.get(), CURLOPT_SHARE, share_);
        curl_easy_setopt(easy.get(), CURLOPT_COOKIELIST, "ALL");
    }

  private:
    static void Lock(CURL*, curl_lock_data, curl_lock_access, void* mutex) {
        static_cast<std::mutex*>(mutex)->lock();
    }
    static void Unlock(CURL*, curl_lock_data, void* mutex) {
        static_cast<std::mutex*>(mutex)->unlock();
    }
    CURLSH* share_;
    std::mutex mutex_;
};

SharedCookies& Cookies() {
    static SharedCookies cookies;
    return cookies;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    const std::string_view line(data, size * count);
    MarkExchangeAnswered();
    return curl::CollectHeaderLine(*static_cast<curl::Response*>(user), line) ? line.size() : 0;
}

// The value of a "Location:" line without its line end and blanks.
std::string_view LocationTarget(std::string_view line) {
    line.remove_prefix(std::string_view("Location:").size());
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' '))
        line.remove_suffix(1);
    return line;
}

bool OnSecureConnection(CURL* easy) {
    char* scheme = nullptr;
    return easy && curl_easy_getinfo(easy, CURLINFO_SCHEME, &scheme) == CURLE_OK && scheme &&
           StartsWithIgnoringCase(scheme, "https");
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto& r = *static_cast<curl::Response*>(user);
    // A cancelled request keeps nothing more: its body is not wanted.
    if (ExchangeCancelled()) return 0;
    size_t n = size * count;
    size_t room = MAX_BODY_BYTES - r.body.size();
    if (n > room) {
        r.body.append(data, room);
        r.capped = true;
        return 0;  // ends the transfer with CURLE_WRITE_ERROR
    }
    r.body.append(data, n);
    return n;
}

// Called by libcurl at least once a second: ends the exchange (with
// CURLE_ABORTED_BY_CALLBACK) when no byte has moved for the stall limit.
int OnProgress(void* user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
    auto& r = *static_cast<curl::Response*>(user);
    if (ExchangeStopped()) return 1;
    auto now = std::chrono::steady_clock::now();
    if (down != r.lastDown || up != r.lastUp) {
        r.lastDown = down;
        r.lastUp = up;
        r.lastActivity = now;
        return 0;
    }
    return now - r.lastActivity >= r.stallLimit ? 1 : 0;
}

}  // namespace

void SetExtraCaFile(std::string path) {
    std::lock_guard lock(SettingsMutex());
    ExtraCaFile() = std::move(path);
}

void SetBlockingTimeoutSeconds(int seconds) {
    BlockingSeconds() = seconds > 0 ? seconds : 30;
}

int CurrentBlockingTimeoutSeconds() {
    return static_cast<int>(BlockingSeconds());
}

void ClearSharedCookies() {
    if (curl::Available()) Cookies().Clear();
}

namespace curl {

bool Available() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

bool Response::FinalHeadersDone() const {
    bool followedAway = following && hasLocation && status >= 300 && status < 400 &&
                        status != 304 && status != 305 && status != 306 && status != 300;
    return headersDone && status >= 200 && !followedAway;
}

Easy NewEasy(Response& response) {
    MarkExchangeStarted();
    Easy easy(curl_easy_init());
    if (!easy) return easy;
    CURL* e = easy.get();
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    // Empty: no proxy unless the caller names one, whatever the environment says.
    curl_easy_setopt(e, CURLOPT_PROXY, "");
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &response);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &response);
    response.easy = e;
    return easy;
}

CURLcode VerifyTls(CURL* easy) {
    CURLcode code = curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    if (code == CURLE_OK) code = curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    std::lock_guard lock(SettingsMutex());
    // CAINFO takes the place of the built-in bundle file; the system folder
    // (CAPATH, /etc/ssl/certs) is still searched, so the file adds to it.
    if (code == CURLE_OK && !ExtraCaFile().empty())
        code = curl_easy_setopt(easy, CURLOPT_CAINFO, ExtraCaFile().c_str());
    return code;
}

CURLcode SetTimeouts(CURL* easy, Response& response, long seconds) {
    response.stallLimit = std::chrono::seconds(seconds);
    // A caller's shared budget (exchange_limit.h) may end the exchange sooner.
    CURLcode code =
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, RemainingMilliseconds(seconds * 1000));
    if (code == CURLE_OK) {
        code = curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS,
                                RemainingMilliseconds(DEADLINE_FACTOR * seconds * 1000));
    }
    // libcurl's own low-speed check averages over several seconds, so a
    // server that sends a little and then stops would outlast the time-out;
    // the progress callback watches for the stall itself.
    if (code == CURLE_OK) code = curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    if (code == CURLE_OK) code = curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &response);
    if (code == CURLE_OK) code = curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    return code;
}

long BlockingTimeoutSeconds() {
    return BlockingSeconds();
}

CURLcode SetRedirects(CURL* easy, Response& response, bool follow) {
    response.following = follow;
    CURLcode code = curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L);
    if (code == CURLE_OK) code = curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    if (code == CURLE_OK) code = curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    return code;
}

const char* VerbName(int method) {
    static const char* const verbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                        "OPTIONS", "DELETE", "TRACE", "CONNECT"};
    return method >= 0 && method <= 7 ? verbs[method] : verbs[0];
}

CURLcode SetMethod(CURL* easy, int method, const std::string* body) {
    const char* verb = VerbName(method);
    CURLcode code = CURLE_OK;
    if (std::string_view(verb) == "HEAD") return curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    if (body) {
        code = curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                                static_cast<curl_off_t>(body->size()));
        if (code == CURLE_OK) code = curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body->data());
    }
    // POST is libcurl's own verb for a body: it then turns into GET on a
    // 301/302/303 redirect, as browsers do. Any other verb is named outright.
    if (code == CURLE_OK && std::string_view(verb) != "POST" && (body || method != 0))
        code = curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb);
    return code;
}

HeaderList HeaderLines(std::string_view block, bool callerCredentials) {
    curl_slist* list = nullptr;
    bool accept = false, contentType = false, expect = false, authorization = callerCredentials;
    for (const std::string& line : SplitText(block, "\r\n")) {
        std::string entry = line.substr(0, line.find_first_of("\r\n"));
        if (entry.empty()) continue;
        accept = accept || StartsWithIgnoringCase(entry, "Accept:");
        contentType = contentType || StartsWithIgnoringCase(entry, "Content-Type:");
        expect = expect || StartsWithIgnoringCase(entry, "Expect:");
        authorization = authorization || StartsWithIgnoringCase(entry, "Authorization:");
        // libcurl reads "Name:" with nothing after it as "do not send Name";
        // "Name;" is how it is told to send the header empty.
        if (entry.back() == ':' && entry.find(':') == entry.size() - 1) entry.back() = ';';
        list = curl_slist_append(list, entry.c_str());
    }
    if (!accept) list = curl_slist_append(list, "Accept:");
    if (!contentType) list = curl_slist_append(list, "Content-Type:");
    if (!expect) list = curl_slist_append(list, "Expect:");
    if (!authorization) list = curl_slist_append(list, "Authorization:");
    return HeaderList(list);
}

CURLcode UseSharedCookies(CURL* easy) {
    CURLcode code = curl_easy_setopt(easy, CURLOPT_SHARE, Cookies().get());
    // An empty file name switches the cookie engine on without reading a file.
    if (code == CURLE_OK) code = curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    return code;
}

namespace {

struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};

// Takes the handle out of the multi handle however the wait ends, a hook
// that throws included.
class Attached {
  public:
    Attached(CURLM* multi, CURL* easy)
        : multi_(multi), easy_(easy), ok_(curl_multi_add_handle(multi, easy) == CURLM_OK) {}
    ~Attached() {
        if (ok_) curl_multi_remove_handle(multi_, easy_);
    }
    Attached(const Attached&) = delete;
    Attached& operator=(const Attached&) = delete;
    bool ok() const { return ok_; }

  private:
    CURLM* multi_;
    CURL* easy_;
    bool ok_;
};

}  // namespace

CURLcode PerformPumped(CURL* easy) {
    std::unique_ptr<CURLM, MultiDeleter> owner(curl_multi_init());
    CURLM* multi = owner.get();
    if (!multi) return CURLE_OUT_OF_MEMORY;
    CURLcode result = CURLE_FAILED_INIT;
    Attached attached(multi, easy);
    if (attached.ok()) {
        int running = 1;
        while (running) {
            if (curl_multi_perform(multi, &running) != CURLM_OK) break;
            if (!running) break;
            // Wakes at once on socket activity, else after 30 ms: the window
            // gets a turn at least that often.
            curl_multi_poll(multi, nullptr, 0, 30, nullptr);
            if (ExchangeStopped()) break;
            ProcessPendingMessages();
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE) result = message->data.result;
        }
    }
    return result;
}

CURLcode PerformBlocking(CURL* easy) {
    return curl_easy_perform(easy);
}

bool CollectHeaderLine(Response& r, std::string_view line) {
    if (line.starts_with("HTTP/")) {
        // A new answer (after a redirect or an interim 1xx): it replaces the last.
        r.headers.clear();
        r.body.clear();
        r.capped = false;
        r.headersDone = false;
        r.hasLocation = false;
        r.location.clear();
        r.status = std::strtol(std::string(line.substr(std::min<size_t>(9, line.size()))).c_str(),
                               nullptr, 10);
    } else if (r.headersDone) {
        return true;  // trailers of a chunked body are not part of the block
    }
    // libcurl takes a bare LF as a line end too; the block is CR LF throughout.
    std::string_view content = line;
    if (content.ends_with('\n')) content.remove_suffix(1);
    if (content.ends_with('\r')) content.remove_suffix(1);
    r.headers.append(content).append("\r\n");
    if (StartsWithIgnoringCase(line, "Location:")) {
        r.hasLocation = true;
        r.location = LocationTarget(line);
    }
    if (!content.empty()) return true;
    r.headersDone = true;
    const bool redirect = r.status >= 300 && r.status < 400;
    if (r.following && redirect && r.hasLocation && StartsWithIgnoringCase(r.location, "http:") &&
        OnSecureConnection(r.easy)) {
        r.downgradeRefused = true;
        return false;
    }
    return true;
}

bool Completed(CURLcode code, const Response& response) {
    return (code == CURLE_OK && !response.capped) || response.downgradeRefused;
}

Outcome Classify(CURL* easy, CURLcode code, const Response& response) {
    if (Completed(code, response)) return Outcome::kComplete;
    if (response.FinalHeadersDone()) return Outcome::kReadFailed;
    switch (code) {
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SEND_ERROR:
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
            return Outcome::kNotSent;
        default:
            break;
    }
    // A time-out before the connection was up is a failure to send.
    curl_off_t pretransfer = 0;
    curl_easy_getinfo(easy, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    return pretransfer == 0 ? Outcome::kNotSent : Outcome::kNoResponse;
}

}  // namespace curl
}  // namespace vantrel
