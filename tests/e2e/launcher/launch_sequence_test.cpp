// The launch as a whole, through the real launcher binary in temporary installations.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "support/files.h"
#include "support/installation.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Installation;
using testing_support::ProcessOptions;
using testing_support::ProcessResult;
using testing_support::TempDir;

// A configuration that gets as far as loading the JVM library, which does not exist: the class
// path line proves where the launcher looked for its files.
constexpr const char* probeConfiguration =
    "jvm.classpath=lib/probe.jar\njvm.dll.path=no-such-jvm-library\n";

void writeProbeInstallation(const fs::path& root) {
    testing_support::writeFile(root / "launch.properties", probeConfiguration);
    testing_support::writeFile(root / "lib" / "probe.jar", "not really a jar");
}

void expectProbeFound(const ProcessResult& result) {
    EXPECT_NE(result.out.find("classpath: lib/probe.jar\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.exitCode, 2) << result.out << result.err;
}

ProcessResult runFrom(const fs::path& workingDirectory, const std::string& program) {
    ProcessOptions options;
    options.program = program;
    options.arguments = {program};
    options.workingDirectory = workingDirectory.string();
    return testing_support::runProcess(options);
}

// No class path (no jvm.classpath at all): the class path line is empty and the options cannot
// be built, before the JVM library is loaded.
TEST(LaunchSequence, AnEmptyClassPathStopsBeforeTheLibraryIsLoaded) {
    Installation installation;
    installation.write("launch.properties",
                       "jvm.dll.path=" + testing_support::stubJvmLibrary() + "\nmain.class=Main\n");
    installation.write("version", "3.0\n");
    const ProcessResult result =
        installation.run({}, {{"STUB_JVM_RECORD", installation.path("record")}});
    EXPECT_EQ(result.exitCode, 1);
    // The step's message has no line end of its own, and the box follows it.
    EXPECT_TRUE(
        result.out.ends_with("Brantlo Client version: 3.0\nclasspath: \nCannot load JVM options"))
        << result.out;
    EXPECT_TRUE(result.err.ends_with("Error: Cannot load JVM options\n")) << result.err;
    EXPECT_FALSE(installation.exists("record"));  // the stub JVM records its loading
}

TEST(LaunchSequence, FindsItsDirectoryWhenStartedThroughARelativePath) {
    Installation installation;
    writeProbeInstallation(installation.root());
    // Started from the parent directory, so the current directory is not the installation.
    const fs::path parent = installation.root().parent_path();
    const std::string relative = (installation.root().filename() / "launcher").string();
    expectProbeFound(runFrom(parent, relative));
}

TEST(LaunchSequence, FindsTheRealFilesDirectoryWhenStartedThroughASymbolicLink) {
    Installation installation;
    writeProbeInstallation(installation.root());
    TempDir elsewhere;
    // A decoy beside the link: it must not be read.
    testing_support::writeFile(elsewhere.path() / "launch.properties", "jvm.classpath=decoy.jar\n");
    fs::create_symlink(installation.launcherPath(), elsewhere.path() / "launcher");
    expectProbeFound(runFrom(elsewhere.path(), (elsewhere.path() / "launcher").string()));
}

TEST(LaunchSequence, FindsItsDirectoryWhenThePathIsLongerThanMaxPath) {
    TempDir dir;
    fs::path deep = dir.path();
    while (deep.string().size() <= 300)
        deep /= std::string(60, 'd');
    testing_support::copyExecutable(testing_support::launcherBinary(), deep / "launcher");
    writeProbeInstallation(deep);
    ASSERT_GT((deep / "launcher").string().size(), 260u);
    expectProbeFound(runFrom(dir.path(), (deep / "launcher").string()));

    // Past PATH_MAX the kernel cannot name the executable, so its folder is unknown (the
    // launcher in the directory it was started in is another copy): the start fails rather than
    // read that directory's files. Made relative to it, as no path handed to the system may be
    // that long.
    std::string deeper = ".";
    while (deep.string().size() + deeper.size() <= 4200)
        deeper += "/" + std::string(200, 'e');
    ProcessOptions made;
    made.program = "/bin/sh";
    made.arguments = {"sh", "-c", "mkdir -p \"$0\" && cp \"$1\" \"$0/launcher\"", deeper,
                      testing_support::launcherBinary()};
    made.workingDirectory = deep.string();
    ASSERT_EQ(testing_support::runProcess(made).exitCode, 0);
    const ProcessResult unknown = runFrom(deep, deeper + "/launcher");
    EXPECT_EQ(unknown.exitCode, 6);
    EXPECT_EQ(unknown.out.find("classpath:"), std::string::npos) << unknown.out;
    EXPECT_TRUE(
        unknown.out.starts_with("The installation folder cannot be made the current "
                                "directory"))
        << unknown.out;
}

// Standard output closed: a log past 256 KiB keeps its newer half from a line's start; one that
// cannot be written (a full disk) or opened (a directory in its place) changes nothing.
TEST(LaunchSequence, StartWithoutStandardOutputCutsItsLogOrBearsAnUnwritableOne) {
    Installation installation;
    writeProbeInstallation(installation.root());
    std::string old;
    while (old.size() <= std::size_t{300} * 1024)
        old += "old line " + std::to_string(old.size()) + "\n";
    installation.write("launcher.log", old);
    ProcessOptions options = installation.launchOptions();
    options.outputClosed = true;
    const ProcessResult logged = testing_support::runProcess(options);
    EXPECT_EQ(logged.exitCode, 2);
    const std::string log = installation.read("launcher.log");
    const std::size_t start = log.find("--- ");
    ASSERT_TRUE(start > std::size_t{100} * 1024 && start <= std::size_t{128} * 1024) << start;
    EXPECT_EQ(old.substr(old.size() - start - 1), "\n" + log.substr(0, start));
    EXPECT_NE(log.find("\nclasspath: lib/probe.jar\nCannot load JVM library", start), log.npos);
    // The next start line begins a line of its own after the message without a line end.
    testing_support::runProcess(options);
    EXPECT_EQ(installation.read("launcher.log").find("Cannot load JVM library\n--- "),
              log.size() - 23);
    // Only a regular file, reached without a link: a link is never followed (to a device or to
    // somebody's file), a FIFO never waited on; nor where the deferred list puts them, after
    // which the log is opened again. A log the list deleted begins anew with the start's line.
    const TempDir elsewhere;
    const fs::path notes = elsewhere.path() / "notes.txt";
    testing_support::writeFile(notes, "mine\n");
    options.timeout = std::chrono::seconds(30);
    for (const std::string kind : {"link to a device", "directory", "link to a file", "fifo",
                                   "listed link to a file", "listed fifo", "listed nothing"}) {
        fs::remove_all(installation.path("launcher.log"));
        const bool listed = kind.starts_with("listed");
        const fs::path inPlace = installation.path(listed ? "staged" : "launcher.log");
        if (kind.ends_with("device"))
            fs::create_symlink("/dev/full", inPlace);
        if (kind.ends_with("directory"))
            fs::create_directory(inPlace);
        if (kind.ends_with("link to a file"))
            fs::create_symlink(notes, inPlace);
        if (kind.ends_with("fifo") && ::mkfifo(inPlace.c_str(), 0600) != 0)
            FAIL() << kind;
        if (listed)
            installation.write("deferred_operations", testing_support::deferredList(
                                                          {{"delete", "launcher.log"},
                                                           {"rename", "staged", "launcher.log"}}));
        const ProcessResult result = testing_support::runProcess(options);
        EXPECT_FALSE(result.timedOut) << kind;
        EXPECT_EQ(result.exitCode, 2) << kind;
        EXPECT_EQ(result.err, logged.err) << kind;
        EXPECT_TRUE(kind != "listed nothing" ||
                    installation.read("launcher.log").starts_with("--- "));
    }
    EXPECT_EQ(testing_support::readFile(notes), "mine\n");
}

}  // namespace
