// Runs the launcher again and again in an installation whose JVM library is the probe JVM, and
// reports, as one JSON object on standard output, the medians and samples of:
//   exec_to_create_us    execve in the child to JNI_CreateJavaVM: exec, dynamic linking and
//                        the launcher's own work
//   entry_to_create_us   the entry mark (preloaded probe) to JNI_CreateJavaVM (needs --preload)
//   jvm_load_us          the part of it spent in dlopen, loading the JVM library
//   own_work_us          the rest: the launcher's own work before JNI_CreateJavaVM
//   main_to_exit_us      main returned to the last step of exit() in user space
//   main_to_reaped_us    main returned to the moment this harness has reaped the process
//   hwm_kb               peak resident set at JNI_CreateJavaVM
// All marks come from CLOCK_MONOTONIC, which is one clock for every process of the machine.
//
// Usage: phase_timer --runs N --record FILE [--preload LIBRARY] -- PROGRAM [ARGUMENTS...]
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

long long now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

[[noreturn]] void usage(const char* why) {
    std::fprintf(stderr,
                 "phase_timer: %s\nusage: phase_timer --runs N --record FILE [--preload LIBRARY] "
                 "-- PROGRAM [ARGUMENTS...]\n",
                 why);
    std::exit(2);
}

struct Options {
    int runs = 0;
    std::string record;
    std::string preload;
    std::vector<char*> command;
};

Options parseOptions(int argc, char** argv) {
    Options options;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--")
            break;
        if (i + 1 >= argc)
            usage("missing value");
        if (argument == "--runs")
            options.runs = std::atoi(argv[++i]);
        else if (argument == "--record")
            options.record = argv[++i];
        else if (argument == "--preload")
            options.preload = argv[++i];
        else
            usage("unknown option");
    }
    for (++i; i < argc; ++i)
        options.command.push_back(argv[i]);
    options.command.push_back(nullptr);
    if (options.runs <= 0 || options.record.empty() || options.command.size() < 2)
        usage("missing option");
    return options;
}

// Starts the program with its output discarded; returns its exit status and when it was reaped.
int runOnce(const Options& options, long long& reaped) {
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        if (!options.preload.empty())
            setenv("LD_PRELOAD", options.preload.c_str(), 1);
        setenv("BENCH_PROBE_RECORD", options.record.c_str(), 1);
        setenv("BENCH_EXEC_NS", std::to_string(now()).c_str(), 1);
        execv(options.command[0], options.command.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    reaped = now();
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::map<std::string, long long> readMarks(const std::string& path) {
    std::ifstream file(path);
    std::string line, last;
    while (std::getline(file, line))
        last = line;
    std::map<std::string, long long> marks;
    std::istringstream fields(last);
    std::string field;
    while (fields >> field) {
        const std::size_t equals = field.find('=');
        if (equals != std::string::npos)
            marks[field.substr(0, equals)] = std::atoll(field.c_str() + equals + 1);
    }
    return marks;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printSeries(const char* name, const std::vector<double>& values, bool last) {
    std::printf("  \"%s\": {\"median\": %.3f, \"samples\": [", name, median(values));
    for (std::size_t i = 0; i < values.size(); ++i)
        std::printf("%s%.3f", i == 0 ? "" : ", ", values[i]);
    std::printf("]}%s\n", last ? "" : ",");
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    std::vector<double> execToCreate, entryToCreate, jvmLoad, ownWork, mainToExit, mainToReaped,
        hwm;
    for (int run = 0; run < options.runs; ++run) {
        std::remove(options.record.c_str());
        long long reaped = 0;
        const int status = runOnce(options, reaped);
        auto marks = readMarks(options.record);
        if (status != 0 || marks["create"] == 0 || marks["returned"] == 0) {
            std::fprintf(stderr, "phase_timer: run %d failed (exit status %d, no probe record?)\n",
                         run, status);
            return 1;
        }
        execToCreate.push_back((marks["create"] - marks["exec"]) / 1000.0);
        if (marks["entry"] != 0) {
            entryToCreate.push_back((marks["create"] - marks["entry"]) / 1000.0);
            jvmLoad.push_back(marks["load"] / 1000.0);
            ownWork.push_back((marks["create"] - marks["entry"] - marks["load"]) / 1000.0);
        }
        mainToExit.push_back((marks["exit"] - marks["returned"]) / 1000.0);
        mainToReaped.push_back((reaped - marks["returned"]) / 1000.0);
        hwm.push_back(static_cast<double>(marks["hwm_kb"]));
    }
    std::remove(options.record.c_str());
    std::printf("{\n  \"runs\": %d,\n", options.runs);
    printSeries("exec_to_create_us", execToCreate, false);
    printSeries("entry_to_create_us", entryToCreate, false);
    printSeries("jvm_load_us", jvmLoad, false);
    printSeries("own_work_us", ownWork, false);
    printSeries("main_to_exit_us", mainToExit, false);
    printSeries("main_to_reaped_us", mainToReaped, false);
    printSeries("hwm_kb", hwm, true);
    std::printf("}\n");
    return 0;
}
