#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classpath/jar_version.h"
#include "config/string_split.h"

namespace launcher {
namespace {

TEST(SplitString, KeepsInnerAndLeadingEmptyPartsButNoTrailingOne) {
    struct Case {
        std::string text;
        char delimiter;
        std::vector<std::string> parts;
    };
    const std::vector<Case> cases = {
        {"", '.', {}},
        {"1.2.", '.', {"1", "2"}},
        {".1", '.', {"", "1"}},
        {"1..2", '.', {"1", "", "2"}},
        {".", '.', {""}},
        {"..", '.', {"", ""}},
        {"2.1.0", '.', {"2", "1", "0"}},
        {" a ; b ", ';', {" a ", " b "}},
        {"a.b", ';', {"a.b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitString(c.text, c.delimiter), c.parts) << "text: '" << c.text << "'";
}

TEST(ExtractJarVersion, TakesTheTextBetweenFirstSeparatorAndLastDot) {
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
        EXPECT_EQ(extractJarVersion(c.fileName), c.version) << "file: " << c.fileName;
}

}  // namespace
}  // namespace launcher
