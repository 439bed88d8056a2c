// launcher.exe started under Wine in temporary installations: exit codes, the boxes a user
// sees in order, the redirected standard output, and what reaches the JVM library.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "stub_jvm/stub_jvm_failures.h"
#include "support/files.h"
#include "support/installation.h"
#include "support/process_runner.h"
#include "win/stub_client.h"
#include "win/wine_installation.h"

namespace wine_tests {
namespace {

using Boxes = std::vector<MessageBoxCall>;
using Lines = std::vector<std::string>;

class LaunchUnderWine : public WineTest {};

TEST_F(LaunchUnderWine, EmptyInstallationFailsTheOptionsWithOneBoxAndCodeOne) {
    WineInstallation installation(setup());
    const WineRun run = installation.run();
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.lines(), (Lines{"Size operation not found.", "Brantlo Client version: ",
                                  "classpath: ", "Cannot load JVM options"}));
    EXPECT_EQ(run.boxes, (Boxes{{"Cannot load JVM options", "Error"}}));
}

TEST_F(LaunchUnderWine, CompleteStartWritesItsLinesHandsOverTheOptionsAndDestroysTheJvm) {
    WineInstallation installation(setup());
    installStubClient(installation);
    const WineRun run = installation.run({}, stubRun(installation));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(run.lines(), (Lines{"Size operation not found.", "Brantlo Client version: 2.1.0",
                                  "classpath: lib/client__V2.1.0.jar;lib/util.jar"}));

    const StubRecord record = stubRecord(installation);
    // Rows 2 to 4 are built-in text 129, read from the string table.
    EXPECT_EQ(
        record.values("option"),
        (Lines{"-Djava.class.path=lib/client__V2.1.0.jar;lib/util.jar", "-XX:MaxPermSize=250m",
               "-Xmx512m", "-Xms128m", "-DkeystoreLocation=keys\\store.jks",
               "-Djvm.bin.path=jre\\bin", "-Xmx2048m"}));
    EXPECT_EQ(record.value("version"), "0x10002");
    EXPECT_EQ(record.value("ignoreUnrecognized"), "0");
    EXPECT_EQ(record.value("FindClass"), "client/Main");
    EXPECT_EQ(record.value("GetStaticMethodID"), "main ([Ljava/lang/String;)V");
    ASSERT_FALSE(record.names().empty());
    EXPECT_EQ(record.names().back(), "DestroyJavaVM");
}

// The library is loaded while jvm.bin.path is the current directory (a bare jvm.dll is found
// there only), and the executable's directory is current again before the JVM is created. The
// process starts in another client's folder: every step reads the installation's own files,
// also in folders past the narrow calls' 260 characters whose parts have no shorter 8.3 form,
// with an update to carry out first.
TEST_F(LaunchUnderWine, EveryStepUsesTheInstallationFolderWhateverItsLength) {
    const WineInstallation otherClient(setup(), {}, "Other Client");
    installStubClient(otherClient);
    otherClient.write("version", "9.9\r\n");
    const auto withoutSeparator = [](std::string path) {
        while (!path.empty() && path.back() == '\\')
            path.pop_back();
        return path;
    };
    for (const std::size_t length : {0, 300, 1000}) {
        std::string folder = "Brantlo Client";
        while (windowsPath(otherClient.root().parent_path()).size() + 1 + folder.size() < length)
            folder += "/ABCDEFGH";
        WineInstallation installation(setup(), {}, folder);
        SCOPED_TRACE(windowsPath(installation.root()).size());
        installStubClient(installation);
        installation.write("update/util.jar", "new util");
        installation.write(
            "deferred_operations",
            testing_support::deferredList(
                {{"delete", "lib\\util.jar"}, {"rename", "update\\util.jar", "lib\\util.jar"}},
                "\r\n"));
        RunOptions options = stubRun(installation);
        options.workingDirectory = otherClient.root();

        const WineRun run = installation.run({}, options);
        ASSERT_EQ(run.exitCode, 0) << run.out;
        EXPECT_EQ(run.lines(), (Lines{"Brantlo Client version: 2.1.0",
                                      "classpath: lib/client__V2.1.0.jar;lib/util.jar"}));
        EXPECT_EQ(installation.read("lib/util.jar"), "new util");
        // The folder by its short form, as the launcher names it past the narrow limit.
        const std::string folderEnd = "\\" + installation.root().filename().string();
        const StubRecord record = stubRecord(installation);
        EXPECT_TRUE(withoutSeparator(record.value("loaded-in")).ends_with(folderEnd + "\\jre\\bin"))
            << record.value("loaded-in");
        EXPECT_TRUE(withoutSeparator(record.value("create-in")).ends_with(folderEnd))
            << record.value("create-in");
    }
}

// A JVM library that can't be loaded or has no JNI_CreateJavaVM, by its jvm.dll.path.
class LibraryFailureUnderWine : public WineTest,
                                public ::testing::WithParamInterface<const char*> {};

TEST_P(LibraryFailureUnderWine, ShowsItsBoxesInOrderAndEndsWithCodeTwo) {
    const std::string dllPath = GetParam();
    WineInstallation installation(setup());
    installStubClient(installation);
    testing_support::copyExecutable(
        setup().windowsBuild / "tests/stub_jvm/libstub_no_jvm_entry.dll",
        installation.path("jre/bin/other.dll"));
    installation.write("jre/bin/broken.dll", "not a library");
    installation.write("launch.properties",
                       "jvm.classpath=lib/client.jar\r\n"
                       "jvm.bin.path=jre\\bin\r\n"
                       "main.class=client/Main\r\n"
                       "jvm.dll.path=" +
                           dllPath + "\r\n");

    const WineRun run = installation.run({}, stubRun(installation));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.boxes, (Boxes{{"Failed to load VM DLL " + dllPath, stubCaption},
                                {"Cannot load JVM library", "Error"}}));
    const Lines lines = run.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Cannot load JVM library");
    EXPECT_FALSE(stubRecord(installation).has("loaded-in"));
}

