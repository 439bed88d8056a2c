// The failures the stub JVM plays, and what the launcher must make of each, whichever system
// hosts it: the same table runs on the POSIX launcher (tests/e2e/jvm/stub_jvm_test.cpp) and on
// launcher.exe under Wine (tests/win/launch_sequence_wine_test.cpp). The client's main class is
// client/Main.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace stub_jvm {

struct Failure {
    const char* name;
    const char* play;  // STUB_JVM_PLAY
    int exitCode;
    std::string box;              // the hosting step's box
    std::string launcherMessage;  // the launch sequence's message and box, "" when it has none
    // ExceptionDescribe, ExceptionClear and DetachCurrentThread, in the order the JVM got them.
    std::vector<std::string> exceptionCalls;
    bool mainCalled;
    bool destroyed;
};

inline void PrintTo(const Failure& failure, std::ostream* out) {
    *out << failure.name;
}

inline const std::vector<Failure>& failures() {
    using Calls = std::vector<std::string>;
    const Calls none;
    const Calls describedAndCleared{"ExceptionDescribe", "ExceptionClear"};
    static const std::vector<Failure> table = {
        {"RejectedOption", "reject-option", 3, "Failed to create VM: error code -1.\n",
         "Cannot create JVM", none, false, false},
        {"RejectedOptionWithItsOwnCode", "reject-option:-6", 3,
         "Failed to create VM: error code -6.\n", "Cannot create JVM", none, false, false},
        {"MissingClass", "class-missing", 4, "Could not find main class client/Main",
         "Cannot create JVM", describedAndCleared, false, false},
        {"MissingClassWithoutException", "class-missing-quietly", 4,
         "Could not find main class client/Main", "Cannot create JVM", none, false, false},
        {"MissingMain", "main-missing", 4, "Could not find main method", "Cannot create JVM", none,
         false, false},
        // A pending exception goes to the thread's handlers when the thread is detached.
        {"MainThrows", "main-throws", 5, "Error invoking main method", "",
         Calls{"DetachCurrentThread"}, true, true},
        {"NoMemoryForTheArguments", "args-fail", 5, "Error invoking main method", "",
         Calls{"ExceptionDescribe", "ExceptionClear", "DetachCurrentThread"}, false, true},
    };
    return table;
}

// The exception calls among the names of what the stub received, in order.
inline std::vector<std::string> exceptionCalls(const std::vector<std::string>& received) {
    std::vector<std::string> calls;
    for (const std::string& name : received) {
        if (name == "ExceptionDescribe" || name == "ExceptionClear" ||
            name == "DetachCurrentThread")
            calls.push_back(name);
    }
    return calls;
}

}  // namespace stub_jvm
