#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "deferred/list_identity.h"

// The progress record kept beside the list: how many of the list's operations are finished
// (done, skipped or doing nothing), bound to the one list it was written for. A start after a
// failed run resumes after them, so no operation is carried out twice.

namespace launcher {

// The text of a record. It ends with a fingerprint of everything before it, so a record that
// was cut short or damaged never parses.
std::string formatProgressRecord(const ListIdentity& list, int finishedOperations);

// The finished operations that text records for list; nothing when it doesn't parse, belongs to
// another list or claims a negative count.
std::optional<int> parseProgressRecord(std::string_view text, const ListIdentity& list);

// The finished operations that the record file at path holds for list; nothing without a valid
// record.
std::optional<int> readFinishedOperations(const std::string& path, const ListIdentity& list);

// Replaces the record file at path in one step (a temporary file renamed over it), so a crash
// leaves the old record or the new one. A record that can't be written leaves the old one.
void writeFinishedOperations(const std::string& path, const ListIdentity& list,
                             int finishedOperations);

}  // namespace launcher
