#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vantrel::test {

// Starts argv[0] (looked up on PATH when it names no folder) with the test's
// own environment changed by `environment`: "NAME=value" sets a variable,
// a bare "NAME" removes it. Standard input reads /dev/null, standard output
// goes to outFd (/dev/null when -1) and standard error to the file errorLog
// (/dev/null when empty). Returns the process id.
pid_t StartProcess(const std::vector<std::string>& argv,
                   const std::vector<std::string>& environment = {}, int outFd = -1,
                   const std::string& errorLog = {});

}  // namespace vantrel::test