INSTANTIATE_TEST_SUITE_P(Libraries, LibraryFailureUnderWine,
                         ::testing::Values("jre\\bin\\missing.dll", "broken.dll", "other.dll"));

// The stub JVM's failures, with the same table as on the POSIX launcher.
class StubJvmFailureUnderWine : public WineTest,
                                public ::testing::WithParamInterface<stub_jvm::Failure> {};

TEST_P(StubJvmFailureUnderWine, ShowsItsBoxesInOrderAndEndsWithItsCode) {
    const stub_jvm::Failure& failure = GetParam();
    WineInstallation installation(setup());
    installStubClient(installation);
    const WineRun run = installation.run({"arg"}, stubRun(installation, failure.play));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, failure.exitCode);
    Boxes boxes{{failure.box, stubCaption}};
    if (!failure.launcherMessage.empty())
        boxes.push_back({failure.launcherMessage, "Error"});
    EXPECT_EQ(run.boxes, boxes);
    const Lines lines = run.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), failure.launcherMessage.empty()
                                ? "classpath: lib/client__V2.1.0.jar;lib/util.jar"
                                : failure.launcherMessage);
    const StubRecord record = stubRecord(installation);
    EXPECT_EQ(stub_jvm::exceptionCalls(record.names()), failure.exceptionCalls);
    EXPECT_EQ(record.has("main-argc"), failure.mainCalled);
    EXPECT_EQ(record.has("DestroyJavaVM"), failure.destroyed);
}

INSTANTIATE_TEST_SUITE_P(Failures, StubJvmFailureUnderWine,
                         ::testing::ValuesIn(stub_jvm::failures()),
                         [](const auto& param) { return std::string(param.param.name); });

// A missing main class is described by the JVM (on standard error) and cleared before the box.
TEST_F(LaunchUnderWine, MissingMainClassIsDescribedAndClearedFirst) {
    WineInstallation installation(setup());
    installStubClient(installation);
    const WineRun run = installation.run({}, stubRun(installation, "class-missing"));
    ASSERT_EQ(run.exitCode, 4);
    const Lines names = stubRecord(installation).names();
    const Lines expectedTail{"FindClass", "ExceptionDescribe", "ExceptionClear"};
    ASSERT_GE(names.size(), expectedTail.size());
    EXPECT_EQ(Lines(names.end() - 3, names.end()), expectedTail);
    EXPECT_NE(run.trace.find("stub.PlayedException"), std::string::npos);
}

