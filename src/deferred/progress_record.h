#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "deferred/list_identity.h"

// The progress record kept beside the list: how many of the list's operations are finished
// (done, skipped or doing nothing), bound to the one list it was written for. A start after a
// failed run resumes after them, so no operation is carried out twice.
//
// The record is the list's identity (its size and a fingerprint of its content, never its
// date) followed by two slots of fixed width, each a count with a fingerprint of the identity and
// the count. Counts are written into the slots in turn, in place with checked writes (a full disk
// is a failed write, never a fault on a store), and each is written through to the disk before the
// next group of operations begins (operation_groups.h), so that a power cut loses no finished
// operation. A slot left half written by a crash fails its fingerprint, and the other slot, the
// count before, stands. Before a group begins, the slot that its count will go to says that it is
// being carried out: a resumed run finishes the removal of emptied directories only after such a
// group.

namespace launcher {

// A whole record for list, saying in both slots that finishedOperations are finished.
std::string formatProgressRecord(const ListIdentity& list, int finishedOperations);

struct RecordedProgress {
    int finishedOperations = 0;
    // Whether the operations after them were begun (and may have been stopped inside).
    bool begun = false;

    bool operator==(const RecordedProgress&) const = default;
};

// The progress that text records for list: that of the valid slot with the larger count (the
// begun one when both count alike). Nothing when it belongs to another list or has no
// valid slot.
std::optional<RecordedProgress> parseProgress(std::string_view text, const ListIdentity& list);

// The same for the record file at path, and its finished operations alone.
std::optional<RecordedProgress> readProgress(const std::string& path, const ListIdentity& list);
std::optional<int> readFinishedOperations(const std::string& path, const ListIdentity& list);

// Keeps the record at path up to date for one run over list.
class ProgressRecorder {
  public:
    // Goes on with the record when it holds a valid count for list (recorded) and this start
    // can write it in place, which it tries by writing that count through to the disk again;
    // otherwise replaces whatever is there (another user's record, a link), in one step, by a
    // record of finishedOperations, on the disk before the constructor returns. Never writes
    // through a link. On a full disk neither can be done, and nothing is recording.
    ProgressRecorder(const std::string& path, const ListIdentity& list, std::optional<int> recorded,
                     int finishedOperations);
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    // The count last recorded.
    int lastCount() const { return lastCount_; }

    // Whether the record is in place and open for the counts to come.
    bool recording() const { return file_ != nullptr; }

    // Records that finishedOperations are finished, through to the disk: false when that could
    // not be done (a full disk). The record then lags behind but stays valid, so the run must
    // stop: an operation carried out beyond it would be repeated by the next start.
    [[nodiscard]] bool recordFinished(int finishedOperations);

    // Records that the operations after the last count are being carried out. Not synced, and a
    // failure is passed over: lost, the mark only leaves emptied directories in place.
    void recordBegun();

    // Records that they were not carried out after all (an attempt failed). A failure is passed
    // over: the mark left says only that emptied directories may need removing, and the path of
    // a failed operation is still there to keep its directory.
    void recordNotBegun();

    // Closes the record (before it is removed with its list).
    void close();

  private:
    bool writeSlot(int slotIndex, int count, bool carrying, bool sync);

    std::string identity_;         // the identity block, which every slot is bound to
    std::uint64_t identityPrint_;  // its fingerprint, where each slot's check goes on from
    std::FILE* file_ = nullptr;    // unbuffered: every write is checked where it is made
    int lastSlot_ = 0;             // the slot of the last count written, on the disk
    int lastCount_ = 0;            // that count
    bool begun_ = false;           // whether the other slot says the operations after it begun
};

}  // namespace launcher
