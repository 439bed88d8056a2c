#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/files_and_directories.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

using platform::EntryType;

std::map<std::string, EntryType> listAll(const std::string& path) {
    std::map<std::string, EntryType> entries;
    const platform::Owned<platform::DirectoryListing> listing =
        platform::openDirectory(path.c_str());
    if (listing == nullptr)
        ADD_FAILURE() << "cannot open " << path;
    if (listing == nullptr)
        return entries;
    platform::DirectoryEntry entry{};
    while (platform::nextDirectoryEntry(*listing, entry))
        entries[std::string(entry.name)] = entry.type;
    // Exhaustion is final.
    EXPECT_FALSE(platform::nextDirectoryEntry(*listing, entry));
    return entries;
}

// Beside the odd entries, names of up to 255 bytes, enough of them to fill many of the batches
// the system hands a directory out in, each listed once and whole.
TEST(DirectoryListing, TellsFilesFromDirectoriesAndResolvesLinks) {
    testing_support::TempDir dir;
    const std::string longName(240, 'n');
    constexpr int files = 1500;
    for (int index = 0; index < files; ++index)
        testing_support::writeFile(dir.path() / (longName + std::to_string(index)), "");
    testing_support::writeFile(dir.path() / "a.jar", "x");
    std::filesystem::create_directory(dir.path() / "sub.jar");
    std::filesystem::create_symlink("a.jar", dir.path() / "link-to-file.jar");
    std::filesystem::create_symlink("sub.jar", dir.path() / "link-to-dir.jar");
    std::filesystem::create_symlink("nowhere", dir.path() / "dangling.jar");
    ASSERT_EQ(::mkfifo((dir.path() / "fifo.jar").c_str(), 0600), 0);
    std::filesystem::create_symlink("fifo.jar", dir.path() / "link-to-fifo.jar");

    const auto entries = listAll(dir.path().string());
    EXPECT_EQ(entries.at("a.jar"), EntryType::RegularFile);
    EXPECT_EQ(entries.at("link-to-file.jar"), EntryType::RegularFile);
    EXPECT_EQ(entries.at("dangling.jar"), EntryType::Other);
    EXPECT_EQ(entries.at("link-to-fifo.jar"), EntryType::Other);
    EXPECT_EQ(entries.at("sub.jar"), EntryType::Other);
    EXPECT_EQ(entries.at("link-to-dir.jar"), EntryType::Other);
    EXPECT_EQ(entries.at("fifo.jar"), EntryType::Other);
    EXPECT_EQ(entries.at("."), EntryType::Other);
    EXPECT_EQ(entries.at(".."), EntryType::Other);
    EXPECT_EQ(entries.size(), 9u + files);
    for (int index = 0; index < files; ++index)
        EXPECT_EQ(entries.count(longName + std::to_string(index)), 1u) << index;
}

TEST(DirectoryListing, MissingDirectoryOrFileCannotBeOpened) {
    testing_support::TempDir dir;
    testing_support::writeFile(dir.path() / "file", "x");
    EXPECT_EQ(platform::openDirectory((dir / "missing").c_str()), nullptr);
    EXPECT_EQ(platform::openDirectory((dir / "file").c_str()), nullptr);
    EXPECT_EQ(platform::openDirectory(""), nullptr);
    // Refused at once, not waited on for a writer.
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(platform::openDirectory((dir / "fifo").c_str()), nullptr);
}

}  // namespace