// Built-in text 114 baked in empty: LoadStringW finds no text, and the caption is empty.
TEST_F(LaunchUnderWine, AbsentCaptionTextGivesAnEmptyCaption) {
    const char* build = std::getenv("LAUNCHER_WINDOWS_NO_CAPTION_BUILD");
    const std::filesystem::path launcher =
        build == nullptr ? std::filesystem::path()
                         : std::filesystem::path(build) / "src/launcher/launcher.exe";
    std::error_code ignored;
    if (launcher.empty() || !std::filesystem::exists(launcher, ignored))
        GTEST_SKIP() << "no build with an empty text 114 (LAUNCHER_WINDOWS_NO_CAPTION_BUILD)";
    WineInstallation installation(setup(), launcher);
    installStubClient(installation);
    installation.write("launch.properties",
                       "jvm.classpath=lib/client.jar\r\njvm.dll.path=absent.dll\r\n");
    const WineRun run = installation.run();
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.boxes, (Boxes{{"Failed to load VM DLL absent.dll", ""},
                                {"Cannot load JVM library", "Error"}}));
}

// The same installation in a plain folder and in one named with characters that the Western
// code page lacks: the narrow calls reach the latter through its short form, and the JVM
// library, loaded through it, finds a module path of its own without '?'.
TEST_F(LaunchUnderWine, FolderNamedOutsideTheCodePageStartsLikeAPlainOne) {
    struct Start {
        int exitCode;
        Lines lines, options, arguments;
    };
    const auto start = [&](const std::string& folderName) {
        WineInstallation installation(setup(), {}, folderName);
        installStubClient(installation);
        installation.write("upd/c.txt", "new");
        installation.write("deferred_operations", testing_support::deferredList(
                                                      {{"rename", "upd\\c.txt", "c.txt"}}, "\r\n"));
        const WineRun run = installation.run({"one", "two words"}, stubRun(installation));
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(installation.read("c.txt"), "new") << folderName;
        EXPECT_FALSE(installation.exists("deferred_operations")) << folderName;
        const StubRecord record = stubRecord(installation);
        const std::string modulePath = record.value("module-path");
        EXPECT_NE(modulePath.find("jvm.dll"), std::string::npos) << modulePath;
        EXPECT_EQ(modulePath.find('?'), std::string::npos) << modulePath;
        return Start{run.exitCode, run.lines(), record.values("option"), record.values("main-arg")};
    };
    const Start plain = start("Brantlo Client");
    const Start japanese = start(
        "\xE3\x83\x96\xE3\x83\xA9\xE3\x83\xB3\xE3\x83\x88\xE3\x83\xAD "
        "\xE3\x82\xAF\xE3\x83\xA9\xE3\x82\xA4\xE3\x82\xA2\xE3\x83\xB3\xE3\x83\x88");
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(japanese.exitCode, 0);
    EXPECT_EQ(japanese.lines, plain.lines);
    EXPECT_EQ(japanese.options, plain.options);
    // Element 0 is the command line's program path, as typed.
    ASSERT_FALSE(japanese.arguments.empty());
    EXPECT_EQ(Lines(japanese.arguments.begin() + 1, japanese.arguments.end()),
              (Lines{"one", "two words"}));
}

