#include <gtest/gtest.h>

#include <filesystem>

#include "config/property_file.h"
#include "deferred/progress_record.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

using launcher::ListIdentity;
using launcher::parseProgressRecord;

const ListIdentity list{120, 1700000000123456789, 0x0123456789abcdefULL};

TEST(ProgressRecord, IsHonouredOnlyForItsOwnList) {
    const std::string text = launcher::formatProgressRecord(list, 3);
    EXPECT_EQ(parseProgressRecord(text, list), 3);
    for (const ListIdentity& other :
         {ListIdentity{121, list.modificationTime, list.contentFingerprint},
          ListIdentity{list.size, list.modificationTime + 1, list.contentFingerprint},
          ListIdentity{list.size, list.modificationTime, 1}})
        EXPECT_EQ(parseProgressRecord(text, other), std::nullopt);
}

TEST(ProgressRecord, CutShortOrAlteredIsIgnored) {
    const std::string text = launcher::formatProgressRecord(list, 3);
    for (std::size_t length = 0; length < text.size(); ++length)
        EXPECT_EQ(parseProgressRecord(text.substr(0, length), list), std::nullopt) << length;

    std::string altered = text;
    altered.replace(altered.find("finished=3"), 10, "finished=9");
    EXPECT_EQ(parseProgressRecord(altered, list), std::nullopt);
    EXPECT_EQ(parseProgressRecord(text + "x", list), std::nullopt);
}

TEST(ProgressRecord, FileIsReplacedWholeWithNothingLeftBeside) {
    const testing_support::TempDir dir;
    const std::string path = dir / "deferred_operations.progress";
    EXPECT_EQ(launcher::readFinishedOperations(path, list), std::nullopt);

    launcher::writeFinishedOperations(path, list, 2);
    launcher::writeFinishedOperations(path, list, 5);
    EXPECT_EQ(launcher::readFinishedOperations(path, list), 5);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ListIdentity, NeedsTheFileToSayWhatWasLoaded) {
    const testing_support::TempDir dir;
    const std::string path = dir / "deferred_operations";
    const std::string bytes = "size=1\r\noperation.0=delete\n";
    testing_support::writeFile(path, bytes);
    launcher::PropertyMap loaded;
    launcher::parseProperties(loaded, "size=1\noperation.0=delete\n");
    const auto identity = launcher::identifyList(path, loaded);
    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(identity->size, bytes.size());

    loaded["operation.0"] = "rename";
    EXPECT_EQ(launcher::identifyList(path, loaded), std::nullopt);
    EXPECT_EQ(launcher::identifyList(dir / "absent", {}), std::nullopt);
}

}  // namespace
