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

// The first line of data (empty for empty data).
std::string_view firstLine(std::string_view data) {
    data = untilEndOfData(data);
    const std::size_t end = data.find('\n');
    if (end == std::string_view::npos)
        return data;
    return withoutCarriageReturn(data.substr(0, end));
}

// Appends the bytes of the file at path to bytes, in chunks through a small buffer: growing the
// string and filling it in place would clear every chunk first. With untilLineEnd the reading
// stops after the first line feed or end-of-data mark, so that a huge file costs no more than
// its first line.
bool readBytes(const std::string& path, std::string& bytes, bool untilLineEnd,
               std::size_t limit = std::string::npos - 1) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        platform::openRegularFile(path, "rb", platform::LinkAtEnd::Followed), std::fclose);
    if (!file)
        return false;
    constexpr std::size_t chunk = 4096;
    char buffer[chunk];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, chunk, file.get());
        std::string_view read(buffer, got);
        if (untilLineEnd) {
            const std::size_t end = read.find_first_of("\n\x1A");
            if (end != std::string_view::npos) {
                bytes.append(read.substr(0, end + 1));
                break;
            }
        }
        bytes.append(read);
        // End of file, or a read error (a directory opened as a file, say) ends the data.
        if (got < chunk || std::ferror(file.get()) != 0 || bytes.size() > limit)
            break;
    }
    return true;
}

}  // namespace

bool readFileBytes(const std::string& path, std::string& bytes, std::size_t limit) {
    bytes.clear();
    return readBytes(path, bytes, false, limit);
}

std::string readFirstLine(const std::string& path) {
    std::string bytes;
    readBytes(path, bytes, true);  // nothing read: no line
    return std::string(firstLine(bytes));
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

}  // namespace launcher