// The narrow form of the executable's path under code pages of the test's choosing, with the
// short form that the test makes GetShortPathNameW answer ("" for none).
TEST_F(LaunchUnderWine, ExecutablePathKeepsEveryCharacterOrTakesItsShortForm) {
    const std::string longFolder = "C:\\" + std::string(200, 'd') + "\\";
    const std::string japanese = "C:\\\xE3\x83\x96\xE3\x83\xA9 \xE3\x83\xB3\\launcher.exe";
    struct Case {
        const char* codePage;
        std::string path, shortForm, narrow;
    };
    const std::vector<Case> cases{
        // UTF-8 takes no default-character arguments and holds every path as it is.
        {"65001", japanese, "", japanese},
        {"932", japanese, "", "C:\\\x83\x75\x83\x89 \x83\x93\\launcher.exe"},
        {"1252", "C:\\plug\xE2\x80\x99ins\\launcher.exe", "", "C:\\plug\x92ins\\launcher.exe"},
        {"1252", japanese, "C:\\____~ZAK\\launcher.exe", "C:\\____~ZAK\\launcher.exe"},
        // A folder that leaves no room for the names below it: its short form when it has one.
        {"1252", longFolder + "launcher.exe", "C:\\DDDDDD~1\\launcher.exe",
         "C:\\DDDDDD~1\\launcher.exe"},
        {"1252", longFolder + "launcher.exe", "", longFolder + "launcher.exe"},
        // No form: no short form, and no best-fit look-alike ('A' for U+0100) either.
        {"1252", japanese, "", "none"},
        {"1252", "C:\\\xC4\x80\\launcher.exe", "", "none"},
    };
    const auto hex = [](const std::string& bytes) {
        std::string out;
        for (const unsigned char byte : bytes)
            out += "0123456789abcdef"[byte >> 4], out += "0123456789abcdef"[byte & 0xf];
        return out;
    };
    for (const Case& c : cases) {
        testing_support::ProcessOptions options;
        options.program = setup().wine;
        options.arguments = {setup().wine, setup().helper("code_page_probe").string(), c.codePage,
                             c.path};
        if (!c.shortForm.empty())
            options.arguments.push_back(c.shortForm);
        options.environment = {{"WINEDEBUG", "-all"}};
        const testing_support::ProcessResult result = testing_support::runProcess(options);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out, c.narrow == "none" ? c.narrow : hex(c.narrow))
            << c.codePage << " " << c.path;
    }
}

// A start from the desktop has no standard output: the launcher's own lines go to launcher.log
// after a line marking each start, the client's writes do not.
TEST_F(LaunchUnderWine, StartWithoutStandardOutputLogsItsOwnLinesOnly) {
    WineInstallation installation(setup());
    installStubClient(installation);
    RunOptions options = stubRun(installation, "main-writes");
    EXPECT_EQ(installation.run({"a"}, options).lines().back(), "client output");
    EXPECT_FALSE(installation.exists("launcher.log"));
    options.fromDesktop = true;
    ASSERT_EQ(installation.run({"a"}, options).exitCode, 0);
    std::filesystem::remove(installation.path("lib/util.jar"));
    ASSERT_EQ(installation.run({}, options).exitCode, 1);
    Lines log = outputLines(installation.read("launcher.log"));
    const std::regex start(R"(--- \d{4}-\d\d-\d\d \d\d:\d\d:\d\d .*\\launcher\.exe, arguments: )");
    for (std::string& line : log)
        line = std::regex_replace(line, start, "START ");
    EXPECT_EQ(log, (Lines{"START 1", "Size operation not found.", "Brantlo Client version: 2.1.0",
                          "classpath: lib/client__V2.1.0.jar;lib/util.jar", "START 0",
                          "Size operation not found.", "Brantlo Client version: 2.1.0",
                          "Failed to build classpath. lib/util.jar is missed."}));
}

// A log past 2 GiB and past 4 GiB (sparse: no disk is used) is cut to its newest lines.
TEST_F(LaunchUnderWine, LogPastFourGibibytesKeepsItsNewestLines) {
    WineInstallation installation(setup());
    installStubClient(installation);
    RunOptions options = stubRun(installation);
    options.fromDesktop = true;
    for (const std::uintmax_t gibibytes : {3u, 4u}) {
        const std::filesystem::path log = installation.path("launcher.log");
        testing_support::writeFile(log, "oldest line\n");
        std::filesystem::resize_file(log, (gibibytes << 30) + std::uintmax_t{300} * 1024);
        std::ofstream(log, std::ios::binary | std::ios::app) << "\nnewest line\n";
        ASSERT_EQ(installation.run({}, options).exitCode, 0);
        const std::string kept = installation.read("launcher.log");
        EXPECT_LT(kept.size(), 256u * 1024) << gibibytes;
        EXPECT_TRUE(kept.starts_with("newest line\n---")) << gibibytes;
    }
}

}  // namespace
}  // namespace wine_tests
