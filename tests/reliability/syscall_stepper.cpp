// Linux only: ptrace with system call stops.
#include "syscall_stepper.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace reliability {

namespace {

[[noreturn]] void runChild(const SteppedProgram& program) {
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    // LeakSanitizer stops the process with ptrace at its exit, which a traced process can't.
    ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    if (::chdir(program.workingDirectory.c_str()) != 0 ||
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
        ::_exit(126);
    ::raise(SIGSTOP);
    std::vector<char*> argv;
    for (const std::string& argument : program.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(program.program.c_str(), argv.data());
    ::_exit(127);
}

}  // namespace

std::optional<SteppedRun> runStepped(const SteppedProgram& program, long killAt) {
    const pid_t pid = ::fork();
    if (pid < 0)
        return std::nullopt;
    if (pid == 0)
        runChild(program);

    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) {
        ::waitpid(pid, &status, 0);
        return std::nullopt;
    }
    if (::ptrace(PTRACE_SETOPTIONS, pid, nullptr,
                 PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACEEXEC | PTRACE_O_EXITKILL) != 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return std::nullopt;
    }

    SteppedRun run;
    bool executing = false;  // past the exec: only the program's own calls count
    int pendingSignal = 0;
    for (;;) {
        if (::ptrace(PTRACE_SYSCALL, pid, nullptr, pendingSignal) != 0)
            break;
        pendingSignal = 0;
        if (::waitpid(pid, &status, 0) != pid)
            break;
        if (WIFEXITED(status)) {
            run.exitCode = WEXITSTATUS(status);
            return run;
        }
        if (WIFSIGNALED(status))
            return run;
        if (!WIFSTOPPED(status))
            continue;
        const int signal = WSTOPSIG(status);
        if (signal == (SIGTRAP | 0x80)) {
            if (executing && ++run.stops == killAt) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                run.killed = true;
                return run;
            }
        } else if (signal == SIGTRAP && (status >> 16) == PTRACE_EVENT_EXEC) {
            // The exec's own exit stop follows and counts: the first point of the new program.
            executing = true;
        } else if (signal != SIGSTOP && signal != SIGTRAP) {
            pendingSignal = signal;
        }
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return std::nullopt;
}

}  // namespace reliability
