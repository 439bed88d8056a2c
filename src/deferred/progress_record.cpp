#include "deferred/progress_record.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "config/line_reader.h"
#include "platform/file_operations.h"
#include "platform/shared_file.h"

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

std::string identityBlock(const ListIdentity& list) {
    std::string block(header);
    block += "list.size=" + std::to_string(list.size) + "\n";
    block += "list.modified=" + std::to_string(list.modificationTime) + "\n";
    block += "list.content=" + hex(list.contentFingerprint) + "\n";
    return block;
}

constexpr std::string_view slotStart = "finished=";
constexpr std::string_view checkStart = " check=";
constexpr std::size_t countDigits = 10;  // every int >= 0
constexpr std::size_t slotSize = slotStart.size() + countDigits + checkStart.size() + 16 + 1;

// "finished=" + the count in ten digits + " check=" + the fingerprint of the identity followed
// by those ten digits. Built in place: it is written after every operation.
std::array<char, slotSize> slotText(std::uint64_t identityPrint, int finishedOperations) {
    std::array<char, slotSize> slot{};
    char* out = std::copy(slotStart.begin(), slotStart.end(), slot.begin());
    char* const digits = out;
    for (std::size_t i = countDigits; i > 0; --i, finishedOperations /= 10)
        digits[i - 1] = static_cast<char>('0' + finishedOperations % 10);
    out += countDigits;
    out = std::copy(checkStart.begin(), checkStart.end(), out);
    std::uint64_t check = fingerprint(std::string_view(digits, countDigits), identityPrint);
    for (std::size_t i = 16; i > 0; --i, check >>= 4)
        out[i - 1] = "0123456789abcdef"[check & 0xf];
    out[16] = '\n';
    return slot;
}

std::optional<int> parseSlot(std::string_view slot, std::uint64_t identityPrint) {
    int count = 0;
    if (slot.size() != slotSize || !slot.starts_with(slotStart) || slot.back() != '\n' ||
        !parseWhole(slot.substr(slotStart.size(), countDigits), count) || count < 0 ||
        slot.substr(slotStart.size() + countDigits, checkStart.size()) != checkStart ||
        slot.substr(slotStart.size() + countDigits + checkStart.size(), 16) !=
            hex(fingerprint(slot.substr(slotStart.size(), countDigits), identityPrint)))
        return std::nullopt;
    return count;
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

std::optional<int> parseProgressRecord(std::string_view text, const ListIdentity& list) {
    const std::string block = identityBlock(list);
    if (text.size() != block.size() + 2 * slotSize || !text.starts_with(block))
        return std::nullopt;
    const std::uint64_t identityPrint = fingerprint(block);
    const std::optional<int> first = parseSlot(text.substr(block.size(), slotSize), identityPrint);
    const std::optional<int> second =
        parseSlot(text.substr(block.size() + slotSize, slotSize), identityPrint);
    if (first && second)
        return *first > *second ? first : second;
    return first ? first : second;
}

std::optional<int> readFinishedOperations(const std::string& path, const ListIdentity& list) {
    std::string text;
    if (!readFileBytes(path, text))
        return std::nullopt;
    return parseProgressRecord(text, list);
}

ProgressRecorder::ProgressRecorder(const std::string& path, const ListIdentity& list,
                                   std::optional<int> recorded, int finishedOperations)
    : identity_(identityBlock(list)), identityPrint_(fingerprint(identity_)) {
    if (!recorded) {
        // A fresh record appears whole or not at all.
        const std::string temporary = path + ".tmp";
        const std::string text = formatProgressRecord(list, finishedOperations);
        bool written = false;
        if (std::FILE* const file = platform::openFile(temporary, "wb")) {
            written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
            written = std::fclose(file) == 0 && written;
        }
        if (!written || platform::replaceFile(temporary.c_str(), path.c_str()) != 0) {
            platform::removeFile(temporary.c_str());
            return;
        }
    }
    mapped_ = platform::mapFile(path, identity_.size() + 2 * slotSize);
    if (mapped_ == nullptr)
        file_ = platform::openFile(path, "r+b");
}

ProgressRecorder::~ProgressRecorder() {
    close();
}

void ProgressRecorder::recordFinished(int finishedOperations) {
    // Counts go into the two slots in turn, so the slot not written holds the count before.
    const std::size_t offset =
        identity_.size() + static_cast<std::size_t>(finishedOperations % 2) * slotSize;
    const auto slot = slotText(identityPrint_, finishedOperations);
    writeSlot(offset, std::string_view(slot.data(), slot.size()));
}

void ProgressRecorder::writeSlot(std::size_t offset, std::string_view slot) {
    if (mapped_ != nullptr) {
        std::copy(slot.begin(), slot.end(), platform::mappedBytes(mapped_) + offset);
    } else if (file_ != nullptr && std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0) {
        std::fwrite(slot.data(), 1, slot.size(), file_);
        std::fflush(file_);
    }
}

void ProgressRecorder::close() {
    platform::unmapFile(mapped_);
    mapped_ = nullptr;
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
}

}  // namespace launcher
