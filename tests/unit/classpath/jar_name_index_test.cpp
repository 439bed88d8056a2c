#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "classpath/jar_file_name.h"
#include "classpath/jar_name_index.h"
#include "support/jar_name_rule.h"

namespace launcher {
namespace {

std::vector<std::size_t> matchesOf(const JarNameIndex& index, std::string_view fileName) {
    std::vector<std::size_t> found;
    index.findMatches(JarFileName(fileName), found);
    return found;
}

TEST(JarNameIndex, EqualNameOrRequiredStartAndEnd) {
    struct Case {
        std::string fileName;
        std::string jarName;
        bool matches;
    };
    const std::vector<Case> cases = {
        {"core.jar", "core.jar", true},
        {"core__V2.1.0.jar", "core.jar", true},
        {"core__V.jar", "core.jar", true},
        {"core__V2jar", "core.jar", true},  // the required end holds no '.'
        {"core-2.1.0.jar", "core.jar", false},
        {"Core__V2.1.jar", "core.jar", false},
        {"core__V2.1.JAR", "core.jar", false},
        {"core__V2.zip", "core.jar", false},
        {"core__v2.jar", "core.jar", false},
        {"core.jar.bak", "core.jar", false},
        {"corex__V1.jar", "core.jar", false},
        {"tools.jar", "tools", true},
        {"toolsmith.txt", "tools", true},
        {"tool", "tools", false},
        {"anything", "", true},
        {"a.b__V1.c", "a.b.c", true},  // only the last '.' of the jar name divides
        {"a__V1.c", "a.b.c", false},
        {"lib\\a.jar", "lib\\a.jar", true},
        {"a__V", "a.V", true},  // start and end may share bytes
        {"x__V1.jar", "x.", true},
        {"x__V", "x.", true},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> jarNames = {c.jarName};
        EXPECT_EQ(matchesOf(JarNameIndex(jarNames), c.fileName),
                  c.matches ? std::vector<std::size_t>{0} : std::vector<std::size_t>{})
            << c.fileName << " for " << c.jarName;
        EXPECT_EQ(reference::matchesJarName(c.fileName, c.jarName), c.matches)
            << c.fileName << " for " << c.jarName;
    }
}

// The index must find exactly what testing every name by the rule would, in list order, twice
// for a name written twice.
TEST(JarNameIndex, FindsWhatTestingEveryNameFinds) {
    const std::vector<std::string> jarNames = {
        "core.jar", "tools", "core.jar", "",      "a.b.c",    "t",        "lib__V1.jar",
        "lib.jar",  "x.",    "a.V",      "tools", "Core.jar", "core.zip", "lib__V1__V2.jar"};
    const std::vector<std::string> fileNames = {"core.jar",
                                                "core__V2.1.0.jar",
                                                "core__V2jar",
                                                "Core__V1.jar",
                                                "core__V1.zip",
                                                "toolsmith.txt",
                                                "tools",
                                                "t",
                                                "a.b__V9.c",
                                                "lib__V1.jar",
                                                "lib__V1__V2.jar",
                                                "lib__V1__V1__V2.jar",
                                                "lib__V3.jar",
                                                "x__V",
                                                "a__V",
                                                "unrelated.txt",
                                                "lib__V1__V2.zip",
                                                "__V.jar",
                                                "?"};
    const JarNameIndex index(jarNames);
    for (const std::string& fileName : fileNames) {
        std::vector<std::size_t> expected;
        for (std::size_t position = 0; position < jarNames.size(); ++position) {
            if (reference::matchesJarName(fileName, jarNames[position]))
                expected.push_back(position);
        }
        EXPECT_EQ(matchesOf(index, fileName), expected) << fileName;
    }
}

TEST(JarNameIndex, FindsNothingForNoNames) {
    const std::vector<std::string> none;
    const JarNameIndex index(none);
    std::vector<std::size_t> found = {7};
    index.findMatches(JarFileName("a.jar"), found);
    EXPECT_TRUE(found.empty());
}

TEST(JarFileName, VersionIsTheTextBetweenFirstSeparatorAndLastDot) {
    struct Case {
        std::string fileName;
        std::string version;
    };
    const std::vector<Case> cases = {
        {"lib__V2.1.0.jar", "2.1.0"}, {"lib.jar", ""},    {"lib__V.jar", ""},
        {"lib__V2.1", "2"},           {"lib__V7", "7"},   {"lib__V", ""},
        {"lib__V1__V2.jar", "1__V2"}, {"my.lib__V3", ""}, {"lib__v2.1.jar", ""},
        {"__V1.0.jar", "1.0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JarFileName(c.fileName).version(), c.version) << "file: " << c.fileName;
}

}  // namespace
}  // namespace launcher
