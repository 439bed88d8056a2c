#include <gtest/gtest.h>

#include "config/resource_string.h"

namespace {

// The defaults of the build options: a build that bakes other texts in says so here.
TEST(BuiltinTexts, HoldTheConfiguredTexts) {
    EXPECT_EQ(launcher::loadResourceString(launcher::captionTextId), LAUNCHER_TEXT_114);
    EXPECT_EQ(launcher::loadResourceString(launcher::defaultVmOptionsTextId), LAUNCHER_TEXT_129);
}

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
