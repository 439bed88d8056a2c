#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "deferred/list_identity.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"

// The progress record kept beside the list: how many of the list's operations are finished
// (done, skipped or doing nothing), bound to the one list it was written for. A start after a
// failed run resumes after them, so no operation is carried out twice.
//
// The record is the list's identity (its size and a fingerprint of its content, never its
// date; records that also name the date are still read) followed by two slots of fixed width, each
// a count with a fingerprint of the identity and the count. Counts are written into the slots in
// turn, in place through a memory mapping, and each is written through to the disk before the next
// operation begins (one sync per operation), so that a power cut loses no finished operation.
// A slot left half written by a crash fails its fingerprint, and the other slot, one count
// behind, stands. Before an operation begins, the slot that its count will go to says that it
// is being carried out: a resumed run finishes the removal of emptied directories only after
// such an operation.

namespace launcher {

// A whole record for list, saying in both slots that finishedOperations are finished.
std::string formatProgressRecord(const ListIdentity& list, int finishedOperations);

// The text of one slot saying that finishedOperations are finished.
std::string formatProgressSlot(const ListIdentity& list, int finishedOperations);

// The text of the slot saying that operation index is being carried out.
std::string formatCarryingOutSlot(const ListIdentity& list, int index);

struct RecordedProgress {
    int finishedOperations = 0;
    // Whether the operation after them was begun (and may have been stopped inside).
    bool nextBegun = false;

    bool operator==(const RecordedProgress&) const = default;
};

// The progress that text records for list: that of the valid slot with the larger count (the
// begun operation when both count alike). Nothing when it belongs to another list or has no
// valid slot.
std::optional<RecordedProgress> parseProgress(std::string_view text, const ListIdentity& list);

// Its finished operations alone.
std::optional<int> parseProgressRecord(std::string_view text, const ListIdentity& list);

// The same two for the record file at path.
std::optional<RecordedProgress> readProgress(const std::string& path, const ListIdentity& list);
std::optional<int> readFinishedOperations(const std::string& path, const ListIdentity& list);

// Keeps the record at path up to date for one run over list.
class ProgressRecorder {
  public:
    // Goes on with the record when it holds a valid count for list (recorded) and this start
    // can write it in place; otherwise replaces whatever is there (another user's record, a
    // link, one in an earlier form), in one step, by a record of finishedOperations, on the
    // disk before the constructor returns. Never writes through a link.
    ProgressRecorder(const std::string& path, const ListIdentity& list, std::optional<int> recorded,
                     int finishedOperations);
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    // Whether the record is in place and open for the counts to come.
    bool recording() const { return mapped_ != nullptr || file_ != nullptr; }

    // Records that finishedOperations are finished, through to the disk. A record that can't
    // be written lags behind, but stays valid.
    void recordFinished(int finishedOperations);

    // Records that operation index (all before it finished) is being carried out.
    void recordCarryingOut(int index);

    // Records that operation index, begun, was not carried out after all.
    void recordNotCarriedOut(int index);

    // Closes the record (before it is removed with its list).
    void close();

  private:
    void writeSlot(int slotIndex, std::string_view slot, bool sync);

    std::string identity_;         // the identity block, which every slot is bound to
    std::uint64_t identityPrint_;  // its fingerprint, where each slot's check goes on from
    platform::Owned<platform::MappedFile> mapped_;
    std::FILE* file_ = nullptr;  // where the record could not be mapped
};

}  // namespace launcher
