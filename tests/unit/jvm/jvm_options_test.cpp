#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "config/process_state.h"
#include "config/property_file.h"
#include "jvm/jvm_options.h"
#include "jvm/jvm_state.h"

namespace {

using Words = std::vector<std::string>;

struct HeapCase {
    const char* name;
    const char* value;  // null: no memory.max at all
    int expected;
};

class MaxHeapMegabytes : public ::testing::TestWithParam<HeapCase> {
  protected:
    void TearDown() override { launcher::settingsProps.clear(); }
};

TEST_P(MaxHeapMegabytes, FollowsMemoryMax) {
    launcher::settingsProps.clear();
    if (GetParam().value != nullptr)
        launcher::parseProperties(launcher::settingsProps,
                                  std::string("memory.max=") + GetParam().value + "\n");
    EXPECT_EQ(launcher::getMaxHeapMegabytes(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, MaxHeapMegabytes,
    ::testing::Values(HeapCase{"Absent", nullptr, 1024}, HeapCase{"Empty", "", 1024},
                      HeapCase{"Plain", "2048", 2048}, HeapCase{"Smallest", "1", 1},
                      HeapCase{"Largest", "1048576", 1048576},
                      HeapCase{"OneTooMany", "1048577", 1024}, HeapCase{"Zero", "0", 1024},
                      HeapCase{"Negative", "-1", 1024}, HeapCase{"NotANumber", "abc", 1024},
                      HeapCase{"TrailingUnit", "512m", 512},
                      HeapCase{"GigabytesAreNotUnderstood", "2g", 2},
                      HeapCase{"LeadingBlank", " 300", 300}, HeapCase{"LeadingTab", "\t300", 300},
                      HeapCase{"PlusSign", "+64", 64}, HeapCase{"LeadingZeros", "000256", 256},
                      HeapCase{"SignWithoutDigits", "-", 1024},
                      HeapCase{"BlankInsideTheNumber", "25 6", 25},
                      // Beyond int: out of range instead of overflowing into a valid size.
                      HeapCase{"JustBeyondInt", "2147483648", 1024},
                      HeapCase{"WrapsToAValidSizeIn32Bits", "4294967808", 1024},
                      HeapCase{"LargestInt", "2147483647", 1024},
                      HeapCase{"FarBeyondInt", "99999999999999999999999999", 1024},
                      HeapCase{"WrapsToAValidSizeIn32BitsBelowZero", "-4294966272", 1024},
                      HeapCase{"FarBelowInt", "-99999999999999999999999999", 1024}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

// The built-in initial heap, which a smaller maximum is raised to.
TEST(InitialHeapMegabytes, ReadsTheLastSizeTheJvmWouldRead) {
    const std::vector<std::pair<Words, int>> cases{
        {{"-Xmx512m", "-Xms128m"}, 128},
        {{"-Xmx512m"}, 0},
        {{"-Xms2G"}, 2048},
        {{"-Xms131072k"}, 128},
        {{"-Xms1048577"}, 2},  // bytes, rounded up
        {{"-Xms64m", "-Xms256m"}, 256},
        {{"-Xms256m", "-Xms12x", "-Xms", "-Xmsm"}, 256},
        {{"-Xms999999999999t"}, 2147483647},
        {{"-Xms9999999999999"}, 0},
    };
    for (const auto& [options, megabytes] : cases)
        EXPECT_EQ(launcher::initialHeapMegabytes(options), megabytes) << options.back();
}

struct WordsCase {
    const char* name;
    const char* text;
    Words expected;
};

class DefaultOptionWords : public ::testing::TestWithParam<WordsCase> {};

TEST_P(DefaultOptionWords, SplitAtSpacesOnly) {
    Words words{"-before"};
    launcher::appendSpaceSeparatedWords(GetParam().text, words);
    Words expected{"-before"};
    expected.insert(expected.end(), GetParam().expected.begin(), GetParam().expected.end());
    EXPECT_EQ(words, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DefaultOptionWords,
    ::testing::Values(WordsCase{"Empty", "", {}},
                      WordsCase{"Three",
                                "-XX:MaxPermSize=250m -Xmx512m -Xms128m",
                                {"-XX:MaxPermSize=250m", "-Xmx512m", "-Xms128m"}},
                      WordsCase{"RunOfSpacesIsOneSeparator", "-a   -b", {"-a", "-b"}},
                      WordsCase{"TrailingSpaces", "-a  ", {"-a"}},
                      // The text starts with a separator, so the first word is empty.
                      WordsCase{"LeadingSpace", " -a", {"", "-a"}},
                      WordsCase{"TabIsPartOfAWord", "-a\t-b -c", {"-a\t-b", "-c"}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(BuildJvmOptions, AnEmptyClassPathSetsNothing) {
    launcher::launchProps.clear();
    launcher::vmOptions = nullptr;
    launcher::vmOptionCount = 0;
    EXPECT_FALSE(launcher::buildJvmOptions());
    EXPECT_EQ(launcher::vmOptions, nullptr);
    EXPECT_EQ(launcher::vmOptionCount, 0);
}

}  // namespace
