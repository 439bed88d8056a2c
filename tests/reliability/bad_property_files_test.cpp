// Property files and the file "version" holding what no editor writes: binary bytes, NULs,
// a 10 MB line, a directory in place of the file, a byte-order mark.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "stub_installation.h"

namespace reliability {
namespace {

using namespace std::string_literals;

const std::string binaryLine = "\x00\xff\xfe\x01\x02=\x03\x1b[0m\x7f\x80 junk"s;
const std::string tenMegabytes(std::size_t{10} * 1024 * 1024, 'x');

// Binary lines between the lines that matter change nothing: the launch still succeeds with
// the configured class path, main class and heap size, and the list is still carried out.
TEST(BadPropertyFiles, BinaryLinesAroundTheKeysChangeNothing) {
    const StubInstallation install;
    install.write(
        "launch.properties",
        binaryLine + "\n" + install.launchProperties(binaryLine + "\r\n") + "\x00=\x00\n"s);
    install.write("settings.properties", binaryLine + "\nmemory.max=2048\n" + binaryLine);
    install.write("old.jar", "old");
    install.write("deferred_operations", binaryLine + "\nsize=1\n" + binaryLine +
                                             "\noperation.0=delete\noperation.0.file=old.jar\n");
    install.write("version", "\xff\xfe\x01\n2.0\n"s);

    const auto run = install.launch();

    EXPECT_EQ(run.result.exitCode, 0) << run.result.out << run.result.err;
    EXPECT_EQ(printedClassPath(run.result.out), "lib/app.jar");
    EXPECT_TRUE(hasLine(run.result.out, "Brantlo Client version: \xff\xfe\x01")) << run.result.out;
    const auto classes = recorded(run.record, "FindClass");
    ASSERT_FALSE(classes.empty());
    EXPECT_EQ(classes.front(), "Main");
    const auto options = recorded(run.record, "option");
    ASSERT_FALSE(options.empty());
    EXPECT_EQ(options.back(), "-Xmx2048m");
    EXPECT_FALSE(install.exists("old.jar"));
    EXPECT_FALSE(install.exists("deferred_operations"));
}

// A NUL inside a value is part of the value: the text before it names something else, and
// must never be acted on in its place.
TEST(BadPropertyFiles, NulInsideAValueNeverStandsForTheTextBeforeIt) {
    {
        SCOPED_TRACE("jvm.dll.path");
        const StubInstallation install;
        install.write("launch.properties", "jvm.classpath=lib/app.jar\njvm.dll.path=" +
                                               testing_support::stubJvmLibrary() +
                                               "\0.other.so\nmain.class=Main\n"s);
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 2) << run.result.out << run.result.err;
        EXPECT_TRUE(recorded(run.record, "create-result").empty());
    }
    {
        SCOPED_TRACE("main.class");
        const StubInstallation install;
        install.write("launch.properties", install.launchProperties("main.class=Main\0Other\n"s));
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 4) << run.result.out << run.result.err;
        EXPECT_TRUE(recorded(run.record, "main-argc").empty());
    }
    {
        SCOPED_TRACE("deferred path and destination");
        const StubInstallation install;
        install.write("keep.txt", "keep");
        install.write("a.jar", "current");
        install.write("a.new", "new");
        install.write("deferred_operations",
                      "size=2\noperation.0=delete\noperation.0.file=keep.txt\0.old\n"
                      "operation.1=rename\noperation.1.file=a.new\n"
                      "operation.1.destination=a.jar\0.next\n"s);
        const auto run = install.launch();
        EXPECT_TRUE(install.exists("keep.txt") && install.read("keep.txt") == "keep");
        EXPECT_TRUE(install.exists("a.jar") && install.read("a.jar") == "current");
        EXPECT_TRUE(install.exists("a.new") && install.read("a.new") == "new");
        EXPECT_EQ(run.result.exitCode, 0) << run.result.out << run.result.err;
    }
}

TEST(BadPropertyFiles, TenMegabyteLinesAreReadWhole) {
    {
        SCOPED_TRACE("a 10 MB line before the keys");
        const StubInstallation install;
        install.write("launch.properties", tenMegabytes + "\n" + install.launchProperties());
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        EXPECT_EQ(printedClassPath(run.result.out), "lib/app.jar");
    }
    {
        SCOPED_TRACE("a 10 MB jar name");
        const StubInstallation install;
        install.write("launch.properties",
                      install.launchProperties("jvm.classpath=lib/" + tenMegabytes + ".jar\n"));
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 1);
        EXPECT_TRUE(hasLine(run.result.out,
                            "Failed to build classpath. lib/" + tenMegabytes + ".jar is missed."));
    }
    {
        SCOPED_TRACE("a 10 MB deferred path");
        const StubInstallation install;
        install.write("deferred_operations",
                      testing_support::deferredList({{"delete", tenMegabytes}}));
        // Too long for the system to look up, so never passed over as missing: it fails like
        // an operation that cannot be carried out, and the list stays.
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 1) << run.result.err;
        EXPECT_TRUE(hasLine(run.result.out, "Cannot remove file '" + tenMegabytes + "'"));
        EXPECT_TRUE(install.exists("deferred_operations"));
    }
    {
        SCOPED_TRACE("a 10 MB version and memory.max");
        const StubInstallation install;
        install.write("version", tenMegabytes + "\n");
        install.write("settings.properties", "memory.max=" + std::string(10 << 20, '9') + "\n");
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        EXPECT_TRUE(hasLine(run.result.out, "Brantlo Client version: " + tenMegabytes));
        const auto options = recorded(run.record, "option");
        ASSERT_FALSE(options.empty());
        EXPECT_EQ(options.back(), "-Xmx1024m");
    }
}

