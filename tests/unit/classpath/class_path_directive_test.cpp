#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classpath/class_path_directive.h"

namespace launcher {
namespace {

using Groups = std::vector<std::pair<std::string, std::vector<std::string>>>;

Groups groupsOf(const std::string& directive) {
    Groups groups;
    for (const auto& [directory, names] : parseClassPathDirective(directive))
        groups.emplace_back(directory, std::vector<std::string>(names.begin(), names.end()));
    return groups;
}

TEST(ClassPathDirective, GroupsJarNamesByDirectoryText) {
    struct Case {
        std::string directive;
        Groups groups;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"lib/a.jar;lib/b.jar", {{"lib", {"a.jar", "b.jar"}}}},
        {"lib/z.jar;lib/a.jar;lib/z.jar", {{"lib", {"z.jar", "a.jar", "z.jar"}}}},
        // Directories in byte-wise order: a prefix first, upper case before lower case.
        {"libx/a.jar;lib/b.jar;Lib/c.jar",
         {{"Lib", {"c.jar"}}, {"lib", {"b.jar"}}, {"libx", {"a.jar"}}}},
        {"a.jar;/b.jar", {{"", {"a.jar", "b.jar"}}}},
        {"lib\\a.jar", {{"", {"lib\\a.jar"}}}},
        {"x/y/z.jar; lib /a.jar", {{" lib ", {"a.jar"}}, {"x/y", {"z.jar"}}}},
        {"//srv/share/a.jar", {{"//srv/share", {"a.jar"}}}},
        {"lib/", {{"lib", {""}}}},
        {"lib/a.jar;", {{"lib", {"a.jar"}}}},
        {"lib/a.jar;;", {{"", {""}}, {"lib", {"a.jar"}}}},
        {";lib/a.jar", {{"", {""}}, {"lib", {"a.jar"}}}},
        {"a*.jar;b?.jar", {{"", {"a*.jar", "b?.jar"}}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(groupsOf(c.directive), c.groups) << "directive: " << c.directive;
}

}  // namespace
}  // namespace launcher
