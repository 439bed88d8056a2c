#include "win/relay_trace.h"

#include <cctype>
#include <optional>

namespace wine_tests {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads one argument of the form `<hex pointer> "<escaped text>"`, optionally followed by the
// "..." that marks a text cut short, starting at `at`; leaves `at` after it.
std::optional<std::string> readStringArgument(const std::string& line, std::size_t& at,
                                              bool& truncated) {
    while (at < line.size() && std::isxdigit(static_cast<unsigned char>(line[at])))
        ++at;
    if (line.compare(at, 2, " \"") != 0)
        return std::nullopt;
    at += 2;
    std::string text;
    while (at < line.size() && line[at] != '"') {
        if (line[at] != '\\' || at + 1 >= line.size()) {
            text += line[at++];
            continue;
        }
        const char escaped = line[at + 1];
        at += 2;
        switch (escaped) {
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case 't':
                text += '\t';
                break;
            case 'x':
                if (at + 1 < line.size() && hexValue(line[at]) >= 0 &&
                    hexValue(line[at + 1]) >= 0) {
                    text += static_cast<char>(hexValue(line[at]) * 16 + hexValue(line[at + 1]));
                    at += 2;
                }
                break;
            default:
                text += escaped;
                break;
        }
    }
    if (at >= line.size())
        return std::nullopt;
    ++at;  // the closing quote
    if (line.compare(at, 3, "...") == 0) {
        truncated = true;
        at += 3;
    }
    return text;
}

std::optional<MessageBoxCall> parseMessageBoxLine(const std::string& line) {
    static const std::string marker = "Call user32.MessageBoxA(";
    const std::size_t start = line.find(marker);
    if (start == std::string::npos)
        return std::nullopt;
    // Arguments: owner window, text, caption, type.
    std::size_t at = line.find(',', start + marker.size());
    if (at == std::string::npos)
        return std::nullopt;
    ++at;
    MessageBoxCall call;
    const auto text = readStringArgument(line, at, call.truncated);
    if (!text || at >= line.size() || line[at] != ',')
        return std::nullopt;
    ++at;
    const auto caption = readStringArgument(line, at, call.truncated);
    if (!caption)
        return std::nullopt;
    call.text = *text;
    call.caption = *caption;
    return call;
}

template <typename Visit>
void forEachLine(const std::string& text, Visit visit) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        visit(text.substr(start, end - start), end == text.size());
        start = end + 1;
    }
}

}  // namespace

void PrintTo(const MessageBoxCall& call, std::ostream* out) {
    const auto quoted = [](const std::string& text) {
        std::string result = "\"";
        for (const char c : text) {
            if (c == '\n')
                result += "\\n";
            else if (c == '"' || c == '\\')
                result += std::string("\\") + c;
            else
                result += c;
        }
        return result + "\"";
    };
    *out << "box " << quoted(call.caption) << ": " << quoted(call.text)
         << (call.truncated ? " (cut short)" : "");
}

std::vector<MessageBoxCall> messageBoxCalls(const std::string& trace) {
    std::vector<MessageBoxCall> calls;
    forEachLine(trace, [&](const std::string& line, bool) {
        if (auto call = parseMessageBoxLine(line))
            calls.push_back(*call);
    });
    return calls;
}

int relayCallCount(const std::string& trace, const std::string& function,
                   const std::string& argumentText) {
    const std::string marker = "Call " + function + "(";
    int count = 0;
    forEachLine(trace, [&](const std::string& line, bool) {
        const std::size_t call = line.find(marker);
        if (call != std::string::npos && line.find(argumentText, call) != std::string::npos)
            ++count;
    });
    return count;
}

std::vector<std::string> outputLines(const std::string& out) {
    std::vector<std::string> lines;
    forEachLine(out, [&](std::string line, bool) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    });
    return lines;
}

}  // namespace wine_tests
