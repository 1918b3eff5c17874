#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <functional>

namespace stampwell::test {

// Runs body in a child process in which no file may grow past maxFileSize bytes, so that a write
// fails for real (EFBIG) the way a full disk makes it fail. Returns the child's exit code.
inline int RunWithFileSizeLimit(std::uint64_t maxFileSize, const std::function<int()>& body) {
    pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{maxFileSize, maxFileSize};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace stampwell::test
