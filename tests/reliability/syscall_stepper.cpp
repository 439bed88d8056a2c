// Linux only: ptrace with system call stops, and a seccomp filter that stops one call number.
#include "syscall_stepper.h"

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <map>
#include <string_view>

namespace reliability {

namespace {

// Stops the calls with one number for the tracer and lets every other call through.
struct CallFilter {
    sock_filter instructions[4];
    sock_fprog program;

    explicit CallFilter(long number)
        : instructions{
              BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
              BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<__u32>(number), 0, 1),
              BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRACE),
              BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
          },
          program{4, instructions} {}
};

// Runs in the child of a vfork, in the parent's memory until the exec: system calls only,
// on what the parent made beforehand.
[[noreturn]] void runChild(const char* program, const char* workingDirectory, char* const* argv,
                           char* const* environment, const CallFilter* filter) {
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    // Stopped by a SIGTRAP once its exec is done, before the new program's first call. (A
    // filter for the exec's own number would fail that exec: such a program is not stepped.)
    if (::chdir(workingDirectory) != 0 || ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0 ||
        (filter != nullptr &&
         (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
          ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter->program) != 0)))
        ::_exit(126);
    ::execve(program, argv, environment);
    ::_exit(127);
}

class Tracee {
  public:
    // Started and stopped after its exec; pid_ stays 0 when tracing is not permitted. A vfork,
    // since a fork would copy the page tables of this process (large under AddressSanitizer)
    // only for the exec to drop them.
    Tracee(const SteppedProgram& program, const CallFilter* filter) {
        std::vector<char*> argv;
        for (const std::string& argument : program.arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        // LeakSanitizer stops the process with ptrace at its exit, which a traced process can't.
        std::vector<std::string> variables = {"ASAN_OPTIONS=detect_leaks=0"};
        for (char** variable = environ; *variable != nullptr; ++variable) {
            if (std::string_view(*variable).substr(0, 13) != "ASAN_OPTIONS=")
                variables.emplace_back(*variable);
        }
        std::vector<char*> environment;
        environment.reserve(variables.size() + 1);
        for (std::string& variable : variables)
            environment.push_back(variable.data());
        environment.push_back(nullptr);

        // NOLINTNEXTLINE(clang-analyzer-security.insecureAPI.vfork): chosen, see above
        const pid_t pid = ::vfork();
        if (pid == 0)
            // NOLINTNEXTLINE(clang-analyzer-unix.Vfork): runChild ends in exec or _exit
            runChild(program.program.c_str(), program.workingDirectory.c_str(), argv.data(),
                     environment.data(), filter);
        if (pid < 0)
            return;
        pid_ = pid;
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_ || !WIFSTOPPED(status)) {
            pid_ = 0;
            return;
        }
        if (::ptrace(PTRACE_SETOPTIONS, pid_, nullptr,
                     PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL | PTRACE_O_TRACESECCOMP) != 0)
            kill();
    }
    ~Tracee() { kill(); }
    Tracee(const Tracee&) = delete;
    Tracee& operator=(const Tracee&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Resumes it (PTRACE_CONT or PTRACE_SYSCALL) and waits for its next stop, passing on the
    // signals that are its own. The wait status, or nothing when it has ended.
    std::optional<int> resume(__ptrace_request request) {
        int signal = 0;
        for (;;) {
            int status = 0;
            if (::ptrace(request, pid_, nullptr, signal) != 0 ||
                ::waitpid(pid_, &status, 0) != pid_)
                return std::nullopt;
            if (WIFEXITED(status)) {
                exitCode_ = WEXITSTATUS(status);
                pid_ = 0;
                return std::nullopt;
            }
            if (WIFSIGNALED(status)) {
                pid_ = 0;
                return std::nullopt;
            }
            signal = WSTOPSIG(status);
            if (signal == (SIGTRAP | 0x80) || signal == SIGTRAP)
                return status;
            if (signal == SIGSTOP)
                signal = 0;
        }
    }

    int exitCode() const { return exitCode_; }

    void kill() {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = 0;
    }

  private:
    pid_t pid_ = 0;
    int exitCode_ = -1;
};

int ptraceEvent(int status) {
    return status >> 16;
}

// What the tracee stopped at: the entry of a call, its exit, or a stop of the filter.
std::optional<__ptrace_syscall_info> callAt(pid_t pid) {
    __ptrace_syscall_info info{};
    if (::ptrace(PTRACE_GET_SYSCALL_INFO, pid, reinterpret_cast<void*>(sizeof info), &info) <= 0)
        return std::nullopt;
    return info;
}

}  // namespace

std::optional<TracedRun> traceRun(const SteppedProgram& program) {
    Tracee tracee(program, nullptr);
    if (!tracee.started())
        return std::nullopt;
    TracedRun run;
    while (const std::optional<int> status = tracee.resume(PTRACE_SYSCALL)) {
        if (WSTOPSIG(*status) != (SIGTRAP | 0x80))
            continue;
        const std::optional<__ptrace_syscall_info> info = callAt(tracee.pid());
        if (info && info->op == PTRACE_SYSCALL_INFO_ENTRY)
            run.calls.push_back({static_cast<long>(info->entry.nr), false});
        else if (info && info->op == PTRACE_SYSCALL_INFO_EXIT && !run.calls.empty())
            run.calls.back().returned = true;
    }
    if (tracee.exitCode() < 0)
        return std::nullopt;
    run.exitCode = tracee.exitCode();
    return run;
}

std::vector<KillPoint> killPoints(const TracedRun& run) {
    std::vector<KillPoint> points;
    std::map<long, long> seen;
    for (const TracedCall& call : run.calls) {
        const long occurrence = seen[call.number]++;
        points.push_back({call.number, occurrence, false});
        if (call.returned)
            points.push_back({call.number, occurrence, true});
    }
    return points;
}

std::optional<bool> runAndKill(const SteppedProgram& program, const KillPoint& point,
                               const std::function<void()>& atPoint) {
    const CallFilter filter(point.number);
    Tracee tracee(program, &filter);
    if (!tracee.started())
        return std::nullopt;
    long occurrence = 0;
    while (const std::optional<int> status = tracee.resume(PTRACE_CONT)) {
        if (ptraceEvent(*status) != PTRACE_EVENT_SECCOMP || occurrence++ != point.occurrence)
            continue;
        // At the call's entry; resumed with PTRACE_SYSCALL, it stops again at its exit.
        if (point.atExit) {
            const std::optional<int> exit = tracee.resume(PTRACE_SYSCALL);
            const auto info = exit ? callAt(tracee.pid()) : std::nullopt;
            if (!info || info->op != PTRACE_SYSCALL_INFO_EXIT)
                return false;
        }
        if (atPoint)
            atPoint();
        tracee.kill();
        return true;
    }
    return false;
}

}  // namespace reliability
