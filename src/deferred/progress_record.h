#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "deferred/list_identity.h"
#include "platform/mapped_file.h"

// The progress record kept beside the list: how many of the list's operations are finished
// (done, skipped or doing nothing), bound to the one list it was written for. A start after a
// failed run resumes after them, so no operation is carried out twice.
//
// The record is the list's identity followed by two slots of fixed width, each a count with a
// fingerprint of the identity and the count. Counts are written into the slots in turn, in
// place through a memory mapping: no system call per operation, so keeping the record costs
// next to nothing beside the operations themselves. A slot left half written by a crash fails
// its fingerprint, and the other slot, one count behind, stands.

namespace launcher {

// A whole record for list, saying in both slots that finishedOperations are finished.
std::string formatProgressRecord(const ListIdentity& list, int finishedOperations);

// The text of one slot saying that finishedOperations are finished.
std::string formatProgressSlot(const ListIdentity& list, int finishedOperations);

// The finished operations that text records for list: the larger count of its valid slots.
// Nothing when it belongs to another list or has no valid slot.
std::optional<int> parseProgressRecord(std::string_view text, const ListIdentity& list);

// The same for the record file at path.
std::optional<int> readFinishedOperations(const std::string& path, const ListIdentity& list);

// Keeps the record at path up to date for one run over list.
class ProgressRecorder {
  public:
    // Goes on with the record when it holds a valid count for list (recorded); otherwise
    // replaces whatever is there, in one step, by a record of finishedOperations.
    ProgressRecorder(const std::string& path, const ListIdentity& list, std::optional<int> recorded,
                     int finishedOperations);
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    // Whether the record is in place and open for the counts to come.
    bool recording() const { return mapped_ != nullptr || file_ != nullptr; }

    // Records that finishedOperations are finished. A record that can't be written lags
    // behind, but stays valid.
    void recordFinished(int finishedOperations);

    // Closes the record (before it is removed with its list).
    void close();

  private:
    void writeSlot(std::size_t offset, std::string_view slot);

    std::string identity_;         // the identity block, which every slot is bound to
    std::uint64_t identityPrint_;  // its fingerprint, where each slot's check goes on from
    platform::MappedFile* mapped_ = nullptr;
    std::FILE* file_ = nullptr;  // where the record could not be mapped
};

}  // namespace launcher
