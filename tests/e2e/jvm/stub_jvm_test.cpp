// The launcher hosting the stub JVM, which records exactly what it receives and plays the
// failures that a real JVM cannot be made to produce on demand.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "jvm_test_installation.h"
#include "reliability/stub_installation.h"
#include "stub_jvm/stub_jvm_failures.h"
#include "support/files.h"
#include "support/installation.h"

namespace {

namespace fs = std::filesystem;
using jvm_e2e::contains;
using jvm_e2e::hostingBoxLine;
using reliability::recorded;
using reliability::StubInstallation;
using Lines = std::vector<std::string>;

// The installation's JVM is a copy of the stub in jre/lib, loaded through a path relative to
// jvm.bin.path (jre/bin).
void layOutJre(const StubInstallation& stub, const std::string& moreProperties = "") {
    testing_support::copyExecutable(testing_support::stubJvmLibrary(),
                                    stub.root() / "jre/lib/stub_jvm.so");
    stub.write("jre/bin/.keep", "");
    jvm_e2e::installClient(stub,
                           "jvm.dll.path=../lib/stub_jvm.so\njvm.bin.path=jre/bin\n"
                           "main.class=client/Main\n" +
                               moreProperties);
}

StubInstallation::Run play(const StubInstallation& stub, const std::string& failure,
                           const Lines& arguments = {}, const std::string& argv0 = "") {
    return stub.launch({{"STUB_JVM_PLAY", failure}}, arguments, argv0);
}

std::string describe(const StubInstallation::Run& run) {
    std::string text = "exit " + std::to_string(run.result.exitCode) + "\n--- stdout\n" +
                       run.result.out + "--- stderr\n" + run.result.err + "--- record\n";
    for (const std::string& line : run.record)
        text += line + "\n";
    return text;
}

TEST(StubJvm, ReceivesTheSevenOptionsInOrder) {
    if (std::string(TEST_DEFAULT_VM_OPTIONS) != "-XX:MaxPermSize=250m -Xmx512m -Xms128m")
        GTEST_SKIP() << "built with other default options: " << TEST_DEFAULT_VM_OPTIONS;
    const StubInstallation stub;
    layOutJre(stub, "jvm.keystore.path=\n");
    stub.write("settings.properties", "memory.max=2048\n");
    const auto run = play(stub, "");
    ASSERT_EQ(run.result.exitCode, 0) << describe(run);
    EXPECT_EQ(recorded(run.record, "version"), Lines{"0x10002"});
    EXPECT_EQ(recorded(run.record, "ignoreUnrecognized"), Lines{"0"});
    EXPECT_EQ(recorded(run.record, "nOptions"), Lines{"7"});
    const Lines expected{"-Djava.class.path=" + jvm_e2e::chosenClientJar(),
                         "-XX:MaxPermSize=250m",
                         "-Xmx512m",
                         "-Xms128m",
                         "-DkeystoreLocation=",
                         "-Djvm.bin.path=jre/bin",
                         "-Xmx2048m"};
    EXPECT_EQ(recorded(run.record, "option"), expected) << describe(run);
}

TEST(StubJvm, LoadsWithTheBinDirectoryCurrentAndCreatesFromTheExecutablesDirectory) {
    const StubInstallation stub;
    layOutJre(stub);
    const auto run = play(stub, "");
    ASSERT_EQ(run.result.exitCode, 0) << describe(run);
    const Lines loadedIn = recorded(run.record, "loaded-in");
    const Lines createIn = recorded(run.record, "create-in");
    ASSERT_EQ(loadedIn.size(), 1u) << describe(run);
    ASSERT_EQ(createIn.size(), 1u) << describe(run);
    EXPECT_TRUE(fs::equivalent(loadedIn[0], stub.path("jre/bin")));
    EXPECT_TRUE(fs::equivalent(createIn[0], stub.root()));
}

TEST(StubJvm, CallsMainWithEveryArgumentAsTyped) {
    const StubInstallation stub;
    layOutJre(stub);
    const std::vector<std::string> arguments{
        "one",
        "two words",
        "",
        "back\\slash",
        "\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80",
        "bad\xFF"  // NOLINT(bugprone-suspicious-missing-comma): ends \xFF
        "byte"};
    const auto run = play(stub, "", arguments, "./launcher");
    ASSERT_EQ(run.result.exitCode, 0) << describe(run);
    EXPECT_EQ(recorded(run.record, "FindClass"), (Lines{"client/Main", "java/lang/String"}));
    EXPECT_EQ(recorded(run.record, "GetStaticMethodID"), Lines{"main ([Ljava/lang/String;)V"});
    EXPECT_EQ(recorded(run.record, "main-argc"), Lines{"7"});
    // UTF-8 in the record; an invalid byte arrives as U+FFFD.
    const Lines expected{"./launcher",
                         "one",
                         "two words",
                         "",
                         "back\\\\slash",
                         "\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80",
                         "bad\xEF\xBF\xBD"  // NOLINT(bugprone-suspicious-missing-comma): ends \xBD
                         "byte"};
    EXPECT_EQ(recorded(run.record, "main-arg"), expected) << describe(run);
    // As the JDK's launcher: the thread that ran main is detached before the JVM is destroyed.
    const Lines& record = run.record;
    ASSERT_GE(record.size(), 2u);
    EXPECT_EQ(Lines(record.end() - 2, record.end()),
              (Lines{"DetachCurrentThread", "DestroyJavaVM"}));
    EXPECT_TRUE(run.result.err.empty()) << describe(run);
}

class StubJvmPlays : public ::testing::TestWithParam<stub_jvm::Failure> {};

TEST_P(StubJvmPlays, TheLauncherReportsAndExitsAsItMust) {
    const stub_jvm::Failure& failure = GetParam();
    const StubInstallation stub;
    layOutJre(stub);
    const auto run = play(stub, failure.play, {"arg"});
    EXPECT_EQ(run.result.exitCode, failure.exitCode) << describe(run);
    std::string expectedBoxes = hostingBoxLine(failure.box);
    if (!failure.launcherMessage.empty()) {
        expectedBoxes += "Error: " + failure.launcherMessage + "\n";
        EXPECT_TRUE(run.result.out.ends_with(failure.launcherMessage)) << describe(run);
    }
    EXPECT_TRUE(run.result.err.ends_with(expectedBoxes)) << describe(run);
    EXPECT_EQ(stub_jvm::exceptionCalls(run.record), failure.exceptionCalls) << describe(run);
    EXPECT_EQ(!recorded(run.record, "main-argc").empty(), failure.mainCalled) << describe(run);
    EXPECT_EQ(!recorded(run.record, "DestroyJavaVM").empty(), failure.destroyed) << describe(run);
}

INSTANTIATE_TEST_SUITE_P(Failures, StubJvmPlays, ::testing::ValuesIn(stub_jvm::failures()),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

}  // namespace
