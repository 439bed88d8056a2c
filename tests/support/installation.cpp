#include "support/installation.h"

#include "support/files.h"

namespace testing_support {

std::string launcherBinary() {
    return TEST_LAUNCHER_BINARY;
}
std::string stubJvmLibrary() {
    return TEST_STUB_JVM_LIBRARY;
}
std::string jdkHome() {
    return TEST_JDK_HOME;
}
std::string realJvmLibrary() {
    return jdkHome() + "/lib/server/libjvm.so";
}

std::string deferredList(const std::vector<std::vector<std::string>>& operations,
                         const std::string& lineEnd) {
    std::string list = "size=";
    list += std::to_string(operations.size());
    list += lineEnd;
    for (std::size_t i = 0; i < operations.size(); ++i) {
        // Appended piecewise: GCC 12 at -O3 reports a false -Wrestrict on "literal" +
        // std::string temporaries.
        std::string key = "operation.";
        key += std::to_string(i);
        const char* const suffixes[] = {"=", ".file=", ".destination="};
        for (std::size_t part = 0; part < operations[i].size() && part < 3; ++part) {
            list += key;
            list += suffixes[part];
            list += operations[i][part];
            list += lineEnd;
        }
    }
    return list;
}

void layOutPairedUpdate(const std::filesystem::path& root, int pairs) {
    std::vector<std::vector<std::string>> operations;
    for (int k = 0; k < pairs; ++k) {
        std::string f = "f";
        f += std::to_string(k);
        writeFile(root / (f + ".jar"), "old");
        writeFile(root / (f + ".new"), "new");
        operations.push_back({"delete", f + ".jar"});
        operations.push_back({"rename", f + ".new", f + ".jar"});
    }
    writeFile(root / "deferred_operations", deferredList(operations));
}

int pairedUpdateLeftovers(const std::filesystem::path& root, int pairs) {
    namespace fs = std::filesystem;
    int left = fs::exists(root / "deferred_operations") +
               fs::exists(root / "deferred_operations.progress");
    for (int k = 0; k < pairs; ++k) {
        std::string name = "f";
        name += std::to_string(k);
        const fs::path jar = root / (name + ".jar");
        left += !fs::exists(jar) || readFile(jar) != "new" ||
                fs::exists(fs::path(jar).replace_extension(".new"));
    }
    return left;
}

Installation::Installation(const std::string& folder)
    : root_(folder.empty() ? dir_.path() : dir_.path() / folder),
      launcher_((root_ / "launcher").string()) {
    std::filesystem::create_directories(root_);
    copyExecutable(launcherBinary(), launcher_);
}

void Installation::write(const std::string& relative, const std::string& bytes) const {
    writeFile(root() / relative, bytes);
}

bool Installation::exists(const std::string& relative) const {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(root() / relative, ignored));
}

std::string Installation::read(const std::string& relative) const {
    return readFile(root() / relative);
}

ProcessResult Installation::run(const std::vector<std::string>& arguments,
                                const std::vector<std::pair<std::string, std::string>>& environment,
                                const std::string& argv0) const {
    return runProcess(launchOptions(arguments, environment, argv0));
}

ProcessOptions Installation::launchOptions(
    const std::vector<std::string>& arguments,
    const std::vector<std::pair<std::string, std::string>>& environment,
    const std::string& argv0) const {
    ProcessOptions options;
    options.program = launcher_;
    options.arguments.push_back(argv0.empty() ? launcher_ : argv0);
    options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
    options.workingDirectory = root().string();
    options.environment = environment;
    // The JVM reads this one; the tests decide per run whether it is set.
    options.unsetEnvironment = {"JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS", "JDK_JAVA_OPTIONS"};
    return options;
}

}  // namespace testing_support
