#include "app/hostile_servers.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "support/child_process.h"

namespace vantrel::test {
namespace {

using namespace std::chrono_literals;

Reply ResetMidBody(const std::string&) {
    Reply reply;
    reply.bytes =
        "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 5000\r\n\r\n"
        "{\"cards\":[{\"card_group\":[{\"desc\":\"";
    reply.end = Reply::End::kReset;
    return reply;
}

// The header block at once, then the body a byte at a time.
Reply Drip(const std::string&) {
    const std::string body = std::string(300, ' ') + "{}";
    Reply reply = HttpReply("HTTP/1.1 200 OK", body);
    reply.dripAfter = reply.bytes.size() - body.size();
    reply.dripChunk = 1;
    reply.dripDelay = 400ms;
    return reply;
}

Reply NeverAnswer(const std::string&) {
    Reply reply;
    reply.silent = true;
    reply.end = Reply::End::kHang;
    return reply;
}

Reply ServerError(const std::string&) {
    return HttpReply("HTTP/1.1 500 Internal Server Error", "<html><body>error</body></html>");
}

Reply RedirectToItself(const std::string& request) {
    return HttpReply("HTTP/1.1 302 Found", "", {"Location: " + RequestTarget(request)});
}

// Left out of the kinds under the address sanitizer (see below).
[[maybe_unused]] Reply HundredMegabytes(const std::string&) {
    Reply reply;
    reply.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 104857600\r\nConnection: close\r\n\r\n";
    reply.fillerBytes = 100u << 20;
    return reply;
}

Reply InvalidUtf8(const std::string&) {
    return HttpReply(
        "HTTP/1.1 200 OK",
        "\xFF\xFE{\"cards\":[{\"card_group\":\xC3(\x80\xED\xA0\x80 \"word\":\"\xF8\x88",
        {"Content-Type: application/json; charset=utf-8"});
}

Reply HtmlForJson(const std::string&) {
    return HttpReply("HTTP/1.1 200 OK",
                     "<!DOCTYPE html><html><head><title>\xE9\xAA\x8C\xE8\xAF\x81</title></head>"
                     "<body><!--s-data:{\"data\": --></body></html>",
                     {"Content-Type: text/html; charset=utf-8"});
}

}  // namespace

const std::vector<HostileKind>& HostileKinds() {
    static const std::vector<HostileKind> kinds = {
        {"refuse", nullptr, true, false},
        {"reset mid-body", &ResetMidBody, false, false},
        {"drip", &Drip, false, true},
        {"never answer", &NeverAnswer, false, true},
        {"500", &ServerError, false, false},
        {"redirect to itself", &RedirectToItself, false, false},
#if !defined(__SANITIZE_ADDRESS__)
        // Under the address sanitizer its shadow and quarantine make any memory
        // bound meaningless, and 64 MiB take minutes to scan unoptimised.
        {"100 MB", &HundredMegabytes, false, false},
#endif
        {"invalid UTF-8", &InvalidUtf8, false, false},
        {"HTML for JSON", &HtmlForJson, false, false},
    };
    return kinds;
}

const std::vector<ListSource>& ListSources() {
    static const std::vector<ListSource> sources = {
        {"weibo", "/2/guest/page", 45, 76, true},
        {"baidu", "/board", 117, 76, false},
        {"toutiao", "/api/suggest_words/", 189, 76, false},
        {"douyin", "/aweme/v1/creator/data/billboard/", 262, 76, true},
    };
    return sources;
}

std::string ProgramPath() {
    return VANTREL_BINARY_DIR "/vantrel";
}

pid_t StartProgram(const std::vector<std::string>& arguments, const std::string& configHome,
                   const std::string& errorLog) {
    std::vector<std::string> argv{ProgramPath()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    // The lists it keeps stay in the run's own folder too.
    return StartProcess(argv,
                        {"XDG_CONFIG_HOME=" + configHome, "XDG_DATA_HOME=" + configHome + "/data",
                         "QT_QPA_PLATFORM"},
                        -1, errorLog);
}

std::vector<ProgramEnd> WaitForPrograms(const std::vector<pid_t>& pids,
                                        std::chrono::steady_clock::time_point started,
                                        std::chrono::milliseconds limit) {
    std::vector<ProgramEnd> ends(pids.size());
    std::vector<bool> done(pids.size(), false);
    for (size_t left = pids.size(); left > 0;) {
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - started);
        const bool late = took > limit;
        for (size_t i = 0; i < pids.size(); ++i) {
            if (done[i]) continue;
            if (late) ::kill(pids[i], SIGKILL);
            int status = 0;
            rusage usage{};
            if (::wait4(pids[i], &status, late ? 0 : WNOHANG, &usage) != pids[i]) continue;
            done[i] = true;
            --left;
            ends[i].took = took;
            ends[i].exited = !late && WIFEXITED(status);
            ends[i].status = ends[i].exited ? WEXITSTATUS(status) : -1;
            ends[i].maxRssKb = usage.ru_maxrss;
        }
        if (left > 0) std::this_thread::sleep_for(20ms);
    }
    return ends;
}

long ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

}  // namespace vantrel::test
