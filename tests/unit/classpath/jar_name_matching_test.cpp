#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classpath/class_path_builder.h"
#include "classpath/jar_name_index.h"
#include "classpath/jvm_file_names.h"

namespace launcher {
namespace {

TEST(MatchesJarName, EqualNameOrRequiredStartAndEnd) {
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
        EXPECT_EQ(matchesJarName(c.fileName, c.jarName), c.matches)
            << c.fileName << " for " << c.jarName;
    }
}

// The index must find exactly what testing every name would, in list order, twice for a name
// written twice.
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
    std::vector<std::size_t> found;
    for (const std::string& fileName : fileNames) {
        std::vector<std::size_t> expected;
        for (std::size_t position = 0; position < jarNames.size(); ++position) {
            if (matchesJarName(fileName, jarNames[position]))
                expected.push_back(position);
        }
        index.findMatches(fileName, found);
        EXPECT_EQ(found, expected) << fileName;
    }
}

TEST(JarNameIndex, FindsNothingForNoNames) {
    const std::vector<std::string> none;
    const JarNameIndex index(none);
    std::vector<std::size_t> found = {7};
    index.findMatches("a.jar", found);
    EXPECT_TRUE(found.empty());
}

// What the JVM decodes back to the same bytes: ASCII in the C locale, strict UTF-8 in a UTF-8 one.
TEST(CanDecodeName, AsTheJvmsCharsetOfFileNames) {
    using platform::FileNameCharset;
    struct Case {
        std::string name;
        bool ascii;
        bool utf8;
    };
    const std::vector<Case> cases = {
        {"main__V2.1.jar", true, true},
        {"main__V2.1.0.\xE9.jar", false, false},  // Latin-1
        {"caf\xC3\xA9.jar", false, true},
        {"\xE2\x82\xAC\xF0\x9F\x98\x80.jar", false, true},
        {"\xC3(.jar", false, false},             // a lead byte without its continuation
        {"\xC0\xAF.jar", false, false},          // overlong
        {"\xED\xA0\x80.jar", false, false},      // a surrogate
        {"\xF4\x90\x80\x80.jar", false, false},  // beyond U+10FFFF
        {"x\xE2\x82", false, false},             // cut short at the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(canDecodeName(c.name, FileNameCharset::Ascii), c.ascii) << c.name;
        EXPECT_EQ(canDecodeName(c.name, FileNameCharset::Utf8), c.utf8) << c.name;
        EXPECT_TRUE(canDecodeName(c.name, FileNameCharset::AnyBytes)) << c.name;
        EXPECT_EQ(holdsOnlyAscii(c.name), c.ascii) << c.name;
    }
}

}  // namespace
}  // namespace launcher
