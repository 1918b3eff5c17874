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
    // The same for a visitor known at compile time: the scans of the whole file call it for
    // every block, so no call through a pointer.
    template <typename Visitor>
    static bool ForEachBlock(int fd, std::uint64_t first, std::uint64_t last, Visitor&& visit);
    // One block deciphered into plain (kRecordLength bytes); the text up to its first zero byte.
    static std::string_view Decipher(const char* cipher, char* plain);
    // Bytes [from, from + count) of a block deciphered into plain.
    static void DecipherPart(const char* cipher, std::size_t from, std::size_t count, char* plain);
    // Record number (from 1) as deciphered text; false when the file has no such whole block.
    static bool ReadRecord(int fd, std::size_t number, std::string& text);

private:
    // Reads up to size bytes at offset; the count read, 0 at the end, -1 on an error.
    static long ReadChunk(int fd, char* buffer, std::size_t size, std::uint64_t offset);
};

template <typename Visitor>
bool CWorkFileReader::ForEachBlock(int fd, std::uint64_t first, std::uint64_t last,
                                   Visitor&& visit) {
    constexpr std::size_t kLength = 51;
    constexpr std::size_t kBlocksPerChunk = 4096;
    std::string chunk(kLength * kBlocksPerChunk, '\0');
    std::uint64_t number = first;
    std::size_t carried = 0;  // bytes of a block split across two reads
    std::uint64_t offset = first * kLength;
    while (number < last) {
        const long got = ReadChunk(fd, chunk.data() + carried, chunk.size() - carried, offset);
        if (got < 0) return false;
        if (got == 0) break;  // a short piece at the end of the file is not a record
        offset += static_cast<std::uint64_t>(got);
        const std::size_t have = carried + static_cast<std::size_t>(got);
        const std::size_t blocks = have / kLength;
        for (std::size_t b = 0; b < blocks && number < last; ++b) {
            if (!visit(static_cast<std::size_t>(++number), chunk.data() + b * kLength)) return true;
        }
        carried = have - blocks * kLength;
        if (carried > 0) chunk.replace(0, carried, chunk, blocks * kLength, carried);
    }
    return true;
}

}  // namespace stampwell
