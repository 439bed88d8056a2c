// Holds the launcher at a chosen system call while power_cut.sh copies the disk it writes to,
// then kills it: a power cut at that call.
//
//   power_cut_step points dir            the cut points of a run of dir/launcher, one a line:
//                                        the call's number, its occurrence, its name ("sleep"
//                                        for a pause); status 3 where tracing is not permitted
//   power_cut_step cut dir number occurrence command...
//                                        runs dir/launcher up to the entry of that call, runs
//                                        the command there, kills the launcher
#include <sys/syscall.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <string>

#include "syscall_stepper.h"

namespace {

// The calls that make something durable or change a directory: between two of them nothing
// reaches the disk that a cut could tell apart. The pauses between retries are listed too, so
// that the script can tell the retries apart.
const std::map<long, std::string> cutCalls = {
    {SYS_fsync, "fsync"},         {SYS_fdatasync, "fdatasync"}, {SYS_syncfs, "syncfs"},
    {SYS_msync, "msync"},         {SYS_rename, "rename"},       {SYS_renameat, "renameat"},
    {SYS_renameat2, "renameat2"}, {SYS_unlink, "unlink"},       {SYS_unlinkat, "unlinkat"},
    {SYS_rmdir, "rmdir"},         {SYS_nanosleep, "sleep"},     {SYS_clock_nanosleep, "sleep"}};

reliability::SteppedProgram launcherIn(const std::string& dir) {
    return {dir + "/launcher", {dir + "/launcher"}, dir};
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "points" && argc == 3) {
        const auto run = reliability::traceRun(launcherIn(argv[2]));
        if (!run && !reliability::traceRun({"/bin/true", {"/bin/true"}, "/"})) {
            std::cerr << "power_cut_step: tracing is not permitted here\n";
            return 3;
        }
        if (!run) {
            std::cerr << "power_cut_step: the launcher's run did not end normally\n";
            return 2;
        }
        for (const reliability::KillPoint& point : reliability::killPoints(*run)) {
            if (!point.atExit && cutCalls.contains(point.number))
                std::cout << point.number << ' ' << point.occurrence << ' '
                          << cutCalls.at(point.number) << '\n';
        }
        return 0;
    }
    if (mode == "cut" && argc > 5) {
        std::string command;
        for (int i = 5; i < argc; ++i)
            command += std::string(i > 5 ? " " : "") + argv[i];
        int status = -1;
        const reliability::KillPoint point{std::stol(argv[3]), std::stol(argv[4]), false};
        const auto reached = reliability::runAndKill(
            launcherIn(argv[2]), point, [&] { status = std::system(command.c_str()); });
        if (reached != true) {
            std::cerr << "power_cut_step: the run no longer reaches the point\n";
            return 2;
        }
        return status == 0 ? 0 : 1;
    }
    std::cerr << "usage: power_cut_step points dir | cut dir number occurrence command...\n";
    return 2;
}
