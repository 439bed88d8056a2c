// The command line as CommandLineToArgvW splits it reaches main, as the stub JVM records it.
#include <gtest/gtest.h>

#include "win/stub_client.h"
#include "win/wine_installation.h"

namespace wine_tests {
namespace {

using Lines = std::vector<std::string>;

struct CommandLineCase {
    const char* name;
    const char* commandLine;  // exactly as a Windows parent passes it (UTF-8 here)
    Lines arguments;          // main's array
};

void PrintTo(const CommandLineCase& value, std::ostream* out) {
    *out << value.name;
}

class MainArgumentsUnderWine : public WineTest,
                               public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(MainArgumentsUnderWine, ReachMainAsTheSystemSplitsThem) {
    WineInstallation installation(setup());
    installStubClient(installation);
    const WineRun run =
        installation.runWithCommandLine(GetParam().commandLine, stubRun(installation));
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const StubRecord record = stubRecord(installation);
    EXPECT_EQ(record.values("main-arg"), GetParam().arguments);
    EXPECT_EQ(record.value("main-argc"), std::to_string(GetParam().arguments.size()));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, MainArgumentsUnderWine,
    ::testing::Values(
        CommandLineCase{"NameOnly", "launcher", {"launcher"}},
        CommandLineCase{"ElementZeroAsTyped",
                        R"(.\launcher.exe one "two words" three)",
                        {R"(.\launcher.exe)", "one", "two words", "three"}},
        CommandLineCase{"QuotedProgramWithBlank",
                        R"("C:\Program Files\Brantlo Client\launcher.exe" x)",
                        {R"(C:\Program Files\Brantlo Client\launcher.exe)", "x"}},
        CommandLineCase{"EscapedQuote",
                        R"(launcher say\"hi "a \"b\" c")",
                        {"launcher", R"(say"hi)", R"(a "b" c)"}},
        CommandLineCase{"TrailingBackslashes",
                        R"(launcher "C:\dir\\" C:\dir\ a\\\\"b c")",
                        {"launcher", R"(C:\dir\)", R"(C:\dir\)", R"(a\\b c)"}},
        CommandLineCase{"EmptyAndBlankRuns", R"(launcher   ""   "" x)", {"launcher", "", "", "x"}},
        CommandLineCase{"NonAsciiText",
                        "launcher Gr\xC3\xBC\xC3\x9F"
                        "e \xE6\x97\xA5\xE6\x9C\xAC "
                        "\xF0\x9F\x98\x80",
                        {"launcher",
                         "Gr\xC3\xBC\xC3\x9F"
                         "e",
                         "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x98\x80"}}),
    [](const ::testing::TestParamInfo<CommandLineCase>& param) { return param.param.name; });

// Started straight from Wine's loader, element 0 is the executable's full Windows path.
TEST_F(MainArgumentsUnderWine, WineLoaderGivesTheFullPathFirst) {
    WineInstallation installation(setup());
    installStubClient(installation);
    const WineRun run = installation.run({"two words", "x"}, stubRun(installation));
    ASSERT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(stubRecord(installation).values("main-arg"),
              (Lines{installation.exePath(), "two words", "x"}));
}

}  // namespace
}  // namespace wine_tests
