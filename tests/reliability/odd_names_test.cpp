// Names and paths at the edges: thousands of class path entries, names with '%', blanks,
// non-ASCII and invalid UTF-8 bytes, paths beyond 4096 bytes, symbolic-link loops and files
// that vanish while their directory is listed.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "config/string_split.h"
#include "platform/files_and_directories.h"
#include "stub_installation.h"
#include "support/files.h"

namespace reliability {
namespace {

namespace fs = std::filesystem;

std::string classPathOption(const StubInstallation::Run& run) {
    for (const std::string& option : recorded(run.record, "option")) {
        if (option.starts_with("-Djava.class.path="))
            return option.substr(18);
    }
    return "(none)";
}

TEST(OddNames, TenThousandClassPathEntries) {
    const StubInstallation install;
    constexpr int count = 10000;
    std::string directive;
    for (int i = 0; i < count; ++i) {
        // Appended piecewise: GCC 12 at -O3 reports a false -Wrestrict on
        // "literal" + std::string temporaries.
        const std::string number = std::to_string(i);
        std::string jar = "j";
        jar.append(number).append(".jar");
        std::string file = "lib/j";
        file.append(number).append(i % 2 == 0 ? ".jar" : "__V1.jar");
        install.write(file, "");
        directive.append("lib/").append(jar).append(";");
    }
    install.write("launch.properties", install.launchProperties("jvm.classpath=" + directive));

    const auto run = install.launch();

    ASSERT_FALSE(run.result.timedOut);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    const auto elements =
        launcher::splitString(classPathOption(run), platform::pathListSeparator());
    EXPECT_EQ(elements.size(), static_cast<std::size_t>(count));
}

// Every byte but '/', ';' and NUL may stand in a name; the class path carries it unchanged and
// the deferred messages print it literally.
TEST(OddNames, PercentBlanksNonAsciiAndInvalidUtf8) {
    const std::vector<std::string> directories = {"100% sure", " a b ", "\xc3\xa9t\xc3\xa9",
                                                  "\xff\xfe\x80"};
    const std::vector<std::string> jars = {"%s%n%d.jar", "x y .jar", "\xe2\x82\xac.jar",
                                           "\xc3(.jar"};
    const StubInstallation install;
    std::string directive;
    std::string expected;
    for (std::size_t i = 0; i < jars.size(); ++i) {
        install.write(directories[i] + "/" + jars[i], "");
        directive += directories[i] + "/" + jars[i] + ";";
    }
    // Elements come in the byte-wise order of their jar names.
    for (const std::size_t i : {0u, 1u, 3u, 2u})
        expected += directories[i] + "/" + jars[i] + (i == 2 ? "" : ":");
    install.write("launch.properties", install.launchProperties("jvm.classpath=" + directive));
    install.write("moved/keep", "");
    install.write(
        "deferred_operations",
        "size=3\n"
        "operation.0=rename\noperation.0.file=" +
            directories[0] + "/" + jars[0] + "\noperation.0.destination=moved/" + jars[3] +
            "\n"
            "operation.1=delete\noperation.1.file=" +
            directories[3] + "/" + jars[3] + "\noperation.2=delete\noperation.2.file=%s%n\xff\n");
    install.write(directories[0] + "/" + jars[0], "");  // put back after the listing moves it
    install.write(directories[3] + "/" + jars[3], "");

    const auto run = install.launch();

    // The list ran first, so the two jars it moved away are missing for the class path.
    EXPECT_TRUE(hasLine(run.result.out, "Skip delete file '%s%n\xff' - it doesn't exist"))
        << run.result.out;
    EXPECT_TRUE(install.exists("moved/" + jars[3]));
    EXPECT_FALSE(install.exists(directories[0] + "/" + jars[0]));
    EXPECT_FALSE(install.exists(directories[3] + "/" + jars[3]));
    EXPECT_EQ(run.result.exitCode, 1);

    // Put back, the class path holds all four, byte for byte.
    install.write(directories[0] + "/" + jars[0], "");
    install.write(directories[3] + "/" + jars[3], "");
    const auto second = install.launch();
    EXPECT_EQ(second.result.exitCode, 0) << second.result.out << second.result.err;
    if (platform::pathListSeparator() == ':') {
        EXPECT_EQ(classPathOption(second), expected);
    }
}

// Beyond 4096 bytes (PATH_MAX here) the system refuses the path; the launcher must report it
// as the step's ordinary failure and never crash.
TEST(OddNames, PathsLongerThan4096Bytes) {
    std::string deep;
    while (deep.size() <= 4200)
        deep += std::string(200, 'd') + "/";
    struct Case {
        const char* where;
        std::string properties;  // more lines of launch.properties
        std::string list;
        int exitCode;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"class path directory", "jvm.classpath=" + deep + "a.jar\n", "", 1,
         "Failed to scan dir '" + deep.substr(0, deep.size() - 1) + "'"},
        {"JVM library", "jvm.dll.path=" + deep + "libjvm.so\n", "", 2, "Cannot load JVM library"},
        // Never passed over as missing: it may be there. It fails like any operation that cannot
        // be carried out, and the list stays.
        {"deferred path", "", testing_support::deferredList({{"delete", deep + "x"}}), 1,
         "Cannot remove file '" + deep + "x'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        const StubInstallation install;
        install.write("launch.properties", install.launchProperties(c.properties));
        if (!c.list.empty())
            install.write("deferred_operations", c.list);
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, c.exitCode) << run.result.err;
        EXPECT_TRUE(hasLine(run.result.out + "\n", c.line)) << run.result.out;
        EXPECT_EQ(install.exists("deferred_operations"), !c.list.empty());
    }
}

// A launcher that lies deeper than the kernel will name (its own path beyond a page) still
// finds its files when started from its own directory. The test builds and runs it from
// inside, through relative paths, since the system refuses any one path this long.
TEST(OddNames, InstallationDeeperThan4096Bytes) {
    const StubInstallation install;
    const fs::path testDirectory = fs::current_path();
    const std::string component(200, 'd');
    fs::current_path(install.root());
    for (std::size_t depth = 0; depth * (component.size() + 1) <= 4200; ++depth) {
        fs::create_directory(component);
        fs::current_path(component);
    }
    fs::copy(install.root() / "lib", "lib");
    fs::copy_file(install.root() / "launch.properties", "launch.properties");
    fs::copy_file(install.launcherPath(), "launcher");
    testing_support::ProcessOptions options;
    options.program = "./launcher";
    options.arguments = {"./launcher"};
    const auto result = testing_support::runProcess(options);

    // A tree this deep is beyond what the temporary directory's own removal can walk.
    fs::current_path(install.root());
    testing_support::ProcessOptions removal;
    removal.program = "/bin/rm";
    removal.arguments = {"/bin/rm", "-rf", component};
    testing_support::runProcess(removal);
    fs::current_path(testDirectory);

    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(printedClassPath(result.out), "lib/app.jar") << result.out;
    EXPECT_FALSE(fs::exists(install.root() / component));
}

TEST(OddNames, SymbolicLinkLoops) {
    {
        SCOPED_TRACE("a loop named like a jar beside the jar");
        const StubInstallation install;
        fs::create_symlink("loop", install.root() / "lib/loop");
        fs::create_symlink("app__V9.jar", install.root() / "lib/app__V9.jar");
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        // A link that leads nowhere is not a file.
        EXPECT_EQ(printedClassPath(run.result.out), "lib/app.jar") << run.result.out;
    }
    {
        SCOPED_TRACE("the class path directory is a loop");
        const StubInstallation install;
        fs::remove_all(install.root() / "lib");
        fs::create_symlink("lib", install.root() / "lib");
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 1);
        EXPECT_TRUE(hasLine(run.result.out, "Failed to scan dir 'lib'")) << run.result.out;
    }
    {
        SCOPED_TRACE("a deferred delete of a loop removes the link");
        const StubInstallation install;
        fs::create_symlink("old", install.root() / "old");
        install.write("deferred_operations", "size=1\noperation.0=delete\noperation.0.file=old\n");
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 0) << run.result.out;
        EXPECT_FALSE(install.exists("old"));
    }
}

