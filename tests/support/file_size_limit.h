// Running a check in a child process whose files may not grow past a size, so that a write
// fails as on a file size limit (EFBIG) without limiting the test program itself.
#pragma once

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vorlex::testing {

/// Runs @p check in a forked child under RLIMIT_FSIZE @p bytes (SIGXFSZ ignored, so write()
/// reports the error); true when the child ran it and it returned true.
inline bool passesUnderFileSizeLimit(rlim_t bytes, const std::function<bool()>& check) {
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit { bytes, bytes };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace vorlex::testing
