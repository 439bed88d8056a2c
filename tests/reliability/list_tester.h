// The property-based list tester: random installations and random deferred lists, hostile
// entries among them, each carried out by a real start of the launcher and checked against
// the promises of the guide (docs/deferred-operations.md): nothing outside the installation
// changes, a launcher is at the launcher's path after every start (killed or not), a second
// start runs the client, every operation is carried out or reported, and the installation ends
// as a small model of the guide's rules says.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace list_tester {

enum class System { posix, windows };

// One operation as an updater writes it.
struct Operation {
    std::string name;
    std::string file;
    std::optional<std::string> destination;
};

// Something in the installation before the start, beside the client's own files.
struct Entry {
    enum class Kind { file, directory, link } kind = Kind::file;
    std::string path;     // relative, '/' between directories
    std::string content;  // a file's bytes; a link's target (relative to the outside tree)
    bool readOnly = false;
};

struct Scenario {
    std::vector<Entry> entries;
    std::optional<std::string> size;  // the "size" value as written; nothing: no such line
    std::vector<Operation> operations;
    bool secondStart = false;  // start once more after the list, whatever the first start did
    // The first start killed in its killAtPause-th pause between retries (0: never), then
    // started again.
    int killAtPause = 0;

    // The installation and the list as a reader can rebuild them.
    std::string describe() const;
};

// What one start of the launcher gave.
struct Start {
    int exitCode = -1;
    bool timedOut = false;
    std::string out;
    bool clientRan = false;  // the stub JVM's main was called
};

// The launcher under test and how to start it.
struct Target {
    System system = System::posix;
    std::string launcherName;  // "launcher" or "launcher.exe"
    std::filesystem::path launcherBinary;
    std::string jvmLibrary;  // jvm.dll.path as launch.properties writes it
    // Whether the launcher's retry pauses take real time: then lists that the model expects to
    // give up (41 pauses of 250 ms) are passed over by checkSeeds.
    bool pausesTakeTime = false;
    // Where installations are laid out (empty: the system's temporary directory). A memory file
    // system makes the launcher's syncs cost nothing; what they make durable is tested elsewhere.
    std::filesystem::path workDirectory;
    // Whether start can kill the launcher in one of its pauses between retries.
    bool killsAtPause = false;
    // Starts root/launcherName in root; the stub JVM records into record (a host path). With
    // killAtPause above 0, the launcher is killed in that pause of its run, if it comes to one.
    std::function<Start(const std::filesystem::path& root, const std::filesystem::path& record,
                        int killAtPause)>
        start;
};

class ListTester {
  public:
    explicit ListTester(Target target);

    Scenario generate(std::uint64_t seed) const;

    // Lays the scenario out afresh, starts the launcher on it and checks every promise: what
    // was broken, or nothing.
    std::optional<std::string> check(const Scenario& scenario) const;

    // A smaller scenario that still breaks a promise (fewer operations and entries).
    Scenario shrink(Scenario scenario) const;

    // Checks count generated scenarios from firstSeed on; for each broken one, its seed, the
    // shrunk scenario and what it broke. Empty when all held.
    std::string checkSeeds(std::uint64_t firstSeed, int count) const;

    // check(), with the scenario in the report: empty when all held.
    std::string checkScenario(const Scenario& scenario) const;

  private:
    Target target_;
    std::filesystem::path binaries_;  // the launcher and its successor, linked into installations
};

// Lists that broke a promise before and the lists the guide's rules are written for, as
// the given system's runner starts them: (what the list shows, the scenario).
std::vector<std::pair<std::string, Scenario>> knownLists(System system);

}  // namespace list_tester
