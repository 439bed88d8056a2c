#include "stub_installation.h"

#include <filesystem>

#include "config/string_split.h"
#include "support/files.h"

namespace reliability {

StubInstallation::StubInstallation() {
    write("lib/app.jar", "");
    write("launch.properties", launchProperties());
}

std::string StubInstallation::launchProperties(const std::string& moreLines) const {
    return "jvm.classpath=lib/app.jar\njvm.dll.path=" + testing_support::stubJvmLibrary() +
           "\njvm.bin.path=.\nmain.class=Main\n" + moreLines;
}

StubInstallation::Run StubInstallation::launch(const Environment& environment,
                                               const std::vector<std::string>& arguments,
                                               const std::string& argv0) const {
    const std::string recordPath = (recordDir_.path() / "record").string();
    std::filesystem::remove(recordPath);
    Environment withRecord = environment;
    withRecord.emplace_back("STUB_JVM_RECORD", recordPath);
    Run run{this->run(arguments, withRecord, argv0), {}};
    if (std::filesystem::exists(recordPath))
        run.record = launcher::splitString(testing_support::readFile(recordPath), '\n');
    return run;
}

std::vector<std::string> recorded(const std::vector<std::string>& record, const std::string& name) {
    std::vector<std::string> values;
    for (const std::string& line : record) {
        if (line == name)
            values.emplace_back();
        else if (line.starts_with(name + "="))
            values.push_back(line.substr(name.size() + 1));
    }
    return values;
}

}  // namespace reliability
