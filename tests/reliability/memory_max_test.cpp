// memory.max in every form a hand-edited settings file can hold: the heap option the JVM gets.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "stub_installation.h"

namespace reliability {
namespace {

using namespace std::string_literals;

TEST(MemoryMax, EveryOddFormGivesTheReadNumberOrTheDefault) {
    struct Case {
        std::optional<std::string> settings;  // nothing: no settings file at all
        std::string heapOption;
    };
    const std::vector<Case> cases = {
        {std::nullopt, "-Xmx1024m"},
        {"other=1\n", "-Xmx1024m"},
        {"memory.max\n", "-Xmx1024m"},  // the line is key and value: no digits
        {"memory.max=\n", "-Xmx1024m"},
        {"memory.max=2048\n", "-Xmx2048m"},
        {"memory.max=2048\r\n", "-Xmx2048m"},
        {"memory.max=1\n", "-Xmx128m"},  // below the built-in -Xms128m: raised to it
        {"memory.max=1048576\n", "-Xmx1048576m"},
        {"memory.max=1048577\n", "-Xmx1024m"},
        {"memory.max=0\n", "-Xmx1024m"},
        {"memory.max=-1\n", "-Xmx1024m"},
        {"memory.max=-0\n", "-Xmx1024m"},
        {"memory.max=+500\n", "-Xmx500m"},
        {"memory.max=++5\n", "-Xmx1024m"},
        {"memory.max= \t300\n", "-Xmx300m"},
        {"memory.max=\v\f300\n", "-Xmx300m"},
        {"memory.max=000200\n", "-Xmx200m"},
        {"memory.max=512m\n", "-Xmx512m"},
        {"memory.max=200g\n", "-Xmx200m"},
        {"memory.max=200 34\n", "-Xmx200m"},
        {"memory.max=200e3\n", "-Xmx200m"},
        {"memory.max=0x10\n", "-Xmx1024m"},
        {"memory.max=abc\n", "-Xmx1024m"},
        {"memory.max=2147483647\n", "-Xmx1024m"},
        {"memory.max=2147483648\n", "-Xmx1024m"},
        {"memory.max=4294968320\n", "-Xmx1024m"},  // 2^32 + 1024: no wrap-around
        {"memory.max=-4294966272\n", "-Xmx1024m"},
        {"memory.max=99999999999999999999999999\n", "-Xmx1024m"},
        {"memory.max=\xd9\xa3\n", "-Xmx1024m"},      // ARABIC-INDIC DIGIT THREE
        {"memory.max=\xef\xbc\x93\n", "-Xmx1024m"},  // FULLWIDTH DIGIT THREE
        {"memory.max=200\0"
         "999\n"s,
         "-Xmx200m"},
        {"memory.max=\xff"
         "12\n",
         "-Xmx1024m"},
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
