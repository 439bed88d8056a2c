#include "win/stub_client.h"

#include <algorithm>
#include <filesystem>

#include "support/files.h"

namespace wine_tests {

namespace {

void appendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The stub writes a backslash as "\\" and a control character or a lone surrogate as
// "\uXXXX"; lone surrogates come back as their three-byte form, enough to compare.
std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
            out += '\\';
            ++i;
        } else if (text[i] == '\\' && i + 5 < text.size() && text[i + 1] == 'u') {
            appendUtf8(out, static_cast<unsigned>(std::stoul(text.substr(i + 2, 4), nullptr, 16)));
            i += 5;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::filesystem::path recordPath(const WineInstallation& installation) {
    return installation.scratch("stub_record.txt");
}

}  // namespace

void installStubClient(const WineInstallation& installation) {
    installation.write("version", "2.1.0\r\n");
    installation.write("lib/client__V2.1.0.jar", "new");
    installation.write("lib/client__V2.0.jar", "old");
    installation.write("lib/util.jar", "util");
    installation.copyStubJvm("jre/bin/jvm.dll");
    installation.write("launch.properties",
                       "jvm.classpath=lib/client.jar;lib/util.jar\r\n"
                       "jvm.bin.path=jre\\bin\r\n"
                       "jvm.dll.path=jvm.dll\r\n"
                       "jvm.keystore.path=keys\\store.jks\r\n"
                       "main.class=client/Main\r\n");
    installation.write("settings.properties", "memory.max=2048\r\n");
}

StubRecord::StubRecord(const std::string& text) {
    for (const std::string& line : outputLines(text)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            items_.emplace_back(line, "");
        else
            items_.emplace_back(line.substr(0, equals), unescape(line.substr(equals + 1)));
    }
}

std::vector<std::string> StubRecord::values(const std::string& name) const {
    std::vector<std::string> found;
    for (const auto& [itemName, itemValue] : items_) {
        if (itemName == name)
            found.push_back(itemValue);
    }
    return found;
}

std::string StubRecord::value(const std::string& name) const {
    const auto found = values(name);
    return found.empty() ? std::string() : found.front();
}

bool StubRecord::has(const std::string& name) const {
    return std::any_of(items_.begin(), items_.end(),
                       [&](const auto& item) { return item.first == name; });
}

std::vector<std::string> StubRecord::names() const {
    std::vector<std::string> found;
    for (const auto& item : items_)
        found.push_back(item.first);
    return found;
}

RunOptions stubRun(const WineInstallation& installation, const std::string& play) {
    RunOptions options;
    options.environment = {{"STUB_JVM_RECORD", windowsPath(recordPath(installation))},
                           {"STUB_JVM_PLAY", play}};
    return options;
}

StubRecord stubRecord(const WineInstallation& installation) {
    std::error_code ignored;
    if (!std::filesystem::exists(recordPath(installation), ignored))
        return StubRecord("");
    return StubRecord(testing_support::readFile(recordPath(installation)));
}

}  // namespace wine_tests
