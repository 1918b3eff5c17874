#include "people/CipherRecordFile.h"

#include <cstdint>
#include <cstring>

#include "people/Exchanger.h"
#include "platform/FileSystem.h"

namespace stampwell {

bool CCipherRecordFile::OpenAppend(const std::filesystem::path& path) {
    m_file = OpenFile(path, "ab");
    return IsOpen();
}

bool CCipherRecordFile::OpenUpdate(const std::filesystem::path& path) {
    m_file = OpenFile(path, "r+b");
    return IsOpen();
}

bool CCipherRecordFile::OpenRead(const std::filesystem::path& path) {
    m_file = OpenFile(path, "rb");
    return IsOpen();
}

int CCipherRecordFile::Close() {
    if (!m_file) return 1;
    return std::fclose(m_file.release()) == 0 ? 1 : 0;
}

std::string CCipherRecordFile::Encipher(std::string_view text, std::size_t length) {
    if (length > kMaxRecordLength || text.size() > length) return {};
    std::uint8_t plain[kMaxRecordLength];
    std::uint8_t cipher[kMaxRecordLength];
    std::memset(plain, ' ', length);
    std::memcpy(plain, text.data(), text.size());
    Exchanger(plain, cipher, length);
    return std::string(reinterpret_cast<const char*>(cipher), length);
}

int CCipherRecordFile::WriteRecord(std::string_view text, std::size_t length) {
    if (!m_file) return 0;
    std::string block = Encipher(text, length);
    if (block.empty()) return 0;
    return std::fwrite(block.data(), length, 1, m_file.get()) == 1 ? 1 : 0;
}

int CCipherRecordFile::ReadRecord(std::string& text, std::size_t length) {
    text.clear();
    if (!m_file || length > kMaxRecordLength) return 0;
    std::uint8_t cipher[kMaxRecordLength] = {};
    std::uint8_t plain[kMaxRecordLength] = {};
    bool whole = std::fread(cipher, 1, length, m_file.get()) == length;
    if (!whole) return 0;
    Exchanger(cipher, plain, length);
    std::size_t end = 0;
    while (end < length && plain[end] != 0) ++end;
    text.assign(reinterpret_cast<const char*>(plain), end);
    return 1;
}

void CCipherRecordFile::Skip(std::size_t size, std::size_t count) {
    if (m_file) std::fseek(m_file.get(), static_cast<long>(size * count), SEEK_CUR);
}

bool CCipherRecordFile::Sync() {
    return CFileSystem::SyncStream(m_file.get());
}

std::shared_ptr<CCipherRecordFile> CreateCipherRecordFile() {
    return std::make_shared<CCipherRecordFile>();
}

}  // namespace stampwell
