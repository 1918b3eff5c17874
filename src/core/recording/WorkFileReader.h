#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace stampwell {

// Reads a file of 51-byte enciphered blocks in large chunks and deciphers each block with one XOR
// pass: a tap scans the whole work file, so this must cost little more than reading it once.
class CWorkFileReader {
public:
    // Calls visit(recordNumber from 1, deciphered text up to its first zero byte) for every whole
    // block; visit returns false to stop. False when the file cannot be opened or a read fails
    // before its end.
    static bool ForEach(const std::filesystem::path& path,
                        const std::function<bool(std::size_t, std::string_view)>& visit);
    // One block deciphered into plain (kRecordLength bytes); the text up to its first zero byte.
    static std::string_view Decipher(const char* cipher, char* plain);
};

}  // namespace stampwell
