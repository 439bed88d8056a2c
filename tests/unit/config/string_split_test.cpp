#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace launcher
