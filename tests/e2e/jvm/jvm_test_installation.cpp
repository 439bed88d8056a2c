#include "jvm_test_installation.h"

#include <cstdio>
#include <filesystem>

#include "platform/libraries_and_texts.h"
#include "support/files.h"

namespace jvm_e2e {

namespace fs = std::filesystem;

Environment plainJvmEnvironment() {
    // In a sanitizer build, LeakSanitizer's scan at exit faults on the JVM's guarded thread
    // stacks; everything else stays checked.
    return {{"ASAN_OPTIONS", "detect_leaks=0"}};
}

Environment modernJvmEnvironment() {
    Environment environment = plainJvmEnvironment();
    environment.emplace_back("JAVA_TOOL_OPTIONS", "-XX:+IgnoreUnrecognizedVMOptions");
    return environment;
}

void installClient(const testing_support::Installation& installation,
                   const std::string& moreProperties) {
    const std::string jar = testing_support::readFile(TEST_CLIENT_JAR);
    installation.write("lib/client__V1.1.0.jar", jar);
    installation.write("lib/client__V1.2.0.jar", jar);
    installation.write("version", "1.2.0\n");
    installation.write("launch.properties", "jvm.classpath=lib/client.jar\n" + moreProperties);
}

void installClientForRealJvm(const testing_support::Installation& installation,
                             const std::string& mainClass, const std::string& moreProperties) {
    installClient(installation, "jvm.dll.path=" + testing_support::realJvmLibrary() +
                                    "\njvm.bin.path=" + testing_support::jdkHome() +
                                    "/bin\nmain.class=" + mainClass + "\n" + moreProperties);
}

std::string chosenClientJar() {
    return "lib/client__V1.2.0.jar";
}

std::string noJvmEntryLibrary() {
    return TEST_NO_JVM_ENTRY_LIBRARY;
}

std::string hostingBoxLine(const std::string& text) {
    std::string line = std::string(TEST_CAPTION) + ": " + text;
    if (line.back() != '\n')
        line += '\n';
    return line;
}

std::string lineValue(const std::string& output, const std::string& prefix) {
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        if (output.compare(start, prefix.size(), prefix) == 0 && end - start >= prefix.size())
            return output.substr(start + prefix.size(), end - start - prefix.size());
        start = end + 1;
    }
    return "(missing)";
}

std::string javaEscaped(const std::string& text) {
    std::string out;
    for (char16_t unit : platform::utf8ToUtf16(text)) {
        if (unit < 0x20 || unit > 0x7e || unit == u'\\') {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(unit));
            out += buffer;
        } else {
            out += static_cast<char>(unit);
        }
    }
    return out;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool containsAfter(const std::string& text, const std::string& earlier, const std::string& part) {
    const std::size_t first = text.find(earlier);
    return first != std::string::npos &&
           text.find(part, first + earlier.size()) != std::string::npos;
}

}  // namespace jvm_e2e
