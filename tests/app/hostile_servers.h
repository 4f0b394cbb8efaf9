#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/loopback_server.h"

namespace vantrel::test {

// The service time-out the hostile runs give the program, in seconds. Every
// request has a total deadline of twice its time-out, so even a server that
// keeps a request alive byte by byte lets it go by then.
inline constexpr int kHostileTimeoutSeconds = 1;
inline constexpr std::chrono::seconds kDeadline{2 * kHostileTimeoutSeconds};

// What a misbehaving server does to every request it gets.
struct HostileKind {
    const char* name;
    Reply (*reply)(const std::string& request);
    bool refuses;  // nothing listens at all
    bool slow;     // the answer never ends by itself; only the time-outs end it
};

// Refuses, resets mid-body, drips a byte at a time (each well within the
// time-out, so only the deadline ends it), never answers, answers 500,
// redirects to itself, sends 100 MB, sends invalid UTF-8, sends HTML.
const std::vector<HostileKind>& HostileKinds();

// A list source as the program names it, the path of its list request and the
// centre of its button in the window.
struct ListSource {
    const char* name;
    const char* path;
    int buttonX;
    int buttonY;
    // Waits in the request routine that lets events run. That routine also
    // reports a body that broke off (or hit the size cap) as a failed read,
    // which the source takes for no answer; the other hands back what came.
    bool pumped;
};
const std::vector<ListSource>& ListSources();

// The program as built beside the tests.
std::string ProgramPath();

// Starts the program with the arguments and its settings (and kept lists, in
// configHome/data) in configHome; its
// standard output is thrown away and its standard error goes to errorLog
// (thrown away too when empty). Returns the process id.
pid_t StartProgram(const std::vector<std::string>& arguments, const std::string& configHome,
                   const std::string& errorLog = {});

struct ProgramEnd {
    bool exited = false;  // ended by itself with an exit status (no signal, no time-out)
    int status = -1;
    long maxRssKb = 0;
    std::chrono::milliseconds took{0};
};

// Waits for the processes to end, all at once; kills those still running
// `limit` after `started`. Each one's time counts from `started`.
std::vector<ProgramEnd> WaitForPrograms(const std::vector<pid_t>& pids,
                                        std::chrono::steady_clock::time_point started,
                                        std::chrono::milliseconds limit);

// The resident memory of a running process, from /proc; 0 when it is gone.
long ResidentKb(pid_t pid);

}  // namespace vantrel::test
