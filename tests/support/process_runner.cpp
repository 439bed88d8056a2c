#include "support/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

namespace testing_support {

namespace {

void closeBoth(int fds[2]) {
    ::close(fds[0]);
    ::close(fds[1]);
}

[[noreturn]] void execChild(const ProcessOptions& options, int in[2], int out[2], int err[2]) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    closeBoth(in);
    closeBoth(out);
    closeBoth(err);
    if (options.outputClosed)
        ::close(1);
    // The test process ignores SIGPIPE; a shell would start the child with the default.
    ::signal(SIGPIPE, SIG_DFL);
    if (!options.workingDirectory.empty() && ::chdir(options.workingDirectory.c_str()) != 0) {
        ::_exit(126);
    }
    for (const auto& name : options.unsetEnvironment)
        ::unsetenv(name.c_str());
    for (const auto& [name, value] : options.environment)
        ::setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    for (const auto& argument : options.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(options.program.c_str(), argv.data());
    ::_exit(127);
}

}  // namespace

ProcessResult runProcess(const ProcessOptions& options) {
    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0)
        throw std::runtime_error("pipe");
    if (options.outputReaderGone) {
        ::close(out[0]);
        out[0] = -1;
    }
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork");
    if (child == 0)
        execChild(options, in, out, err);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);

    // Standard input is small in every test: write it whole, then close.
    ::signal(SIGPIPE, SIG_IGN);
    std::size_t written = 0;
    while (written < options.standardInput.size()) {
        const ssize_t n = ::write(in[1], options.standardInput.data() + written,
                                  options.standardInput.size() - written);
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    ::close(in[1]);

    ProcessResult result;
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = out[0] < 0 ? 1 : 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(child, SIGKILL);
            result.timedOut = true;
            break;
        }
        const int ready = ::poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[65536];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& fd : fds) {
        if (fd.fd >= 0)
            ::close(fd.fd);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

ProcessResult runTwiceAtOnce(const std::vector<std::string>& command,
                             const std::vector<std::pair<std::string, std::string>>& environment) {
    ProcessOptions options;
    options.program = "/bin/sh";
    options.arguments = {"sh", "-c", "\"$@\" & a=$!; \"$@\"; b=$?; wait $a && exit $b", "sh"};
    options.arguments.insert(options.arguments.end(), command.begin(), command.end());
    options.environment = environment;
    return runProcess(options);
}

bool hasLine(const std::string& output, const std::string& line) {
    return output.starts_with(line + "\n") || output.find("\n" + line + "\n") != std::string::npos;
}

std::optional<std::string> printedClassPath(const std::string& output) {
    const std::string marker = "classpath: ";
    const std::size_t at = output.starts_with(marker) ? 0 : output.find("\n" + marker);
    if (at == std::string::npos)
        return std::nullopt;
    const std::size_t start = at == 0 ? marker.size() : at + 1 + marker.size();
    const std::size_t end = output.find('\n', start);
    if (end == std::string::npos)
        return std::nullopt;
    return output.substr(start, end - start);
}

}  // namespace testing_support
