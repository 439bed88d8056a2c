#pragma once

#include <string>
#include <utility>
#include <vector>

#include "win/wine_installation.h"

namespace wine_tests {

// The client installation most tests start from, with the stub JVM as its JVM library:
//   version             2.1.0
//   lib\client__V2.1.0.jar, lib\client__V2.0.jar, lib\util.jar
//   jre\bin\jvm.dll     the stub JVM
//   launch.properties   jvm.classpath=lib/client.jar;lib/util.jar, jvm.bin.path=jre\bin,
//                       jvm.dll.path=jvm.dll (found through the current directory only),
//                       jvm.keystore.path=keys\store.jks, main.class=client/Main
//   settings.properties memory.max=2048
void installStubClient(const WineInstallation& installation);

inline constexpr const char* stubCaption = "Error Launching Brantlo Client";

// What the stub JVM recorded during one run: "name=value" items (or bare names), in order.
class StubRecord {
  public:
    explicit StubRecord(const std::string& text);

    // The values of every item with this name, unescaped (UTF-8).
    std::vector<std::string> values(const std::string& name) const;
    std::string value(const std::string& name) const;  // the first one, or ""
    bool has(const std::string& name) const;
    std::vector<std::string> names() const;

  private:
    std::vector<std::pair<std::string, std::string>> items_;
};

// The environment that makes the stub record into the installation's scratch directory and
// play the named failure ("" for none).
RunOptions stubRun(const WineInstallation& installation, const std::string& play = "");
StubRecord stubRecord(const WineInstallation& installation);

}  // namespace wine_tests
