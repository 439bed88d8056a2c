// The launcher hosting the stub JVM, which records exactly what it receives and plays the
// failures that a real JVM cannot be made to produce on demand.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "jvm_test_installation.h"
#include "support/files.h"
#include "support/installation.h"

namespace {

namespace fs = std::filesystem;
using jvm_e2e::contains;
using jvm_e2e::hostingBoxLine;
using testing_support::Installation;
using testing_support::ProcessResult;
using Lines = std::vector<std::string>;

// An installation whose JVM is a copy of the stub in jre/lib, loaded through a path relative
// to jvm.bin.path (jre/bin).
class StubInstallation {
  public:
    explicit StubInstallation(const std::string& moreProperties = "") {
        testing_support::copyExecutable(testing_support::stubJvmLibrary(),
                                        installation_.root() / "jre/lib/stub_jvm.so");
        installation_.write("jre/bin/.keep", "");
        jvm_e2e::installClient(installation_,
                               "jvm.dll.path=../lib/stub_jvm.so\njvm.bin.path=jre/bin\n"
                               "main.class=com/example/Main\n" +
                                   moreProperties);
    }

    const Installation& installation() const { return installation_; }

    ProcessResult run(const std::string& play, const std::vector<std::string>& arguments = {},
                      const std::string& argv0 = "") const {
        return installation_.run(
            arguments, {{"STUB_JVM_RECORD", recordPath()}, {"STUB_JVM_PLAY", play}}, argv0);
    }

