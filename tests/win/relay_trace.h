#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace wine_tests {

// One call of MessageBoxA as Wine's relay trace shows it.
struct MessageBoxCall {
    std::string text;
    std::string caption;
    bool truncated = false;  // Wine cut one of the texts short

    bool operator==(const MessageBoxCall& other) const {
        return text == other.text && caption == other.caption && truncated == other.truncated;
    }
};

// Readable failure output: caption and text, C-escaped.
void PrintTo(const MessageBoxCall& call, std::ostream* out);

// The MessageBoxA calls in a relay trace, in the order they were made. Wine writes the string
// arguments C-escaped (\n, \", \\, \xNN); they come back here as the bytes that were passed.
std::vector<MessageBoxCall> messageBoxCalls(const std::string& trace);

// How many relay lines record a call of the function (for example "msvcrt.remove") with an
// argument that contains the text.
int relayCallCount(const std::string& trace, const std::string& function,
                   const std::string& argumentText);

// Standard output split into lines, a CR before each LF dropped (the C runtime writes text
// mode); a last line without LF is kept.
std::vector<std::string> outputLines(const std::string& out);

}  // namespace wine_tests
