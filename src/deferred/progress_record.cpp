#include "deferred/progress_record.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "config/line_reader.h"
#include "config/paths.h"
#include "deferred/list_files.h"
#include "platform/durable_files.h"
#include "platform/files_and_directories.h"

namespace launcher {

namespace {

constexpr std::string_view header = "deferred_operations progress\n";

std::string hex(std::uint64_t value) {
    std::string text(16, '0');
    for (auto digit = text.rbegin(); digit != text.rend(); ++digit, value >>= 4)
        *digit = "0123456789abcdef"[value & 0xf];
    return text;
}

template <typename Number>
bool parseWhole(std::string_view text, Number& value, int base = 10) {
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    return !text.empty() && error == std::errc() && stop == end;
}

// The directory that holds path ("." for a bare name), for syncing its entries.
std::string directoryToSync(const std::string& path) {
    const std::string dir = directoryOf(path, systemPathStyle());
    return dir.empty() ? std::string(".") : dir;
}

std::string identityBlock(const ListIdentity& list) {
    std::string block(header);
    block += "list.size=" + std::to_string(list.size) + "\n";
    block += "list.content=" + hex(list.contentFingerprint) + "\n";
    return block;
}

// The identity block of a record written by launchers that also bound it to the list's date,
// taken from text when its size and content are those of list: what its slots are checked
// against. The date is passed over: a list with the same content is the same list.
std::optional<std::string> datedIdentityBlock(std::string_view text, const ListIdentity& list) {
    const std::string start =
        std::string(header) + "list.size=" + std::to_string(list.size) + "\nlist.modified=";
    if (!text.starts_with(start))
        return std::nullopt;
    const std::size_t dateEnd = text.find('\n', start.size());
    std::int64_t date = 0;
    if (dateEnd == std::string_view::npos ||
        !parseWhole(text.substr(start.size(), dateEnd - start.size()), date))
        return std::nullopt;
    std::string block(text.substr(0, dateEnd + 1));
    block += "list.content=" + hex(list.contentFingerprint) + "\n";
    return block;
}

constexpr std::string_view slotStart = "finished=";
constexpr std::string_view carryingStart = "carrying=";  // as long as slotStart
constexpr std::string_view checkStart = " check=";
constexpr std::size_t countDigits = 10;  // every int >= 0
constexpr std::size_t slotSize = slotStart.size() + countDigits + checkStart.size() + 16 + 1;

// Where the check of a slot that says "carrying" goes on from, so that a slot cannot change
// its kind and stay valid.
std::uint64_t checkStartOf(bool carrying, std::uint64_t identityPrint) {
    return carrying ? fingerprint(carryingStart, identityPrint) : identityPrint;
}

// "finished=" (or "carrying=") + the count in ten digits + " check=" + the fingerprint of the
// identity (and the kind) followed by those ten digits. Built in place: it is written around
// every operation.
std::array<char, slotSize> slotText(std::uint64_t identityPrint, int finishedOperations,
                                    bool carrying = false) {
    std::array<char, slotSize> slot{};
    const std::string_view start = carrying ? carryingStart : slotStart;
    char* out = std::copy(start.begin(), start.end(), slot.begin());
    char* const digits = out;
    for (std::size_t i = countDigits; i > 0; --i, finishedOperations /= 10)
        digits[i - 1] = static_cast<char>('0' + finishedOperations % 10);
    out += countDigits;
    out = std::copy(checkStart.begin(), checkStart.end(), out);
    std::uint64_t check =
        fingerprint(std::string_view(digits, countDigits), checkStartOf(carrying, identityPrint));
    for (std::size_t i = 16; i > 0; --i, check >>= 4)
        out[i - 1] = "0123456789abcdef"[check & 0xf];
    out[16] = '\n';
    return slot;
}

std::optional<RecordedProgress> parseSlot(std::string_view slot, std::uint64_t identityPrint) {
    int count = 0;
    const bool carrying = slot.starts_with(carryingStart);
    if (slot.size() != slotSize || !(carrying || slot.starts_with(slotStart)) ||
        slot.back() != '\n' || !parseWhole(slot.substr(slotStart.size(), countDigits), count) ||
        count < 0 || slot.substr(slotStart.size() + countDigits, checkStart.size()) != checkStart ||
        slot.substr(slotStart.size() + countDigits + checkStart.size(), 16) !=
            hex(fingerprint(slot.substr(slotStart.size(), countDigits),
                            checkStartOf(carrying, identityPrint))))
        return std::nullopt;
    return RecordedProgress{count, carrying};
}

bool isAhead(const RecordedProgress& a, const RecordedProgress& b) {
    return a.finishedOperations != b.finishedOperations
               ? a.finishedOperations > b.finishedOperations
               : a.nextBegun && !b.nextBegun;
}

}  // namespace

std::string formatProgressSlot(const ListIdentity& list, int finishedOperations) {
    const auto slot = slotText(fingerprint(identityBlock(list)), finishedOperations);
    return std::string(slot.data(), slot.size());
}

std::string formatProgressRecord(const ListIdentity& list, int finishedOperations) {
    const std::string slot = formatProgressSlot(list, finishedOperations);
    return identityBlock(list) + slot + slot;
}

std::string formatCarryingOutSlot(const ListIdentity& list, int index) {
    const auto slot = slotText(fingerprint(identityBlock(list)), index, true);
    return std::string(slot.data(), slot.size());
}

std::optional<RecordedProgress> parseProgress(std::string_view text, const ListIdentity& list) {
    std::string block = identityBlock(list);
    if (!text.starts_with(block))
        block = datedIdentityBlock(text, list).value_or(block);
    if (text.size() != block.size() + 2 * slotSize || !text.starts_with(block))
        return std::nullopt;
    const std::uint64_t identityPrint = fingerprint(block);
    const auto first = parseSlot(text.substr(block.size(), slotSize), identityPrint);
    const auto second = parseSlot(text.substr(block.size() + slotSize, slotSize), identityPrint);
    if (first && second)
        return isAhead(*first, *second) ? first : second;
    return first ? first : second;
}

std::optional<int> parseProgressRecord(std::string_view text, const ListIdentity& list) {
    const auto progress = parseProgress(text, list);
    if (!progress)
        return std::nullopt;
    return progress->finishedOperations;
}

std::optional<RecordedProgress> readProgress(const std::string& path, const ListIdentity& list) {
    std::string text;
    if (!readFileBytes(path, text))
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
    const std::string temporary =
        directoryOf(path, systemPathStyle()) + std::string(progressTemporaryFileName);
    const std::string text = formatProgressRecord(list, finishedOperations);
    // A leftover of a run stopped part way; where it stays, the creation below fails.
    (void)platform::removeFile(temporary.c_str());
    bool written = false;
    if (std::FILE* const file = platform::systemCalls().createNewFile(temporary.c_str())) {
        written = std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                  platform::systemCalls().syncFile(file);
        written = std::fclose(file) == 0 && written;
    }
    if (!written || !platform::systemCalls().replaceFile(temporary.c_str(), path.c_str())) {
        (void)platform::removeFile(temporary.c_str());  // what stays is removed by the next write
        return false;
    }
    // Best effort: a name lost in a power cut leaves the record as it was before.
    (void)platform::systemCalls().syncDirectory(directoryToSync(path).c_str());
    return true;
}

}  // namespace