    // The record, one item per line.
    Lines record() const {
        Lines lines;
        if (!installation_.exists("stub-record.txt"))
            return lines;
        const std::string text = installation_.read("stub-record.txt");
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

    // The values of every item of the record with this name, in order.
    Lines recorded(const std::string& name) const {
        Lines values;
        for (const std::string& line : record()) {
            if (line == name)
                values.push_back("");
            else if (line.starts_with(name + "="))
                values.push_back(line.substr(name.size() + 1));
        }
        return values;
    }

  private:
    std::string recordPath() const { return installation_.path("stub-record.txt"); }

    Installation installation_;
};

std::string describe(const ProcessResult& result, const StubInstallation& stub) {
    std::string text = "exit " + std::to_string(result.exitCode) + "\n--- stdout\n" + result.out +
                       "--- stderr\n" + result.err + "--- record\n";
    for (const std::string& line : stub.record())
        text += line + "\n";
    return text;
}

TEST(StubJvm, ReceivesTheSevenOptionsInOrder) {
    if (std::string(TEST_DEFAULT_VM_OPTIONS) != "-XX:MaxPermSize=250m -Xmx512m -Xms128m")
        GTEST_SKIP() << "built with other default options: " << TEST_DEFAULT_VM_OPTIONS;
    StubInstallation stub("jvm.keystore.path=\n");
    stub.installation().write("settings.properties", "memory.max=2048\n");
    const ProcessResult result = stub.run("");
    ASSERT_EQ(result.exitCode, 0) << describe(result, stub);
    EXPECT_EQ(stub.recorded("version"), Lines{"0x10002"});
    EXPECT_EQ(stub.recorded("ignoreUnrecognized"), Lines{"0"});
    EXPECT_EQ(stub.recorded("nOptions"), Lines{"7"});
    const Lines expected{"-Djava.class.path=" + jvm_e2e::chosenClientJar(),
                         "-XX:MaxPermSize=250m",
                         "-Xmx512m",
                         "-Xms128m",
                         "-DkeystoreLocation=",
                         "-Djvm.bin.path=jre/bin",
                         "-Xmx2048m"};
    EXPECT_EQ(stub.recorded("option"), expected) << describe(result, stub);
}

TEST(StubJvm, LoadsWithTheBinDirectoryCurrentAndCreatesFromTheExecutablesDirectory) {
    StubInstallation stub;
    const ProcessResult result = stub.run("");
    ASSERT_EQ(result.exitCode, 0) << describe(result, stub);
    const Lines loadedIn = stub.recorded("loaded-in");
    const Lines createIn = stub.recorded("create-in");
    ASSERT_EQ(loadedIn.size(), 1u) << describe(result, stub);
    ASSERT_EQ(createIn.size(), 1u) << describe(result, stub);
    EXPECT_TRUE(fs::equivalent(loadedIn[0], stub.installation().path("jre/bin")));
    EXPECT_TRUE(fs::equivalent(createIn[0], stub.installation().root()));
}

TEST(StubJvm, CallsMainWithEveryArgumentAsTyped) {
    StubInstallation stub;
    const std::vector<std::string> arguments{
        "one",
        "two words",
        "",
        "back\\slash",
        "\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80",
        "bad\xFF"  // NOLINT(bugprone-suspicious-missing-comma): ends \xFF
        "byte"};
    const ProcessResult result = stub.run("", arguments, "./launcher");
    ASSERT_EQ(result.exitCode, 0) << describe(result, stub);
    EXPECT_EQ(stub.recorded("FindClass"), (Lines{"com/example/Main", "java/lang/String"}));
    EXPECT_EQ(stub.recorded("GetStaticMethodID"), Lines{"main ([Ljava/lang/String;)V"});
    EXPECT_EQ(stub.recorded("main-argc"), Lines{"7"});
    // UTF-8 in the record; an invalid byte arrives as U+FFFD.
    const Lines expected{"./launcher",
                         "one",
                         "two words",
                         "",
                         "back\\\\slash",
                         "\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80",
                         "bad\xEF\xBF\xBD"  // NOLINT(bugprone-suspicious-missing-comma): ends \xBD
                         "byte"};
    EXPECT_EQ(stub.recorded("main-arg"), expected) << describe(result, stub);
    // As the JDK's launcher: the thread that ran main is detached before the JVM is destroyed.
    const Lines record = stub.record();
    ASSERT_GE(record.size(), 2u);
    EXPECT_EQ(Lines(record.end() - 2, record.end()),
              (Lines{"DetachCurrentThread", "DestroyJavaVM"}));
    EXPECT_TRUE(result.err.empty()) << describe(result, stub);
}

struct PlayCase {
    const char* name;
    const char* play;
    int exitCode;
    std::string box;       // the hosting step's box
    std::string launcher;  // the launch sequence's message, "" when it has none
    Lines exceptionCalls;  // ExceptionDescribe, ExceptionClear and DetachCurrentThread, in order
    bool mainCalled;
    bool destroyed;
};

void PrintTo(const PlayCase& play, std::ostream* out) {
    *out << play.name;
}

class StubJvmPlays : public ::testing::TestWithParam<PlayCase> {};

TEST_P(StubJvmPlays, TheLauncherReportsAndExitsAsItMust) {
    const PlayCase& play = GetParam();
    StubInstallation stub;
    const ProcessResult result = stub.run(play.play, {"arg"});
    EXPECT_EQ(result.exitCode, play.exitCode) << describe(result, stub);
    std::string expectedBoxes = hostingBoxLine(play.box);
    if (!play.launcher.empty()) {
        expectedBoxes += "Error: " + play.launcher + "\n";
        EXPECT_TRUE(result.out.ends_with(play.launcher)) << describe(result, stub);
    }
    EXPECT_TRUE(result.err.ends_with(expectedBoxes)) << describe(result, stub);
    Lines exceptionCalls;
    for (const std::string& line : stub.record()) {
        if (line == "ExceptionDescribe" || line == "ExceptionClear" ||
            line == "DetachCurrentThread")
            exceptionCalls.push_back(line);
    }
    EXPECT_EQ(exceptionCalls, play.exceptionCalls) << describe(result, stub);
    EXPECT_EQ(!stub.recorded("main-argc").empty(), play.mainCalled) << describe(result, stub);
    EXPECT_EQ(!stub.recorded("DestroyJavaVM").empty(), play.destroyed) << describe(result, stub);
}

const Lines describedAndCleared{"ExceptionDescribe", "ExceptionClear"};
// A pending exception goes to the thread's handlers when the thread is detached.
const Lines handedToTheThread{"DetachCurrentThread"};
const Lines describedAndDetached{"ExceptionDescribe", "ExceptionClear", "DetachCurrentThread"};

INSTANTIATE_TEST_SUITE_P(
    Failures, StubJvmPlays,
    ::testing::Values(PlayCase{"RejectedOption",
                               "reject-option",
                               3,
                               "Failed to create VM: error code -1.\n",
                               "Cannot create JVM",
                               {},
                               false,
                               false},
                      PlayCase{"RejectedOptionWithItsOwnCode",
                               "reject-option:-6",
                               3,
                               "Failed to create VM: error code -6.\n",
                               "Cannot create JVM",
                               {},
                               false,
                               false},
                      PlayCase{"MissingClass", "class-missing", 4,
                               "Could not find main class com/example/Main", "Cannot create JVM",
                               describedAndCleared, false, false},
                      PlayCase{"MissingClassWithoutException",
                               "class-missing-quietly",
                               4,
                               "Could not find main class com/example/Main",
                               "Cannot create JVM",
                               {},
                               false,
                               false},
                      PlayCase{"MissingMain",
                               "main-missing",
                               4,
                               "Could not find main method",
                               "Cannot create JVM",
                               {},
                               false,
                               false},
                      PlayCase{"MainThrows", "main-throws", 5, "Error invoking main method", "",
                               handedToTheThread, true, true},
                      PlayCase{"NoMemoryForTheArguments", "args-fail", 5,
                               "Error invoking main method", "", describedAndDetached, false,
                               true}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
