#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/process_runner.h"
#include "support/temp_dir.h"

namespace testing_support {

// Paths of what the build produced, for tests that run the real programs.
std::string launcherBinary();  // the POSIX launcher
std::string stubJvmLibrary();  // the stub JVM shared library
std::string jdkHome();         // the JDK whose libjvm.so the end-to-end tests load
std::string realJvmLibrary();  // jdkHome()/lib/server/libjvm.so

// A deferred list as an updater writes it: its size, then each operation as {name, file} or
// {name, file, destination}, every line ended by lineEnd.
std::string deferredList(const std::vector<std::vector<std::string>>& operations,
                         const std::string& lineEnd = "\n");

// Writes under root a deferred list of `pairs` updates "delete fK.jar, rename fK.new to fK.jar"
// with its files (each fK.jar "old", each fK.new "new"), for starts that meet over one list.
void layOutPairedUpdate(const std::filesystem::path& root, int pairs);

// What of that update is not done: jars missing or old, fK.new files, the list and its record.
int pairedUpdateLeftovers(const std::filesystem::path& root, int pairs);

// A temporary installation directory holding a copy of the launcher (a copy, since the
// launcher finds its directory through the real file).
class Installation {
  public:
    // folder: the installation's own folder inside the temporary directory, for a test that
    // chooses its name; empty: the temporary directory itself.
    explicit Installation(const std::string& folder = "");

    const std::filesystem::path& root() const { return root_; }
    std::string path(const std::string& relative) const { return (root() / relative).string(); }
    const std::string& launcherPath() const { return launcher_; }

    void write(const std::string& relative, const std::string& bytes) const;
    bool exists(const std::string& relative) const;
    std::string read(const std::string& relative) const;

    // Runs the launcher with argv[0] as given (default: its full path) and the arguments.
    ProcessResult run(const std::vector<std::string>& arguments = {},
                      const std::vector<std::pair<std::string, std::string>>& environment = {},
                      const std::string& argv0 = "") const;

    // What run starts, for a test that changes more of it before runProcess.
    ProcessOptions launchOptions(
        const std::vector<std::string>& arguments = {},
        const std::vector<std::pair<std::string, std::string>>& environment = {},
        const std::string& argv0 = "") const;

  private:
    TempDir dir_;
    std::filesystem::path root_;
    std::string launcher_;
};

}  // namespace testing_support
