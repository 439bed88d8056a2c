#include <gtest/gtest.h>

#include <string>

#include "config/resource_string.h"

namespace {

TEST(BuiltinTexts, DefaultsAreTheShippedTexts) {
    if (std::string(LAUNCHER_TEXT_114) != "Error Launching Brantlo Client") {
        GTEST_SKIP() << "this build bakes in other texts";
    }
    EXPECT_EQ(launcher::loadResourceString(114), "Error Launching Brantlo Client");
    EXPECT_EQ(launcher::loadResourceString(129), "-XX:MaxPermSize=250m -Xmx512m -Xms128m");
}

TEST(BuiltinTexts, UnknownNumberGivesEmptyText) {
    EXPECT_EQ(launcher::loadResourceString(0), "");
    EXPECT_EQ(launcher::loadResourceString(115), "");
    EXPECT_EQ(launcher::loadResourceString(65535), "");
}

}  // namespace
