#pragma once
// File permissions as an ordinary user meets them: root reads and writes every file, so a probe of them
// runs in a child process that has become nobody.
#include <functional>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fixtures {

// What asOrdinaryUser gives when the probe could not run as an ordinary user.
constexpr int kCouldNotRunAsOrdinaryUser = 255;

// Runs `probe` as an ordinary user when the tests run as root, and gives its result (0 to 254).
inline int asOrdinaryUser(const std::function<int()>& probe) {
    if (::geteuid() != 0)
        return probe();
    constexpr uid_t kNobody = 65534;
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        ::_exit(dropped ? probe() & 0xFF : kCouldNotRunAsOrdinaryUser);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : kCouldNotRunAsOrdinaryUser;
}

} // namespace fixtures
