// memory.max as a hand-edited settings file holds it: the lines, keys and bytes around the
// number, down to the heap option the JVM gets. The number forms are the parser's table
// (tests/unit/config/numbers_test.cpp), the range the heap rule's (tests/unit/jvm).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "stub_installation.h"

namespace reliability {
namespace {

using namespace std::string_literals;

TEST(MemoryMax, EveryOddLineGivesTheReadNumberOrTheDefault) {
    struct Case {
        std::optional<std::string> settings;  // nothing: no settings file at all
        std::string heapOption;
    };
    const std::vector<Case> cases = {
        {std::nullopt, "-Xmx1024m"},
        {"other=1\n", "-Xmx1024m"},
        {"memory.max\n", "-Xmx1024m"},  // the line is key and value: no digits
        {"memory.max=2048\r\n", "-Xmx2048m"},
        {"memory.max=\v\f300\n", "-Xmx300m"},  // the blanks after '=' are the value's
        {"memory.max=200\0"
         "999\n"s,
         "-Xmx200m"},
        {" memory.max=2048\n", "-Xmx1024m"},  // another key
        {"memory.max =2048\n", "-Xmx1024m"},
        {"memory.max=2048\nmemory.max=abc\n", "-Xmx1024m"},    // the last line wins
        {"memory.max=2048\x1a\nmemory.max=4\n", "-Xmx2048m"},  // Ctrl+Z ends the data
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings ? "settings: " + *c.settings : "no settings file");
        const StubInstallation install;
        if (c.settings)
            install.write("settings.properties", *c.settings);
        const auto run = install.launch();
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        const auto options = recorded(run.record, "option");
        ASSERT_FALSE(options.empty());
        EXPECT_EQ(options.back(), c.heapOption);
    }
}

}  // namespace
}  // namespace reliability
