#include "support/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

namespace pitbox::test {

std::optional<std::string> inChild(const std::function<std::string()>& body, bool withoutRoot) {
    int fds[2];
    if (::pipe(fds) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (withoutRoot && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        const std::string out = body();
        ::_exit(::write(fds[1], out.data(), out.size()) == static_cast<ssize_t>(out.size()) ? 0 : 4);
    }
    ::close(fds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return out;
}

}  // namespace pitbox::test