ProgressRecorder::ProgressRecorder(const std::string& path, const ListIdentity& list,
                                   std::optional<int> recorded, int finishedOperations)
    : identity_(identityBlock(list)), identityPrint_(fingerprint(identity_)) {
    const std::size_t size = identity_.size() + 2 * slotSize;
    // A valid record goes on in place when this start can write it and it is in today's form;
    // otherwise (another user's, one written by an earlier launcher) a fresh one with the same
    // count takes its place.
    if (recorded) {
        mapped_ = platform::systemCalls().mapFile(path, size);
        if (mapped_ != nullptr &&
            std::string_view(platform::mappedBytes(*mapped_), identity_.size()) != identity_)
            mapped_.reset();
    }
    if (mapped_ == nullptr) {
        if (!writeFreshRecord(path, list, finishedOperations))
            return;
        mapped_ = platform::systemCalls().mapFile(path, size);
    }
    // Where the file system maps nothing: written in place, never through a link.
    if (mapped_ == nullptr)
        file_ = platform::openRegularFile(path, "r+b");
}

ProgressRecorder::~ProgressRecorder() {
    close();
}

// Counts go into the two slots in turn, so the slot not written holds the count before. The
// slot that an operation's count will go to says meanwhile that the operation is begun.
void ProgressRecorder::recordFinished(int finishedOperations) {
    const auto slot = slotText(identityPrint_, finishedOperations);
    writeSlot(finishedOperations % 2, std::string_view(slot.data(), slot.size()), true);
}

void ProgressRecorder::recordCarryingOut(int index) {
    // Not synced: lost in a power cut, it only leaves emptied directories in place.
    const auto slot = slotText(identityPrint_, index, true);
    writeSlot((index + 1) % 2, std::string_view(slot.data(), slot.size()), false);
}

void ProgressRecorder::recordNotCarriedOut(int index) {
    const auto slot = slotText(identityPrint_, index);
    writeSlot((index + 1) % 2, std::string_view(slot.data(), slot.size()), true);
}

void ProgressRecorder::writeSlot(int slotIndex, std::string_view slot, bool sync) {
    const std::size_t offset = identity_.size() + static_cast<std::size_t>(slotIndex) * slotSize;
    if (mapped_ != nullptr) {
        std::copy(slot.begin(), slot.end(), platform::mappedBytes(*mapped_) + offset);
        if (sync)
            (void)platform::systemCalls().syncMappedFile(*mapped_);  // a lagging record stays valid
    } else if (file_ != nullptr && std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0) {
        std::fwrite(slot.data(), 1, slot.size(), file_);
        if (sync)
            (void)platform::systemCalls().syncFile(file_);  // a lagging record stays valid
        else
            std::fflush(file_);
    }
}

void ProgressRecorder::close() {
    mapped_.reset();
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
}

}  // namespace launcher
