#pragma once
// Each figure of a benchmark comes from its own child process, so that one
// run's memory and caches do not colour the next one's.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <type_traits>

// Runs `trabajo` in a child process and hands back what it returned (a plain
// value, sent through a pipe); `fallo` when the child died before answering.
template <class T> T EnHijo(const std::function<T()>& trabajo, T fallo) {
    static_assert(std::is_trivially_copyable_v<T>);
    int tubo[2];
    if (pipe(tubo) != 0)
        std::abort();
    std::fflush(stdout);
    pid_t hijo = fork();
    if (hijo == 0) {
        close(tubo[0]);
        T v = trabajo();
        if (write(tubo[1], &v, sizeof v) != static_cast<ssize_t>(sizeof v))
            _exit(1);
        _exit(0);
    }
    close(tubo[1]);
    T v = fallo;
    if (read(tubo[0], &v, sizeof v) != static_cast<ssize_t>(sizeof v))
        v = fallo;
    close(tubo[0]);
    int estado = 0;
    waitpid(hijo, &estado, 0);
    return v;
}
