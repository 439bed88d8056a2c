#include "deferred/progress_record.h"

#include <charconv>
#include <cstdio>

#include "config/line_reader.h"
#include "platform/file_operations.h"

namespace launcher {

namespace {

constexpr std::string_view header = "deferred_operations progress\n";
constexpr std::string_view checkName = "check";

std::string hex(std::uint64_t value) {
    std::string text(16, '0');
    for (auto digit = text.rbegin(); digit != text.rend(); ++digit, value >>= 4)
        *digit = "0123456789abcdef"[value & 0xf];
    return text;
}

template <typename Number>
bool parseWhole(std::string_view text, Number& value, int base = 10) {
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    return !text.empty() && error == std::errc() && stop == end;
}

// Takes the line name=value from the front of text and parses its value whole.
template <typename Number>
bool takeField(std::string_view& text, std::string_view name, Number& value, int base = 10) {
    if (!text.starts_with(name) || text.substr(name.size()).substr(0, 1) != "=")
        return false;
    text.remove_prefix(name.size() + 1);
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos || !parseWhole(text.substr(0, end), value, base))
        return false;
    text.remove_prefix(end + 1);
    return true;
}

}  // namespace

std::string formatProgressRecord(const ListIdentity& list, int finishedOperations) {
    std::string body(header);
    body += "list.size=" + std::to_string(list.size) + "\n";
    body += "list.modified=" + std::to_string(list.modificationTime) + "\n";
    body += "list.content=" + hex(list.contentFingerprint) + "\n";
    body += "finished=" + std::to_string(finishedOperations) + "\n";
    return body + std::string(checkName) + "=" + hex(fingerprint(body)) + "\n";
}

std::optional<int> parseProgressRecord(std::string_view text, const ListIdentity& list) {
    const std::size_t checkAt = text.rfind(std::string(checkName) + "=");
    if (checkAt == std::string_view::npos)
        return std::nullopt;
    std::string_view body = text.substr(0, checkAt);
    std::string_view tail = text.substr(checkAt);
    std::uint64_t check = 0;
    if (!takeField(tail, checkName, check, 16) || !tail.empty() || check != fingerprint(body))
        return std::nullopt;

    ListIdentity recorded;
    int finished = 0;
    if (!body.starts_with(header))
        return std::nullopt;
    body.remove_prefix(header.size());
    if (!takeField(body, "list.size", recorded.size) ||
        !takeField(body, "list.modified", recorded.modificationTime) ||
        !takeField(body, "list.content", recorded.contentFingerprint, 16) ||
        !takeField(body, "finished", finished) || !body.empty())
        return std::nullopt;
    if (recorded != list || finished < 0)
        return std::nullopt;
    return finished;
}

std::optional<int> readFinishedOperations(const std::string& path, const ListIdentity& list) {
    std::string text;
    if (!readFileBytes(path, text))
        return std::nullopt;
    return parseProgressRecord(text, list);
}

void writeFinishedOperations(const std::string& path, const ListIdentity& list,
                             int finishedOperations) {
    const std::string temporary = path + ".tmp";
    const std::string text = formatProgressRecord(list, finishedOperations);
    bool written = false;
    if (std::FILE* const file = std::fopen(temporary.c_str(), "wb")) {
        written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
        written = std::fclose(file) == 0 && written;
    }
    // On failure the old record stays in force: it may lag behind, but it is whole.
    if (!written || platform::replaceFile(temporary.c_str(), path.c_str()) != 0)
        platform::removeFile(temporary.c_str());
}

}  // namespace launcher
