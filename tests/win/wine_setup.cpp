#include "win/wine_setup.h"

#include <cstdlib>

namespace wine_tests {

namespace {

std::string setting(const char* name, const char* configured) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : configured;
}

}  // namespace

std::filesystem::path WineSetup::launcherExe() const {
    return windowsBuild / "src/launcher/launcher.exe";
}

std::filesystem::path WineSetup::stubJvmDll() const {
    return windowsBuild / "tests/stub_jvm/libstub_jvm.dll";
}

std::filesystem::path WineSetup::helper(const std::string& name) const {
    return windowsBuild / "tests/win" / (name + ".exe");
}

std::optional<WineSetup> findWineSetup(std::string& whyNot) {
    WineSetup found;
    found.wine = setting("LAUNCHER_WINE", WINE_TESTS_CONFIGURED_WINE);
    found.windowsBuild = setting("LAUNCHER_WINDOWS_BUILD", WINE_TESTS_CONFIGURED_WINDOWS_BUILD);
    const char* prefix = std::getenv("WINEPREFIX");
    std::error_code ignored;
    if (found.wine.empty() || !std::filesystem::exists(found.wine, ignored)) {
        whyNot = "no wine given (LAUNCHER_WINE); run scripts/wine-tests.sh";
    } else if (found.windowsBuild.empty() ||
               !std::filesystem::exists(found.launcherExe(), ignored)) {
        whyNot = "no Windows build given (LAUNCHER_WINDOWS_BUILD); run scripts/wine-tests.sh";
    } else if (prefix == nullptr || *prefix == '\0') {
        whyNot = "no prepared WINEPREFIX; run scripts/wine-tests.sh";
    } else {
        return found;
    }
    return std::nullopt;
}

void WineTest::SetUp() {
    std::string whyNot;
    setup_ = findWineSetup(whyNot);
    if (!setup_)
        GTEST_SKIP() << whyNot;
}

std::string windowsPath(const std::filesystem::path& hostPath) {
    std::string path = "Z:" + std::filesystem::absolute(hostPath).lexically_normal().string();
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

}  // namespace wine_tests
