#include "config/line_reader.h"

#include <cstdio>
#include <memory>

#include "platform/files_and_directories.h"

namespace launcher {

namespace {

constexpr char endOfData = '\x1A';

std::string_view untilEndOfData(std::string_view data) {
    const std::size_t end = data.find(endOfData);
    return end == std::string_view::npos ? data : data.substr(0, end);
}

std::string_view withoutCarriageReturn(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

}  // namespace

bool readFileBytes(const std::string& path, std::string& bytes) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(platform::openSharedForReading(path),
                                                               std::fclose);
    if (!file)
        return false;
    // Read straight into the string: a buffer on the stack would need a large frame.
    constexpr std::size_t chunk = 65536;
    bytes.clear();
    for (;;) {
        const std::size_t start = bytes.size();
        bytes.resize(start + chunk);
        const std::size_t got = std::fread(bytes.data() + start, 1, chunk, file.get());
        bytes.resize(start + got);
        // End of file, or a read error (a directory opened as a file, say) ends the data.
        if (got < chunk || std::ferror(file.get()) != 0)
            break;
    }
    return true;
}

std::vector<std::string_view> splitLines(std::string_view data) {
    data = untilEndOfData(data);
    std::vector<std::string_view> lines;
    while (!data.empty()) {
        const std::size_t end = data.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(data);  // a lone CR at the very end stays: no line feed follows
            break;
        }
        lines.push_back(withoutCarriageReturn(data.substr(0, end)));
        data.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view firstLine(std::string_view data) {
    data = untilEndOfData(data);
    const std::size_t end = data.find('\n');
    if (end == std::string_view::npos)
        return data;
    return withoutCarriageReturn(data.substr(0, end));
}

}  // namespace launcher
