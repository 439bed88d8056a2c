#include "support/files.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void copyExecutable(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (to.has_parent_path())
        std::filesystem::create_directories(to.parent_path());
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(to, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
}

}  // namespace testing_support
