// launcher.exe started under Wine in temporary installations: exit codes, the boxes a user
// sees in order, and the redirected standard output.
#include <gtest/gtest.h>

#include "win/wine_installation.h"

namespace wine_tests {
namespace {

class LaunchUnderWine : public WineTest {};

TEST_F(LaunchUnderWine, EmptyInstallationFailsTheOptionsWithOneBoxAndCodeOne) {
    WineInstallation installation(setup());
    const WineRun run = installation.run();
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.lines(),
              (std::vector<std::string>{"Size operation not found.", "Brantlo Client version: ",
                                        "classpath: ", "Cannot load JVM options"}));
    EXPECT_EQ(run.boxes, (std::vector<MessageBoxCall>{{"Cannot load JVM options", "Error"}}));
}

}  // namespace
}  // namespace wine_tests
