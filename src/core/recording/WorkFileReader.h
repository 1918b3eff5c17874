#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

namespace stampwell {

// Reads a file of 51-byte enciphered blocks in large chunks and deciphers each block with one XOR
// pass: a whole-file scan costs little more than reading the file once.
class CWorkFileReader {
public:
    // visit(recordNumber from 1, deciphered text up to its first zero byte); false stops.
    using Visit = std::function<bool(std::size_t, std::string_view)>;
    // visit(recordNumber, the 51 enciphered bytes): for tests that need no deciphering.
    using RawVisit = std::function<bool(std::size_t, const char*)>;
    static constexpr std::uint64_t kToEnd = std::numeric_limits<std::uint64_t>::max();

    // Every whole block of the file. False when the file cannot be opened or a read fails
    // before its end.
    static bool ForEach(const std::filesystem::path& path, const Visit& visit);
    // The whole blocks from record number first + 1 on, up to record number last (or the end).
    static bool ForEachIn(int fd, std::uint64_t first, std::uint64_t last, const Visit& visit);
    static bool ForEachRaw(int fd, std::uint64_t first, std::uint64_t last, const RawVisit& visit);
    // One block deciphered into plain (kRecordLength bytes); the text up to its first zero byte.
    static std::string_view Decipher(const char* cipher, char* plain);
    // Bytes [from, from + count) of a block deciphered into plain.
    static void DecipherPart(const char* cipher, std::size_t from, std::size_t count, char* plain);
    // Record number (from 1) as deciphered text; false when the file has no such whole block.
    static bool ReadRecord(int fd, std::size_t number, std::string& text);
};

}  // namespace stampwell
