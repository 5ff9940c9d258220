#include "Processes.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>

extern char** environ;

ProcessRun runProcess(const QByteArray& program, const std::vector<QByteArray>& args,
                      bool captureOutput) {
    ProcessRun run;
    std::vector<char*> argv;
    for (const QByteArray& arg : args)
        argv.push_back(const_cast<char*>(arg.constData()));
    argv.push_back(nullptr);

    int pipeFds[2] = {-1, -1};
    if (captureOutput) {
        if (::pipe(pipeFds) != 0)
            return run;
        // Only the child's standard output may hold the writing end, or the
        // read below never sees the end of the output.
        ::fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(pipeFds[1], F_SETFD, FD_CLOEXEC);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (captureOutput)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

    const auto begin = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawnError =
        posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (captureOutput)
        ::close(pipeFds[1]);
    if (spawnError != 0) {
        if (captureOutput)
            ::close(pipeFds[0]);
        return run;
    }
    run.started = true;
    if (captureOutput) {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
            if (got > 0)
                run.output.append(buffer, qsizetype(got));
            else if (got == 0 || errno != EINTR)
                break;
        }
        ::close(pipeFds[0]);
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    const auto end = std::chrono::steady_clock::now();
    run.ms = std::chrono::duration<double, std::milli>(end - begin).count();
#ifdef __APPLE__
    run.peakKiB = usage.ru_maxrss / 1024;  // bytes there
#else
    run.peakKiB = usage.ru_maxrss;
#endif
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

QByteArray ownFolder(const char* argv0) {
    QByteArray path;
#ifdef __linux__
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0)
        path = QByteArray(buffer, qsizetype(n));
#endif
    if (path.isEmpty()) {
        if (char* real = ::realpath(argv0, nullptr)) {
            path = real;
            std::free(real);
        } else {
            path = argv0;
        }
    }
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : path.left(slash);
}
