#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "config/property_file.h"
#include "deferred/list_identity.h"
#include "deferred/progress_record.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

using launcher::ListIdentity;
const ListIdentity list{120, 0x0123456789abcdefULL};

std::optional<int> parseProgressRecord(std::string_view text, const ListIdentity& of) {
    const auto progress = launcher::parseProgress(text, of);
    return progress ? std::optional<int>(progress->finishedOperations) : std::nullopt;
}

// The last slot of a whole record: the one a count is written to.
std::string formatProgressSlot(const ListIdentity& of, int finishedOperations) {
    const std::string record = launcher::formatProgressRecord(of, finishedOperations);
    return record.substr(record.rfind('\n', record.size() - 2) + 1);
}

TEST(ProgressRecord, IsHonouredOnlyForItsOwnList) {
    const std::string text = launcher::formatProgressRecord(list, 3);
    EXPECT_EQ(parseProgressRecord(text, list), 3);
    for (const ListIdentity& other :
         {ListIdentity{121, list.contentFingerprint}, ListIdentity{list.size, 1}})
        EXPECT_EQ(parseProgressRecord(text, other), std::nullopt);
}

TEST(ProgressRecord, CutShortOrAlteredIsIgnored) {
    const std::string text = launcher::formatProgressRecord(list, 3);
    for (std::size_t length = 0; length < text.size(); ++length)
        EXPECT_EQ(parseProgressRecord(text.substr(0, length), list), std::nullopt) << length;

    std::string altered = text;
    for (std::size_t at = altered.find("0000000003"); at != std::string::npos;
         at = altered.find("0000000003"))
        altered.replace(at, 10, "0000000009");
    EXPECT_EQ(parseProgressRecord(altered, list), std::nullopt);
}

TEST(ProgressRecord, AHalfWrittenSlotLeavesTheOtherStanding) {
    const std::string record = launcher::formatProgressRecord(list, 3);
    const std::string slot = formatProgressSlot(list, 3);
    const std::string next = formatProgressSlot(list, 4);
    const std::size_t secondSlot = record.size() - slot.size();
    // Writing 4 over the second slot, cut off after every byte: 3 or 4, never anything else.
    for (std::size_t written = 0; written <= next.size(); ++written) {
        std::string torn = record;
        torn.replace(secondSlot, written, next.substr(0, written));
        const bool whole = torn.substr(secondSlot) == next;
        EXPECT_EQ(parseProgressRecord(torn, list), whole ? 4 : 3) << written;
    }
    // A slot of another list's record is not taken.
    const launcher::ListIdentity other{list.size + 1, list.contentFingerprint};
    std::string mixed = record;
    mixed.replace(secondSlot, slot.size(), formatProgressSlot(other, 9));
    EXPECT_EQ(parseProgressRecord(mixed, list), 3);
}

TEST(ProgressRecord, ABegunOperationIsToldOnlyByItsWholeSlot) {
    // The mark as the recorder writes it, next to a count of 3.
    const testing_support::TempDir dir;
    const std::string path = dir / "deferred_operations.progress";
    launcher::ProgressRecorder recorder(path, list, std::nullopt, 3);
    const std::string record = testing_support::readFile(path);
    recorder.recordBegun();
    const std::string marked = testing_support::readFile(path);
    const std::size_t slotSize = formatProgressSlot(list, 3).size();
    // The slot the mark went to: the one that changed.
    std::size_t markedSlot = record.size() - 2 * slotSize;
    if (marked.compare(markedSlot, slotSize, record, markedSlot, slotSize) == 0)
        markedSlot += slotSize;
    const std::string begun = marked.substr(markedSlot, slotSize);
    for (std::size_t written = 0; written <= begun.size(); ++written) {
        std::string torn = record;
        torn.replace(markedSlot, written, begun.substr(0, written));
        const bool whole = torn.substr(markedSlot, begun.size()) == begun;
        EXPECT_EQ(launcher::parseProgress(torn, list), (launcher::RecordedProgress{3, whole}))
            << written;
    }
}

TEST(ProgressRecord, RecorderStartsAFreshRecordOrGoesOnWithAValidOne) {
    const testing_support::TempDir dir;
    const std::string path = dir / "deferred_operations.progress";
    EXPECT_EQ(launcher::readFinishedOperations(path, list), std::nullopt);

    testing_support::writeFile(path, "damaged");
    {
        launcher::ProgressRecorder recorder(path, list, std::nullopt, 2);
        EXPECT_EQ(launcher::readFinishedOperations(path, list), 2);
        EXPECT_TRUE(recorder.recordFinished(3));
        EXPECT_EQ(launcher::readFinishedOperations(path, list), 3);
    }
    {
        launcher::ProgressRecorder recorder(path, list, 3, 3);
        EXPECT_TRUE(recorder.recordFinished(4));
    }
    EXPECT_EQ(launcher::readFinishedOperations(path, list), 4);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // A valid record that can't be written in place (here a link to a file outside; another
    // user's record alike), or a second name of another installation's record (a copy made
    // with hard links): a fresh one with its count takes its place, and nothing is written
    // through the link.
    const testing_support::TempDir outside;
    for (const bool hardLink : {false, true}) {
        testing_support::writeFile(outside / "target", launcher::formatProgressRecord(list, 4));
        std::filesystem::remove(path);
        if (hardLink)
            std::filesystem::create_hard_link(outside / "target", path);
        else
            std::filesystem::create_symlink(outside / "target", path);
        {
            launcher::ProgressRecorder recorder(path, list, 4, 4);
            ASSERT_TRUE(recorder.recording());
            recorder.recordBegun();
            EXPECT_TRUE(recorder.recordFinished(5));
        }
        EXPECT_FALSE(std::filesystem::is_symlink(path));
        EXPECT_EQ(std::filesystem::hard_link_count(path), 1u) << hardLink;
        EXPECT_EQ(launcher::readFinishedOperations(path, list), 5);
        EXPECT_EQ(testing_support::readFile(outside / "target"),
                  launcher::formatProgressRecord(list, 4))
            << hardLink;
    }
}

TEST(ListLoading, BindsTheIdentityToExactlyTheBytesLoaded) {
    const testing_support::TempDir dir;
    const std::string path = dir / "deferred_operations";
    const std::string bytes = "size=1\r\noperation.0=delete\n";
    testing_support::writeFile(path, bytes);
    launcher::PropertyMap loaded;
    const auto identity = launcher::loadList(path, loaded);
    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(identity->size, bytes.size());
    EXPECT_EQ(identity->contentFingerprint, launcher::fingerprint(bytes));
    EXPECT_EQ(launcher::getProperty(loaded, "operation.0"), "delete");

    testing_support::writeFile(path, "size=1\r\noperation.0=rename\n");
    launcher::PropertyMap reloaded;
    const auto changed = launcher::loadList(path, reloaded);
    ASSERT_TRUE(changed.has_value());
    EXPECT_NE(changed->contentFingerprint, identity->contentFingerprint);

    launcher::PropertyMap untouched{{"kept", "1"}};
    EXPECT_EQ(launcher::loadList(dir / "absent", untouched), std::nullopt);
    EXPECT_EQ(untouched.size(), 1u);
}

}  // namespace
