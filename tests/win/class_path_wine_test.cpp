// The class path build of launcher.exe, which lists directories over FindFirstFileW.
#include <gtest/gtest.h>

#include <filesystem>

#include "win/stub_client.h"
#include "win/wine_installation.h"

namespace wine_tests {
namespace {

using Lines = std::vector<std::string>;

struct ClassPathCase {
    const char* name;
    const char* directive;                 // jvm.classpath
    std::vector<const char*> files;        // created with a few bytes
    std::vector<const char*> directories;  // created empty
    int exitCode;
    const char* lastLine;  // the builder's last line, or the launch's last message
};

void PrintTo(const ClassPathCase& value, std::ostream* out) {
    *out << value.name;
}

class ClassPathUnderWine : public WineTest, public ::testing::WithParamInterface<ClassPathCase> {};

TEST_P(ClassPathUnderWine, ListsDirectoriesAsTheBuilderNeeds) {
    const ClassPathCase& c = GetParam();
    WineInstallation installation(setup());
    installStubClient(installation);
    installation.write("launch.properties", std::string("jvm.classpath=") + c.directive +
                                                "\r\njvm.bin.path=jre\\bin\r\njvm.dll.path=jvm."
                                                "dll\r\nmain.class=client/Main\r\n");
    for (const char* file : c.files)
        installation.write(file, "x");
    for (const char* directory : c.directories)
        std::filesystem::create_directories(installation.path(directory));

    const WineRun run = installation.run({}, stubRun(installation));
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out;
    const Lines lines = run.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), c.lastLine);
    // The builder's failures are on standard output only.
    EXPECT_TRUE(run.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Directories, ClassPathUnderWine,
    ::testing::Values(
        // "." and ".." would match the empty jar name and come first in the listing.
        ClassPathCase{"DotEntriesNeverOffered",
                      "data/",
                      {"data/only.txt"},
                      {},
                      0,
                      "classpath: data/only.txt"},
        ClassPathCase{"SubdirectoryNeverOffered",
                      "data/x.jar",
                      {},
                      {"data/x.jar"},
                      1,
                      "Failed to build classpath. data/x.jar is missed."},
        ClassPathCase{
            "MissingDirectory", "lib/util.jar;libx/a.jar", {}, {}, 1, "Failed to scan dir 'libx'"},
        ClassPathCase{
            "FileInPlaceOfADirectory", "version/a.jar", {}, {}, 1, "Failed to scan dir 'version'"},
        ClassPathCase{"NameWithoutNarrowFormDoesNotStopTheListing",
                      "data/a.jar",
                      {"data/\xE6\x97\xA5\xE6\x9C\xAC.jar", "data/a.jar"},
                      {},
                      0,
                      "classpath: data/a.jar"},
        // Byte 0x92 is the right single quotation mark of the Western code page.
        ClassPathCase{"NamesInTheCodePageOfTheConfiguration",
                      "plug\x92ins/rock\x92n.jar",
                      {"plug\xE2\x80\x99ins/rock\xE2\x80\x99n.jar"},
                      {},
                      0,
                      "classpath: plug\x92ins/rock\x92n.jar"},
        ClassPathCase{"ExecutableDirectoryListedForBareNames",
                      "util.jar;lib/client.jar",
                      {"util.jar"},
                      {},
                      0,
                      "classpath: lib/client__V2.1.0.jar;util.jar"},
        // The JVM splits its class path at ';' here: such a name is never offered.
        ClassPathCase{"NameHoldingTheSeparatorLosesToAnotherVersion",
                      "data/a.jar",
                      {"data/a__V2.1.0;fix.jar", "data/a__V1.jar"},
                      {},
                      0,
                      "classpath: data/a__V1.jar"},
        ClassPathCase{"NameHoldingTheSeparatorIsNoFile",
                      "data/a.jar",
                      {"data/a__V2.1.0;fix.jar"},
                      {},
                      1,
                      "Failed to build classpath. data/a.jar is missed."},
        ClassPathCase{"BackslashIsPartOfTheJarName",
                      "lib\\util.jar",
                      {},
                      {},
                      1,
                      "Failed to build classpath. /lib\\util.jar is missed."}),
    [](const ::testing::TestParamInfo<ClassPathCase>& param) { return param.param.name; });

}  // namespace
}  // namespace wine_tests