// A directory, a FIFO or a device where a file should be reads as a missing file: its
// defaults apply, nothing waits for a writer, and nothing tries to delete it. A link to a regular
// file is read through.
TEST(BadPropertyFiles, AnythingButARegularFileReadsAsMissing) {
    namespace fs = std::filesystem;
    const std::vector<std::pair<const char*, void (*)(const fs::path&)>> kinds = {
        {"directory", [](const fs::path& at) { fs::create_directory(at); }},
        {"FIFO", [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); }},
        {"link to /dev/zero", [](const fs::path& at) { fs::create_symlink("/dev/zero", at); }},
    };
    for (const auto& [kind, make] : kinds) {
        {
            SCOPED_TRACE(std::string("launch.properties as ") + kind);
            const StubInstallation install;
            fs::remove(install.path("launch.properties"));
            make(install.path("launch.properties"));
            const auto run = install.launch();
            ASSERT_FALSE(run.result.timedOut);
            EXPECT_EQ(run.result.exitCode, 1);
            EXPECT_TRUE(run.result.out.ends_with("classpath: \nCannot load JVM options"))
                << run.result.out;
        }
        {
            SCOPED_TRACE(std::string("settings.properties, deferred_operations and version as ") +
                         kind);
            const StubInstallation install;
            for (const char* name : {"settings.properties", "deferred_operations", "version"})
                make(install.path(name));
            const auto run = install.launch();
            ASSERT_FALSE(run.result.timedOut);
            EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
            EXPECT_TRUE(run.result.out.starts_with("Size operation not found.\n"))
                << run.result.out;
            EXPECT_TRUE(hasLine(run.result.out, "Brantlo Client version: "));
            const auto options = recorded(run.record, "option");
            ASSERT_FALSE(options.empty());
            EXPECT_EQ(options.back(), "-Xmx1024m");
            EXPECT_TRUE(fs::exists(fs::symlink_status(install.path("deferred_operations"))));
        }
        {
            SCOPED_TRACE(std::string("progress record and its temporary file as ") + kind);
            const StubInstallation install;
            install.write("old.jar", "old");
            install.write("deferred_operations",
                          testing_support::deferredList({{"delete", "old.jar"}}));
            make(install.path("deferred_operations.progress"));
            make(install.path("deferred_operations.progress.tmp"));
            const auto run = install.launch();
            ASSERT_FALSE(run.result.timedOut);
            EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
            // A directory can't be replaced by the record: unrecorded, the list is held back
            // for a later start rather than risk being repeated.
            const bool heldBack = std::string_view(kind) == "directory";
            EXPECT_EQ(install.exists("old.jar"), heldBack);
            EXPECT_EQ(install.exists("deferred_operations"), heldBack);
            EXPECT_EQ(run.result.out.starts_with("Cannot record the progress"), heldBack)
                << run.result.out;
        }
    }
    {
        SCOPED_TRACE("settings.properties as a link to a regular file, which is read through");
        const StubInstallation install;
        install.write("shared.properties", "memory.max=2048\n");
        fs::remove(install.path("settings.properties"));
        fs::create_symlink("shared.properties", install.path("settings.properties"));
        const auto options = recorded(install.launch().record, "option");
        ASSERT_FALSE(options.empty());
        EXPECT_EQ(options.back(), "-Xmx2048m");
    }
}

TEST(BadPropertyFiles, VersionWithAByteOrderMarkOrOnlyALineFeed) {
    struct Case {
        std::string version;
        std::string versionLine;
        bool notDigital;
    };
    const std::vector<Case> cases = {
        {"\xef\xbb\xbf"
         "2.1.0\r\n",
         "Brantlo Client version: \xef\xbb\xbf"
         "2.1.0",
         true},
        {"\n", "Brantlo Client version: ", true},
        {"2.1.0\n", "Brantlo Client version: 2.1.0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.versionLine);
        const StubInstallation install;
        install.write("lib/app__V2.1.0.jar", "");
        install.write("version", c.version);
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        EXPECT_TRUE(hasLine(run.result.out, c.versionLine)) << run.result.out;
        EXPECT_EQ(hasLine(run.result.out, "Brantlo Client version is not digital."), c.notDigital);
        // With a digital version the matching file wins whatever the listing order.
        if (!c.notDigital) {
            EXPECT_EQ(printedClassPath(run.result.out), "lib/app__V2.1.0.jar");
        }
    }
}

}  // namespace
}  // namespace reliability
