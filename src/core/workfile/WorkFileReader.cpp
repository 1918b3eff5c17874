#include "workfile/WorkFileReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "people/Exchanger.h"
#include "platform/FileSystem.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;
}

std::string_view CWorkFileReader::Decipher(const char* cipher, char* plain) {
    // Eight bytes at a time: every block of a ten-year file passes here.
    const std::uint8_t* stream = ExchangerKeystream();
    std::size_t i = 0;
    for (; i + 8 <= kLength; i += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, cipher + i, 8);
        std::memcpy(&b, stream + i, 8);
        a ^= b;
        std::memcpy(plain + i, &a, 8);
    }
    for (; i < kLength; ++i) {
        plain[i] = static_cast<char>(static_cast<std::uint8_t>(cipher[i]) ^ stream[i]);
    }
    const void* zero = std::memchr(plain, 0, kLength);
    return std::string_view(
        plain, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - plain) : kLength);
}

bool CWorkFileReader::ForEach(const std::filesystem::path& path, const Visit& visit) {
    CFileDescriptor fd = CFileSystem::Open(path, O_RDONLY);
    if (!fd) return false;
    return ForEachIn(fd.Get(), 0, kToEnd, visit);
}

bool CWorkFileReader::ForEachIn(int fd, std::uint64_t first, std::uint64_t last,
                                const Visit& visit) {
    char plain[kLength];
    return ForEachRaw(fd, first, last, [&](std::size_t number, const char* cipher) {
        return visit(number, Decipher(cipher, plain));
    });
}

bool CWorkFileReader::ForEachRaw(int fd, std::uint64_t first, std::uint64_t last,
                                 const RawVisit& visit) {
    return ForEachBlock(fd, first, last, visit);
}

long CWorkFileReader::ReadChunk(int fd, char* buffer, std::size_t size, std::uint64_t offset) {
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        return static_cast<long>(got);
    }
}

void CWorkFileReader::DecipherPart(const char* cipher, std::size_t from, std::size_t count,
                                   char* plain) {
    const std::uint8_t* stream = ExchangerKeystream();
    for (std::size_t i = from; i < from + count && i < kLength; ++i) {
        plain[i - from] = static_cast<char>(static_cast<std::uint8_t>(cipher[i]) ^ stream[i]);
    }
}

bool CWorkFileReader::ReadRecord(int fd, std::size_t number, std::string& text) {
    if (number < 1) return false;
    char cipher[kLength];
    char plain[kLength];
    if (!CFileSystem::ReadAt(fd, (number - 1) * kLength, cipher, kLength)) return false;
    text = std::string(Decipher(cipher, plain));
    return true;
}

}  // namespace stampwell