// Files of the listed directory come and go while the launcher lists it; the jar that stays
// is always found, and a vanished candidate is at worst a class path element, never a crash.
TEST(OddNames, FilesVanishWhileTheDirectoryIsListed) {
    const StubInstallation install;
    for (int i = 0; i < 2000; ++i)
        install.write("lib/other" + std::to_string(i) + ".txt", "");
    std::atomic<bool> stop = false;
    std::thread churn([&] {
        for (int round = 0; !stop; ++round) {
            const fs::path file =
                install.root() / "lib" / ("app__V" + std::to_string(round % 50) + ".jar");
            std::error_code ignored;
            if (round % 2 == 0)
                testing_support::writeFile(file, "");
            else
                fs::remove(
                    install.root() / "lib" / ("app__V" + std::to_string((round - 1) % 50) + ".jar"),
                    ignored);
            fs::remove(install.root() / "lib" / ("other" + std::to_string(round % 2000) + ".txt"),
                       ignored);
        }
    });
    for (int i = 0; i < 10; ++i) {
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 0) << run.result.out << run.result.err;
        const std::string classPath = printedClassPath(run.result.out).value_or("(none)");
        EXPECT_TRUE(classPath.starts_with("lib/app")) << classPath;
        EXPECT_EQ(classPath.find(platform::pathListSeparator()), std::string::npos);
    }
    stop = true;
    churn.join();
}

}  // namespace
}  // namespace reliability
