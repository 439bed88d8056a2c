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
    // Starts the launcher with the arguments and argv[0] as given (default: its full path).
    Run launch(const Environment& environment = {}, const std::vector<std::string>& arguments = {},
               const std::string& argv0 = "") const;

  private:
    testing_support::TempDir recordDir_;
};

// The values of the record lines "name=value", in order ("" for a line "name").
std::vector<std::string> recorded(const std::vector<std::string>& record, const std::string& name);

using testing_support::hasLine;
using testing_support::printedClassPath;

}  // namespace reliability
