#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace wine_tests {

// Where the suite finds Wine and the Windows build. Each comes from the environment
// (LAUNCHER_WINE, LAUNCHER_WINDOWS_BUILD) or else from the CMake cache variables of the same
// names; the prefix (WINEPREFIX, prepared with the relay settings) only from the environment.
struct WineSetup {
    std::string wine;                    // the wine program
    std::filesystem::path windowsBuild;  // the build tree of the windows preset

    std::filesystem::path launcherExe() const;
    std::filesystem::path stubJvmDll() const;
    std::filesystem::path helper(const std::string& name) const;  // a program of tests/win
};

// The setup, or nothing with the reason in `whyNot`.
std::optional<WineSetup> findWineSetup(std::string& whyNot);

// Base of every test that runs Windows programs: skips, with the reason, when the suite has
// no Wine or no Windows build to work with.
class WineTest : public ::testing::Test {
  protected:
    void SetUp() override;
    const WineSetup& setup() const { return *setup_; }

  private:
    std::optional<WineSetup> setup_;
};

// The Windows form of a host path on Wine's drive Z: (the host's root).
std::string windowsPath(const std::filesystem::path& hostPath);

}  // namespace wine_tests
