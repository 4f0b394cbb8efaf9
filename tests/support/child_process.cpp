#include "support/child_process.h"

#include <fcntl.h>
#include <unistd.h>

#include <string_view>

namespace vantrel::test {

namespace {

std::string_view NameOf(std::string_view entry) {
    return entry.substr(0, entry.find('='));
}

// The test's environment less every variable `changes` names, then the
// changes that set one.
std::vector<std::string> ChangedEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> entries;
    for (char** e = environ; *e; ++e) {
        bool changed = false;
        for (const std::string& change : changes)
            changed = changed || NameOf(*e) == NameOf(change);
        if (!changed) entries.emplace_back(*e);
    }
    for (const std::string& change : changes)
        if (change.find('=') != std::string::npos) entries.push_back(change);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

pid_t StartProcess(const std::vector<std::string>& argv,
                   const std::vector<std::string>& environment, int outFd,
                   const std::string& errorLog) {
    // Everything the child needs is made before the fork: tests run server
    // threads, and between fork and exec only async-signal-safe calls are
    // sound, so no setenv and no allocation there.
    std::vector<std::string> args = argv;
    std::vector<std::string> entries = ChangedEnvironment(environment);
    const std::vector<char*> argp = Pointers(args);
    const std::vector<char*> envp = Pointers(entries);
    const std::string errorPath = errorLog.empty() ? "/dev/null" : errorLog;

    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    const int null = ::open("/dev/null", O_RDWR);
    const int error = ::open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(null, STDIN_FILENO);
    ::dup2(outFd >= 0 ? outFd : null, STDOUT_FILENO);
    ::dup2(error >= 0 ? error : null, STDERR_FILENO);
    ::execvpe(argp[0], argp.data(), envp.data());
    ::_exit(127);
}

}  // namespace vantrel::test
