// splitString and the jar version resolver on arbitrary text. The first line is the client
// version; every further line is a jar name, a tab and a file name offered for it. Whatever
// the bytes: no crash, a jar name is known once offered, the class path holds one element per
// jar name in byte-wise name order, each one a file offered for that name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The resolver's progress lines would only slow the fuzzer down.
    std::cout.setstate(std::ios::badbit);
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
    std::map<std::string, std::set<std::string>> offered;  // file names per jar name
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t tab = lines[i].find('\t');
        const std::string jarName = lines[i].substr(0, tab);
        const std::string fileName = tab == std::string::npos ? "" : lines[i].substr(tab + 1);
        // Alternating prefixes show that the directory never takes part in the choice.
        resolver.offerJar(jarName, {fileName, i % 2 == 0 ? "lib/" : ""});
        offered[jarName].insert(fileName);
        check(resolver.containsJar(jarName));
    }

    // No jar name or file name holds a line feed, so it separates the elements unambiguously.
    const std::string classPath = resolver.getClassPath('\n');
    if (offered.empty()) {
        check(classPath.empty());
        return 0;
    }
    std::vector<std::string> elements;  // every element, empty ones included
    for (std::size_t start = 0;;) {
        const std::size_t end = classPath.find('\n', start);
        elements.push_back(classPath.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    check(elements.size() == offered.size());
    auto jar = offered.begin();
    for (const std::string& element : elements) {
        const std::string fileName = element.starts_with("lib/") ? element.substr(4) : element;
        check(jar->second.contains(fileName) || jar->second.contains(element));
        ++jar;
    }
    return 0;
}
