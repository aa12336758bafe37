// Runs a command and writes its peak resident memory, in KiB, to standard
// error as "peak_kib N". The benchmark scripts run their commands through it:
// a Python parent's own memory would count as the peak of any child it
// starts (the child begins as a copy of it), so a small program starts them.
//   peak_memory COMMAND [ARGUMENTS...]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: peak_memory COMMAND [ARGUMENTS...]\n", stderr);
        return 2;
    }
    const pid_t child = ::fork();
    if (child < 0) return 2;
    if (child == 0) {
        ::execvp(argv[1], argv + 1);
        std::perror(argv[1]);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child) return 2;
    std::fprintf(stderr, "peak_kib %ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
