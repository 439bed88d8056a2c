#include "scratch_files.h"

#include <stdlib.h>

#include <fstream>
#include <iostream>
#include <stdexcept>
#include <streambuf>

namespace bench {

namespace {

// Swallows everything written to it.
class NullBuffer : public std::streambuf {
  protected:
    int overflow(int character) override { return traits_type::not_eof(character); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

NullBuffer nullBuffer;

}  // namespace

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "launcher-bench-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a scratch directory");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeText(const std::filesystem::path& path, std::string_view text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

void touch(const std::filesystem::path& path) {
    writeText(path, {});
}

CurrentDirectory::CurrentDirectory(const std::filesystem::path& path)
    : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
}

CurrentDirectory::~CurrentDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(saved_, ignored);
}

QuietStandardOutput::QuietStandardOutput() : saved_(std::cout.rdbuf(&nullBuffer)) {}

QuietStandardOutput::~QuietStandardOutput() {
    std::cout.rdbuf(saved_);
}

}  // namespace bench
