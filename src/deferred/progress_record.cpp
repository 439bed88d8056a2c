#include "deferred/progress_record.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "config/line_reader.h"
#include "config/numbers.h"
#include "config/paths.h"
#include "deferred/own_files.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"

namespace launcher {

namespace {

constexpr std::string_view header = "deferred_operations progress\n";

std::string identityBlock(const ListIdentity& list) {
    std::string block(header);
    block += "list.size=" + std::to_string(list.size) + "\n";
    block += "list.content=" + platform::hexDigits(list.contentFingerprint) + "\n";
    return block;
}

constexpr std::string_view slotStart = "finished=";
// A slot that says the operations after its count are begun; the word is what records already on
// the disks hold.
constexpr std::string_view carryingStart = "carrying=";  // as long as slotStart
constexpr std::size_t countDigits = 10;                  // every int >= 0

// "finished=" (or "carrying=") + the count in ten digits + " check=" + the fingerprint of the
// identity and the kind followed by those ten digits, so that a slot cannot change its count or
// its kind and stay valid.
std::string slotText(std::uint64_t identityPrint, int count, bool carrying = false) {
    std::string digits = std::to_string(count);
    digits.insert(0, countDigits - digits.size(), '0');
    const std::uint64_t checkFrom =
        carrying ? fingerprint(carryingStart, identityPrint) : identityPrint;
    return std::string(carrying ? carryingStart : slotStart) + digits +
           " check=" + platform::hexDigits(fingerprint(digits, checkFrom)) + "\n";
}

constexpr std::size_t slotSize =
    slotStart.size() + countDigits + std::string_view(" check=").size() + 16 + 1;

std::optional<RecordedProgress> parseSlot(std::string_view slot, std::uint64_t identityPrint) {
    const bool carrying = slot.starts_with(carryingStart);
    const std::optional<std::uint64_t> count =
        parseDecimal(slot.substr(std::min(slot.size(), slotStart.size()), countDigits),
                     std::numeric_limits<int>::max());
    if (!count || slot != slotText(identityPrint, static_cast<int>(*count), carrying))
        return std::nullopt;
    return RecordedProgress{static_cast<int>(*count), carrying};
}

bool isAhead(const RecordedProgress& a, const RecordedProgress& b) {
    return a.finishedOperations != b.finishedOperations
               ? a.finishedOperations > b.finishedOperations
               : a.begun && !b.begun;
}

}  // namespace

std::string formatProgressRecord(const ListIdentity& list, int finishedOperations) {
    const std::string block = identityBlock(list);
    const std::string slot = slotText(fingerprint(block), finishedOperations);
    return block + slot + slot;
}

std::optional<RecordedProgress> parseProgress(std::string_view text, const ListIdentity& list) {
    const std::string block = identityBlock(list);
    if (text.size() != block.size() + 2 * slotSize || !text.starts_with(block))
        return std::nullopt;
    const std::uint64_t identityPrint = fingerprint(block);
    const auto first = parseSlot(text.substr(block.size(), slotSize), identityPrint);
    const auto second = parseSlot(text.substr(block.size() + slotSize, slotSize), identityPrint);
    if (first && second)
        return isAhead(*first, *second) ? first : second;
    return first ? first : second;
}

std::optional<RecordedProgress> readProgress(const std::string& path, const ListIdentity& list) {
    std::string text;
    // No more than a valid record holds: an oversized file is not one, however large.
    if (!readFileBytes(path, text, identityBlock(list).size() + 2 * slotSize))
        return std::nullopt;
    return parseProgress(text, list);
}

std::optional<int> readFinishedOperations(const std::string& path, const ListIdentity& list) {
    const auto progress = readProgress(path, list);
    if (!progress)
        return std::nullopt;
    return progress->finishedOperations;
}

namespace {

// Puts a fresh record of finishedOperations for list in place at path, whole or not at all, on
// the disk, its name in its directory included, before it returns true. The temporary file is
// made anew, never through whatever (a link, a FIFO) is left in its place, and the rename
// replaces whatever is at path (a record of another user included) without following it.
bool writeFreshRecord(const std::string& path, const ListIdentity& list, int finishedOperations) {
    const std::string dir = directoryOf(path, systemPathStyle());
    const std::string temporary = listFilePath(dir, progressTemporaryFileName);
    const std::string text = formatProgressRecord(list, finishedOperations);
    // A leftover of a run stopped part way; where it stays, the creation below fails.
    (void)removeOwnFile(dir, progressTemporaryFileName);
    bool written = false;
    if (std::FILE* const file = platform::systemCalls().createNewFile(temporary.c_str())) {
        written = std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                  platform::systemCalls().syncFile(file);
        written = std::fclose(file) == 0 && written;
    }
    if (!written || !platform::systemCalls().replaceFile(temporary.c_str(), path.c_str())) {
        (void)removeOwnFile(dir, progressTemporaryFileName);  // else by the next write
        return false;
    }
    // Best effort: a name lost in a power cut leaves the record as it was before.
    (void)platform::systemCalls().syncDirectory(dir.empty() ? "." : dir.c_str());
    return true;
}

}  // namespace

ProgressRecorder::ProgressRecorder(const std::string& path, const ListIdentity& list,
                                   std::optional<int> recorded, int finishedOperations)
    : identity_(identityBlock(list)),
      identityPrint_(fingerprint(identity_)),
      lastCount_(finishedOperations) {
    // A valid record goes on in place when this start can write it; otherwise (another user's,
    // a link) a fresh one with the same count takes its place. Its count written again is the
    // test: the same bytes in its slot, where nothing else is ever kept.
    // A record with a second name (a hard-link copy of the installation) is another
    // installation's too: written in place, it would advance that one's count.
    if (recorded && platform::hardLinkCount(path) == 1) {
        file_ = platform::openRegularFile(path, "r+b");
        if (file_ != nullptr && (std::setvbuf(file_, nullptr, _IONBF, 0) != 0 ||
                                 !writeSlot(lastSlot_, *recorded, false, true)))
            close();
    }
    if (file_ == nullptr && writeFreshRecord(path, list, finishedOperations)) {
        // Written in place, never through a link.
        file_ = platform::openRegularFile(path, "r+b");
        if (file_ != nullptr && std::setvbuf(file_, nullptr, _IONBF, 0) != 0)
            close();
    }
}

ProgressRecorder::~ProgressRecorder() {
    close();
}

// Counts go into the two slots in turn, so the slot not written holds the count before, on the
// disk. The slot the next count will go to says meanwhile that the operations after the last
// count are begun.
bool ProgressRecorder::recordFinished(int finishedOperations) {
    if (!writeSlot(1 - lastSlot_, finishedOperations, false, true))
        return false;
    lastSlot_ = 1 - lastSlot_;
    lastCount_ = finishedOperations;
    begun_ = false;
    return true;
}

void ProgressRecorder::recordBegun() {
    // Once per group: the mark stands until a count or an attempt that failed takes it back.
    if (!begun_)
        begun_ = writeSlot(1 - lastSlot_, lastCount_, true, false);
}

void ProgressRecorder::recordNotBegun() {
    (void)writeSlot(1 - lastSlot_, lastCount_, false, true);
    begun_ = false;
}

bool ProgressRecorder::writeSlot(int slotIndex, int count, bool carrying, bool sync) {
    const std::string slot = slotText(identityPrint_, count, carrying);
    const auto offset =
        static_cast<long>(identity_.size() + static_cast<std::size_t>(slotIndex) * slotSize);
    return file_ != nullptr && std::fseek(file_, offset, SEEK_SET) == 0 &&
           std::fwrite(slot.data(), 1, slot.size(), file_) == slot.size() &&
           (!sync || platform::systemCalls().syncFile(file_));
}

void ProgressRecorder::close() {
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
}

}  // namespace launcher
