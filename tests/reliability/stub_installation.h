#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/installation.h"
#include "support/process_runner.h"

namespace reliability {

using Environment = std::vector<std::pair<std::string, std::string>>;

// A temporary installation that launches: one jar, lib/app.jar, on the class path, the stub
// JVM as its JVM library and Main as its main class. The stub's record of what it received
// goes to a file outside the installation.
class StubInstallation : public testing_support::Installation {
  public:
    StubInstallation();

    // The launch.properties that launches, with more lines after it.
    std::string launchProperties(const std::string& moreLines = "") const;

    struct Run {
        testing_support::ProcessResult result;
        std::vector<std::string> record;  // the stub's lines, in order
    };
    Run launch(const Environment& environment = {}) const;

  private:
    testing_support::TempDir recordDir_;
};

// The values of the record lines "name=value", in order.
std::vector<std::string> recorded(const std::vector<std::string>& record, const std::string& name);

using testing_support::hasLine;
using testing_support::printedClassPath;

}  // namespace reliability
