// The launcher hosting the installed JDK's real libjvm.so, in temporary installations.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "jvm_test_installation.h"
#include "support/files.h"
#include "support/installation.h"

namespace {

using jvm_e2e::contains;
using jvm_e2e::containsAfter;
using jvm_e2e::hostingBoxLine;
using jvm_e2e::lineValue;
using testing_support::Installation;
using testing_support::ProcessResult;

std::string describe(const ProcessResult& result) {
    return "exit " + std::to_string(result.exitCode) + "\n--- stdout\n" + result.out +
           "--- stderr\n" + result.err;
}

// The launch sequence's own failure: its text last on standard output, then its box.
void expectLaunchFailure(const ProcessResult& result, int exitCode, const std::string& message) {
    EXPECT_EQ(result.exitCode, exitCode) << describe(result);
    EXPECT_TRUE(result.out.ends_with(message)) << describe(result);
    EXPECT_TRUE(result.err.ends_with("Error: " + message + "\n")) << describe(result);
}

TEST(RealJvm, RunsTheClientWithItsArgumentsAndConfiguration) {
    Installation installation;
    jvm_e2e::installClientForRealJvm(installation, "e2e/ShowLaunch",
                                     "jvm.keystore.path=conf/client keys.jks\n");
    installation.write("settings.properties", "memory.max=384\n");
    const std::vector<std::string> arguments{"one", "two words", "\xC3\xBC\xE2\x82\xAC",
                                             "\xF0\x9F\x98\x80 emoji", ""};
    const ProcessResult result =
        installation.run(arguments, jvm_e2e::modernJvmEnvironment(), "./launcher");
    ASSERT_EQ(result.exitCode, 0) << describe(result);

    EXPECT_EQ(lineValue(result.out, "argc="), "6") << describe(result);
    std::string expectedArguments = "arg=./launcher\n";
    for (const std::string& argument : arguments)
        expectedArguments += "arg=" + jvm_e2e::javaEscaped(argument) + "\n";
    EXPECT_TRUE(contains(result.out, expectedArguments)) << describe(result);

    const std::string classPath = lineValue(result.out, "classpath: ");
    EXPECT_EQ(classPath, jvm_e2e::chosenClientJar());
    EXPECT_EQ(lineValue(result.out, "java.class.path="), classPath);
    EXPECT_EQ(lineValue(result.out, "keystoreLocation="), "conf/client keys.jks");
    EXPECT_EQ(lineValue(result.out, "jvm.bin.path="), testing_support::jdkHome() + "/bin");
    // The settings' maximum heap comes after the built-in -Xmx512m and wins.
    EXPECT_EQ(lineValue(result.out, "MaxHeapSize="), std::to_string(384ull << 20));
}

// The JVM decodes file names in the charset of the environment's locale (US-ASCII in the C
// locale): a jar whose name it can't decode, or whose directory's name it can't, is never
// chosen over one it can open, and the client starts. A C or POSIX locale for characters, or
// none, is taken as UTF-8 where the system has such a locale, so that a client installed in a
// folder named beyond ASCII starts from a service or "env -i"; an LC_ALL that is set holds.
TEST(RealJvm, AJarNameTheJvmCannotDecodeLosesToOneItCanOpen) {
    struct Case {
        std::string variable;  // the one locale variable set, or "" for none at all
        std::string value;
        std::string folder;  // the installation folder's name, or "" for a plain one
        std::string chosen;
    };
    const std::string utf8Jar = "lib/client__V1.2.0.\xC3\xA9.jar";
    const std::vector<Case> cases = {
        {"LC_ALL", "C", "", "lib/client__V1.1.0.jar"},
        {"LC_ALL", "C.UTF-8", "", utf8Jar},
        {"", "", "", utf8Jar},
        {"LANG", "POSIX", "", utf8Jar},
        {"LC_CTYPE", "C", "", utf8Jar},
        {"", "", "zo\xC3\xAB studio", utf8Jar},
        {"LANG", "C", "\xD1\x81\xD1\x82\xD1\x83\xD0\xB4\xD0\xB8\xD1\x8F", utf8Jar},
    };
    for (const Case& c : cases) {
        const std::string what =
            "locale '" + c.variable + "=" + c.value + "', folder '" + c.folder + "'";
        Installation installation(c.folder);
        jvm_e2e::installClientForRealJvm(installation, "e2e/ShowLaunch",
                                         "jvm.classpath=lib/client.jar;\xE9xt/client.jar\n");
        const std::string jar =
            testing_support::readFile(installation.root() / "lib/client__V1.2.0.jar");
        installation.write("\xE9xt/client__V1.2.0.jar", jar);
        std::filesystem::remove(installation.root() / "lib/client__V1.2.0.jar");
        installation.write("lib/client__V1.2.0.\xE9.jar", jar);  // Latin-1, as an unzip leaves it
        installation.write(utf8Jar, jar);
        testing_support::ProcessOptions options =
            installation.launchOptions({}, jvm_e2e::modernJvmEnvironment(), "./launcher");
        for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG", "LANGUAGE"})
            options.unsetEnvironment.emplace_back(name);
        if (!c.variable.empty())
            options.environment.emplace_back(c.variable, c.value);
        const ProcessResult result = testing_support::runProcess(options);
        EXPECT_EQ(result.exitCode, 0) << what << "\n" << describe(result);
        EXPECT_EQ(lineValue(result.out, "classpath: "), c.chosen) << what;
    }
}

// The sample entry class hands a main written for "java -jar" its own arguments only.
TEST(RealJvm, TheEntryClassDropsTheLauncherFromTheArguments) {
    Installation installation;
    for (const char* jar : {"entry.jar", "greeting__V2.1.4.jar"})
        installation.write(std::string("lib/") + jar,
                           testing_support::readFile(std::string(TEST_SAMPLE_JAR_DIR "/") + jar));
    installation.write("launch.properties",
                       "jvm.classpath=lib/entry.jar;lib/greeting.jar\n"
                       "jvm.dll.path=" +
                           testing_support::realJvmLibrary() +
                           "\nmain.class=com/example/entry/LauncherEntry\n");
    const ProcessResult result =
        installation.run({"one", "two words"}, jvm_e2e::modernJvmEnvironment(), "./launcher");
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    const std::string from =
        "! (greeting loaded from " + installation.path("lib/greeting__V2.1.4.jar");
    const std::string greetings = "Hello, one" + from + ")\nHello, two words" + from + ")\n";
    EXPECT_EQ(result.out.substr(result.out.find("Hello, ")), greetings) << describe(result);
}

// The sample's updater leaves a list that the next start carries out, whatever the names hold:
// folders to make, letters beyond ASCII, "=", "\\" and ":" (no escapes, unlike Properties).
TEST(RealJvm, TheSampleUpdaterLeavesAListTheNextStartCarriesOut) {
    Installation installation;
    jvm_e2e::installClientForRealJvm(installation, "e2e/SelfUpdate", "");
    jvm_e2e::Environment environment = jvm_e2e::modernJvmEnvironment();
    environment.emplace_back("LC_ALL", "C.UTF-8");
    const std::vector<std::string> names{"plain.txt", "lib/new folder/zo\xC3\xAB.txt",
                                         "a=b\\c:d.txt"};
    const ProcessResult staged = installation.run(names, environment, "./launcher");
    ASSERT_EQ(staged.exitCode, 0) << describe(staged);
    EXPECT_TRUE(installation.exists("deferred_operations"));
    EXPECT_FALSE(installation.exists("deferred_operations.writing"));
    const ProcessResult applied = installation.run({}, environment, "./launcher");
    EXPECT_EQ(applied.exitCode, 0) << describe(applied);
    EXPECT_FALSE(installation.exists("deferred_operations")) << describe(applied);
    for (const std::string& name : names) {
        EXPECT_EQ(installation.read(name), name) << describe(applied);
        EXPECT_FALSE(installation.exists(name + ".new")) << name;
    }
}

TEST(RealJvm, WithoutMemoryMaxTheHeapIsOneGigabyte) {
    Installation installation;
    jvm_e2e::installClientForRealJvm(installation, "e2e/ShowLaunch");
    const ProcessResult result = installation.run({}, jvm_e2e::modernJvmEnvironment());
    ASSERT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(lineValue(result.out, "argc="), "1");
    EXPECT_EQ(lineValue(result.out, "arg="), installation.launcherPath());
    EXPECT_EQ(lineValue(result.out, "keystoreLocation="), "");
    EXPECT_EQ(lineValue(result.out, "MaxHeapSize="), std::to_string(1024ull << 20));
}

TEST(RealJvm, SystemExitInTheClientIsTheExitCode) {
    Installation installation;
    jvm_e2e::installClientForRealJvm(installation, "e2e/ExitSeven");
    const ProcessResult result = installation.run({}, jvm_e2e::modernJvmEnvironment());
    EXPECT_EQ(result.exitCode, 7) << describe(result);
    EXPECT_TRUE(contains(result.out, "exiting with 7\n")) << describe(result);
}

TEST(RealJvm, ANonDaemonThreadFinishesItsWorkBeforeTheProcessEnds) {
    Installation installation;
    jvm_e2e::installClientForRealJvm(installation, "e2e/LingeringThread");
    const ProcessResult result = installation.run({}, jvm_e2e::modernJvmEnvironment());
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_TRUE(containsAfter(result.out, "main returns\n", "worker finished\n"))
        << describe(result);
}

class MissingMainClass : public ::testing::TestWithParam<std::string> {};

TEST_P(MissingMainClass, IsReportedWithItsFullNameAndExitCode4) {
    const std::string& className = GetParam();
    Installation installation;
    jvm_e2e::installClientForRealJvm(installation, className);
    const ProcessResult result = installation.run({}, jvm_e2e::modernJvmEnvironment());
    expectLaunchFailure(result, 4, "Cannot create JVM");
    // The JVM's own description of the pending error comes first, then the box.
    EXPECT_TRUE(contains(result.err, "java.lang.NoClassDefFoundError")) << describe(result);
    EXPECT_TRUE(containsAfter(result.err, "NoClassDefFoundError",
                              hostingBoxLine("Could not find main class " + className)))
        << describe(result);
}

INSTANTIATE_TEST_SUITE_P(Names, MissingMainClass,
                         ::testing::Values("e2e/NoSuchClass",
                                           // Longer than any fixed message buffer.
                                           "e2e/" + std::string(600, 'L')));

TEST(RealJvm, AMainWithAnotherSignatureIsNotFound) {
    Installation installation;
    jvm_e2e::installClientForRealJvm(installation, "e2e/WrongMain");
    const ProcessResult result = installation.run({}, jvm_e2e::modernJvmEnvironment());
    expectLaunchFailure(result, 4, "Cannot create JVM");
    EXPECT_TRUE(contains(result.err, hostingBoxLine("Could not find main method")))
        << describe(result);
    EXPECT_FALSE(contains(result.out, "must not run")) << describe(result);
}

TEST(RealJvm, AMainThatThrowsShowsTheStackTraceAndExits5) {
    Installation installation;
    jvm_e2e::installClientForRealJvm(installation, "e2e/Thrower");
    const ProcessResult result = installation.run({}, jvm_e2e::modernJvmEnvironment());
    EXPECT_EQ(result.exitCode, 5) << describe(result);
    EXPECT_TRUE(contains(result.err, "java.lang.IllegalStateException: client failure"))
        << describe(result);
    EXPECT_TRUE(containsAfter(result.err, "client failure", "at e2e.Thrower.failDeeper"))
        << describe(result);
    EXPECT_TRUE(containsAfter(result.err, "at e2e.Thrower.main",
                              hostingBoxLine("Error invoking main method")))
        << describe(result);
    EXPECT_FALSE(contains(result.err, "Error: ")) << describe(result);
}

// Where the launcher has no rule of its own, the client meets what the JDK's own launcher gives it.
class HostedLikeJava : public ::testing::Test {
  protected:
    HostedLikeJava() { jvm_e2e::installClientForRealJvm(installation, "e2e/LikeJava"); }
    ProcessResult run(const std::vector<std::string>& arguments) const {
        return installation.run(arguments, jvm_e2e::modernJvmEnvironment());
    }
    Installation installation;
};

TEST_F(HostedLikeJava, AShutdownHookThatJoinsMainEnds) {
    for (const auto& [how, exitCode] :
         {std::pair<std::string, int>{"join-main", 0}, {"join-main-after-sigterm", 143}}) {
        const ProcessResult result = run({how});
        EXPECT_EQ(result.exitCode, exitCode) << how << ": " << describe(result);
        EXPECT_TRUE(containsAfter(result.out, "main returns\n", "hook saw main end\n"))
            << how << ": " << describe(result);
    }
}

TEST_F(HostedLikeJava, AnExceptionFromMainReachesTheClientsHandlers) {
    const ProcessResult handled = run({"handler-exits"});
    EXPECT_EQ(handled.exitCode, 3) << describe(handled);
    EXPECT_TRUE(contains(handled.out, "handler got the failure from main\n")) << describe(handled);
    EXPECT_FALSE(contains(handled.err, "Error invoking main method")) << describe(handled);

    // The default handler fails on it: every line still readable, the box on its own.
    const ProcessResult unprintable = run({"unprintable-exception"});
    EXPECT_EQ(unprintable.exitCode, 5) << describe(unprintable);
    EXPECT_TRUE(unprintable.err.ends_with("\n" + hostingBoxLine("Error invoking main method")))
        << describe(unprintable);
}

TEST_F(HostedLikeJava, AReaderThatHasGoneLeavesTheClientRunning) {
    testing_support::ProcessOptions options =
        installation.launchOptions({"mark"}, jvm_e2e::modernJvmEnvironment());
    options.outputReaderGone = true;
    const ProcessResult result = testing_support::runProcess(options);
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(installation.read("client-ran"), "2 arguments\n") << describe(result);
}

TEST_F(HostedLikeJava, TenThousandArgumentsPassTheJniChecks) {
    std::vector<std::string> arguments(9999, "argument");
    arguments[0] = "mark";
    jvm_e2e::Environment environment = jvm_e2e::plainJvmEnvironment();
    environment.emplace_back("JAVA_TOOL_OPTIONS", "-XX:+IgnoreUnrecognizedVMOptions -Xcheck:jni");
    const ProcessResult result = installation.run(arguments, environment);
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(installation.read("client-ran"), "10000 arguments\n") << describe(result);
    // The checks write their warnings on standard output.
    EXPECT_FALSE(contains(result.out + result.err, "WARNING")) << describe(result);
}

TEST(RealJvm, AMaximumHeapBelowTheBuiltInInitialHeapIsRaisedToIt) {
    if (!contains(TEST_DEFAULT_VM_OPTIONS, "-Xms128m"))
        GTEST_SKIP() << "built with other default options: " << TEST_DEFAULT_VM_OPTIONS;
    Installation installation;
    jvm_e2e::installClientForRealJvm(installation, "e2e/ShowLaunch");
    installation.write("settings.properties", "memory.max=64\n");
    const ProcessResult result = installation.run({}, jvm_e2e::modernJvmEnvironment());
    ASSERT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(lineValue(result.out, "MaxHeapSize="), std::to_string(128ull << 20));
}

TEST(RealJvm, RejectsTheBuiltInPermSizeOptionWithoutHelp) {
    if (!contains(TEST_DEFAULT_VM_OPTIONS, "-XX:MaxPermSize="))
        GTEST_SKIP() << "built with other default options: " << TEST_DEFAULT_VM_OPTIONS;
    Installation installation;
    jvm_e2e::installClientForRealJvm(installation, "e2e/ShowLaunch");
    const ProcessResult result = installation.run({}, jvm_e2e::plainJvmEnvironment());
    expectLaunchFailure(result, 3, "Cannot create JVM");
    const std::string box = lineValue(result.err, std::string(TEST_CAPTION) + ": ");
    std::smatch code;
    ASSERT_TRUE(
        std::regex_match(box, code, std::regex("Failed to create VM: error code (-?\\d+)\\.")))
        << describe(result);
    EXPECT_LT(std::stoi(code[1]), 0) << describe(result);
    EXPECT_FALSE(contains(result.out, "argc=")) << describe(result);
}

struct UnloadableCase {
    const char* name;
    std::string dllPath;  // as configured; "@" stands for the installation's directory
};

void PrintTo(const UnloadableCase& unloadable, std::ostream* out) {
    *out << unloadable.name;
}

class UnloadableJvmLibrary : public ::testing::TestWithParam<UnloadableCase> {};

TEST_P(UnloadableJvmLibrary, GivesItsTwoBoxesAndExitCode2) {
    Installation installation;
    std::string dllPath = GetParam().dllPath;
    if (dllPath.starts_with("@"))
        dllPath = installation.root().string() + dllPath.substr(1);
    installation.write("not-a-library.so", "this is text, not a shared library\n");
    jvm_e2e::installClient(installation,
                           "jvm.dll.path=" + dllPath + "\njvm.bin.path=bin\nmain.class=e2e/X\n");
    installation.write("bin/.keep", "");
    const ProcessResult result = installation.run({}, jvm_e2e::modernJvmEnvironment());
    expectLaunchFailure(result, 2, "Cannot load JVM library");
    EXPECT_TRUE(contains(result.err, hostingBoxLine("Failed to load VM DLL " + dllPath) +
                                         "Error: Cannot load JVM library\n"))
        << describe(result);
}

INSTANTIATE_TEST_SUITE_P(Paths, UnloadableJvmLibrary,
                         ::testing::Values(UnloadableCase{"NoSuchFile", "jre/bin/server/libjvm.so"},
                                           UnloadableCase{"Empty", ""},
                                           UnloadableCase{"NotALibrary", "@/not-a-library.so"},
                                           UnloadableCase{"LibraryWithoutTheEntry",
                                                          jvm_e2e::noJvmEntryLibrary()}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// Standard output and standard error on one terminal (script(1) gives it): the box's line does
// not continue the message that standard output left without a line end.
TEST(RealJvm, OnOneTerminalTheBoxStartsALineOfItsOwn) {
    if (!std::filesystem::exists("/usr/bin/script"))
        GTEST_SKIP() << "no script(1) here to run the launcher on a terminal";
    Installation installation;
    jvm_e2e::installClient(installation, "jvm.dll.path=missing.so\njvm.bin.path=.\nmain.class=X\n");
    testing_support::ProcessOptions options = installation.launchOptions();
    options.program = "/usr/bin/script";
    options.arguments = {"script", "-qec", installation.launcherPath(), "/dev/null"};
    const ProcessResult result = testing_support::runProcess(options);
    EXPECT_EQ(result.exitCode, 2) << describe(result);
    EXPECT_TRUE(
        contains(result.out, "\r\nCannot load JVM library\r\nError: Cannot load JVM library\r\n"))
        << describe(result);
}

}  // namespace

namespace {

// The library path relative to the bin directory, as on Windows: the JVM must still find the
// rest of its installation once the launcher's directory is current again.
TEST(RealJvm, LoadsALibraryPathRelativeToTheBinDirectory) {
    Installation installation;
    jvm_e2e::installClient(
        installation, "jvm.dll.path=server/libjvm.so\njvm.bin.path=" + testing_support::jdkHome() +
                          "/lib\nmain.class=e2e/ShowLaunch\n");
    const ProcessResult result = installation.run({}, jvm_e2e::modernJvmEnvironment());
    ASSERT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(lineValue(result.out, "jvm.bin.path="), testing_support::jdkHome() + "/lib");
}

}  // namespace
