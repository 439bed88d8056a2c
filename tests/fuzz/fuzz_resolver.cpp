// splitString and the jar version resolver on arbitrary text. The first line is the client
// version; every further line is a jar name, a tab and a file name offered for it. Whatever
// the bytes: no crash, and the class path is the one the documented rule gives, worked out
// here the plain way (versions split into parts, parts compared as text).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "classpath/jars_version_resolver.h"
#include "config/string_split.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// The parts join back to the text (less one trailing delimiter), and there is one part per
// delimiter plus one for an unterminated last part.
void checkSplit(std::string_view text, char delimiter) {
    const std::vector<std::string> parts = launcher::splitString(text, delimiter);
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        check(parts[i].find(delimiter) == std::string::npos);
        joined += parts[i];
        if (i + 1 < parts.size())
            joined += delimiter;
    }
    const bool trailing = !text.empty() && text.back() == delimiter;
    check(joined == (trailing ? text.substr(0, text.size() - 1) : text));
    std::size_t delimiters = 0;
    for (const char c : text)
        delimiters += c == delimiter ? 1 : 0;
    check(parts.size() == (text.empty() ? 0 : delimiters + (trailing ? 0 : 1)));
}

// The parts of a version: split at '.', where an empty text has none and a '.' at the end
// begins none.
std::vector<std::string_view> versionParts(std::string_view version) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start < version.size()) {
        const std::size_t dot = version.find('.', start);
        parts.push_back(version.substr(start, dot - start));
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }
    return parts;
}

// The text between the first "__V" and the last '.', to the end without a '.'.
std::string_view versionOf(std::string_view fileName) {
    const std::size_t separator = fileName.find("__V");
    if (separator == std::string_view::npos)
        return {};
    const std::size_t start = separator + 3;
    const std::size_t lastDot = fileName.rfind('.');
    if (lastDot == std::string_view::npos)
        return fileName.substr(start);
    return lastDot > start ? fileName.substr(start, lastDot - start) : std::string_view();
}

bool isDigital(const std::vector<std::string_view>& parts) {
    if (parts.empty())
        return false;
    for (const std::string_view part : parts) {
        for (const char c : part) {
            if (c < '0' || c > '9')
                return false;
        }
    }
    return true;
}

// How many leading parts the two versions share.
std::size_t score(const std::vector<std::string_view>& client, std::string_view version) {
    const std::vector<std::string_view> parts = versionParts(version);
    std::size_t shared = 0;
    while (shared < client.size() && shared < parts.size() && client[shared] == parts[shared])
        ++shared;
    return shared;
}

struct Choice {
    std::string element;
    std::size_t score = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The resolver prints through C stdio; its lines would only slow the fuzzer down.
    check(std::freopen("/dev/null", "w", stdout) != nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkSplit(text, '\n');
    checkSplit(text, '.');

    const std::vector<std::string> lines = launcher::splitString(text, '\n');
    if (lines.empty())
        return 0;
    launcher::JarsVersionResolver resolver(lines[0]);
    const std::vector<std::string_view> client = versionParts(lines[0]);
    const bool digital = isDigital(client);
    std::deque<std::string> jarNames;        // outlive the resolver, as the directive's text does
    std::map<std::string, Choice> expected;  // by jar name, in byte-wise order
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t tab = lines[i].find('\t');
        const std::string& jarName = jarNames.emplace_back(lines[i].substr(0, tab));
        const std::string fileName = tab == std::string::npos ? "" : lines[i].substr(tab + 1);
        // Alternating prefixes show that the directory never takes part in the choice.
        const std::string dirPrefix = i % 2 == 0 ? "lib/" : "";
        const std::size_t place = resolver.placeFor(jarName);
        resolver.offer(place, launcher::JarFileName(fileName), dirPrefix, true);
        check(resolver.offered(place));

        const std::size_t fileScore = digital ? score(client, versionOf(fileName)) : 0;
        const auto [choice, first] = expected.try_emplace(jarName);
        if (first || fileScore > choice->second.score)
            choice->second = {dirPrefix + fileName, fileScore};
    }

    // No jar name or file name holds a line feed, so it separates the elements unambiguously.
    std::string classPath;
    for (auto choice = expected.begin(); choice != expected.end(); ++choice)
        classPath += (choice == expected.begin() ? "" : "\n") + choice->second.element;
    check(resolver.getClassPath('\n') == classPath);
    return 0;
}
