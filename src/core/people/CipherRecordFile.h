#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FileHandle.h"

namespace stampwell {

// A file of fixed-length enciphered blocks (64 bytes for administrators, 51 for work records).
// Texts here are the on-disk CP932 bytes; the stores convert.
class CCipherRecordFile {
public:
    int Initialize() { return 1; }
    bool OpenAppend(const std::filesystem::path& path);
    bool OpenUpdate(const std::filesystem::path& path);
    bool OpenRead(const std::filesystem::path& path);
    // 1 when the stream closed cleanly (its buffered writes reached the file), else 0.
    int Close();
    bool IsOpen() const { return static_cast<bool>(m_file); }

    // Pads text with blanks to `length`, enciphers and writes one block. 0 (nothing written) when
    // the text is longer than the block or the write fails.
    int WriteRecord(std::string_view text, std::size_t length);
    // 1 when a whole block was read; text is the deciphered block up to its first zero byte.
    int ReadRecord(std::string& text, std::size_t length);
    void Skip(std::size_t size, std::size_t count);
    // Flush and fsync: the written blocks are on stable storage when this returns true.
    bool Sync();

    // The block WriteRecord would write: text padded with blanks to `length`, enciphered.
    // Empty when the text does not fit the block.
    static std::string Encipher(std::string_view text, std::size_t length);

private:
    FileHandle m_file;
};

std::shared_ptr<CCipherRecordFile> CreateCipherRecordFile();

}  // namespace stampwell
