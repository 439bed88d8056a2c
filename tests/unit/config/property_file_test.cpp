#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "config/process_state.h"
#include "config/property_file.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

using launcher::PropertyMap;
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries entriesOf(const PropertyMap& map) {
    return Entries(map.begin(), map.end());
}

PropertyMap parse(const std::string& data) {
    PropertyMap map;
    launcher::parseProperties(map, data);
    return map;
}

struct ParseCase {
    const char* name;
    std::string data;
    Entries expected;
};

class PropertyParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(PropertyParsing, YieldsExactlyTheseEntries) {
    EXPECT_EQ(entriesOf(parse(GetParam().data)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PropertyParsing,
    ::testing::Values(
        ParseCase{"FirstEqualsSplits", "a=b=c\n=x\nx=\n", {{"", "x"}, {"a", "b=c"}, {"x", ""}}},
        ParseCase{"BlanksStay", " key = value \n", {{" key ", " value "}}},
        ParseCase{"TabsStay", "\tk\t=\tv\t\n", {{"\tk\t", "\tv\t"}}},
        ParseCase{"LineWithoutEqualsIsKeyAndValue", "# a remark\n", {{"# a remark", "# a remark"}}},
        ParseCase{"EmptyLineGivesEmptyKey", "a=1\n\nb=2\n", {{"", ""}, {"a", "1"}, {"b", "2"}}},
        ParseCase{"LastOccurrenceWins",
                  "memory.max=1024\nx=y\nmemory.max=2048\n",
                  {{"memory.max", "2048"}, {"x", "y"}}},
        ParseCase{"LastLineWithoutLineFeedCounts", "a=1\nb=2", {{"a", "1"}, {"b", "2"}}},
        ParseCase{"FinalLineFeedAddsNoEmptyLine", "a=1\n", {{"a", "1"}}},
        ParseCase{"EmptyDataAddsNothing", "", {}},
        ParseCase{"LoneLineFeedIsOneEmptyLine", "\n", {{"", ""}}},
        ParseCase{"CrLfReadsLikeLf", "a=1\r\nb=2\r\n", {{"a", "1"}, {"b", "2"}}},
        ParseCase{"LoneCrStays", "a=1\rb=2\n", {{"a", "1\rb=2"}}},
        ParseCase{"CrAtEndOfDataStays", "a=1\r", {{"a", "1\r"}}},
        ParseCase{"OnlyTheCrBeforeTheLfIsDropped", "a=1\r\r\n", {{"a", "1\r"}}},
        ParseCase{"CtrlZEndsTheData", "a=1\nb=2\x1A\nc=3\n", {{"a", "1"}, {"b", "2"}}},
        ParseCase{"CtrlZInsideALineEndsIt",
                  "a=1\x1A"
                  "2\n",
                  {{"a", "1"}}},
        ParseCase{"NulBytesAreOrdinary",
                  std::string("a\0b=c\0d\n", 8),
                  {{std::string("a\0b", 3), std::string("c\0d", 3)}}},
        ParseCase{"KeysAreCaseSensitive", "Key=1\nkey=2\n", {{"Key", "1"}, {"key", "2"}}}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST(PropertyParsing, CrLfAndLfFilesGiveTheSameMap) {
    const std::string lf = "jvm.classpath=lib/a.jar;lib/b.jar\nmain.class=a/b/Main\n\nx\n";
    std::string crlf;
    for (const char c : lf) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(parse(lf), parse(crlf));
}

TEST(PropertyParsing, KeysAreOrderedByteWise) {
    const PropertyMap map = parse("b=1\nZ=2\na=3\n\xC3\xBC=4\n");
    std::vector<std::string> keys;
    for (const auto& [key, value] : map)
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"Z", "a", "b", "\xC3\xBC"}));
}

TEST(PropertyLookup, MissingKeyReadsEmptyButHasPropertyTellsItApart) {
    const PropertyMap map = parse("empty=\n");
    EXPECT_EQ(launcher::getProperty(map, "empty"), "");
    EXPECT_EQ(launcher::getProperty(map, "absent"), "");
    EXPECT_TRUE(launcher::hasProperty(map, "empty"));
    EXPECT_FALSE(launcher::hasProperty(map, "absent"));
    EXPECT_FALSE(launcher::hasProperty(map, "EMPTY"));
    EXPECT_FALSE(launcher::hasProperty(map, "empty "));
}

class PropertyFileLoading : public ::testing::Test {
  protected:
    void SetUp() override {
        savedExeDir_ = launcher::exeDir;
        launcher::exeDir = dir_.path().string() + "/";
    }
    void TearDown() override { launcher::exeDir = savedExeDir_; }

    testing_support::TempDir dir_;
    std::string savedExeDir_;
};

TEST_F(PropertyFileLoading, ReadsTheFileBesideTheExecutableAndAddsToTheMap) {
    testing_support::writeFile(dir_.path() / "launch.properties", "a=new\nb=2\n");
    PropertyMap map{{"a", "old"}, {"kept", "yes"}};
    launcher::loadPropertyFile(map, "launch.properties");
    EXPECT_EQ(entriesOf(map), (Entries{{"a", "new"}, {"b", "2"}, {"kept", "yes"}}));
}

TEST_F(PropertyFileLoading, MissingFileLeavesTheMapAsItWasAndPrintsNothing) {
    PropertyMap map{{"a", "1"}};
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    launcher::loadPropertyFile(map, "settings.properties");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(entriesOf(map), (Entries{{"a", "1"}}));
}

TEST_F(PropertyFileLoading, DirectoryOfThatNameLeavesTheMapAsItWas) {
    std::filesystem::create_directory(dir_.path() / "settings.properties");
    PropertyMap map{{"a", "1"}};
    ::testing::internal::CaptureStdout();
    launcher::loadPropertyFile(map, "settings.properties");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(entriesOf(map), (Entries{{"a", "1"}}));
}

TEST_F(PropertyFileLoading, ALongLineIsReadWhole) {
    const std::string value(std::size_t{10} * 1024 * 1024, 'v');
    testing_support::writeFile(dir_.path() / "launch.properties", "k=" + value + "\nnext=1\n");
    PropertyMap map;
    launcher::loadPropertyFile(map, "launch.properties");
    EXPECT_EQ(launcher::getProperty(map, "k").size(), value.size());
    EXPECT_EQ(launcher::getProperty(map, "next"), "1");
}

}  // namespace
