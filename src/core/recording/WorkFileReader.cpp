#include "recording/WorkFileReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "people/Exchanger.h"
#include "platform/FileSystem.h"
#include "recording/WorkLine.h"

namespace stampwell {

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;
}

std::string_view CWorkFileReader::Decipher(const char* cipher, char* plain) {
    const std::uint8_t* stream = ExchangerKeystream();
    for (std::size_t i = 0; i < kLength; ++i) {
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
    constexpr std::size_t kBlocksPerChunk = 4096;
    std::vector<char> chunk(kLength * kBlocksPerChunk);
    std::uint64_t number = first;
    std::size_t carried = 0;  // bytes of a block split across two reads
    auto offset = static_cast<off_t>(first * kLength);
    while (number < last) {
        ssize_t got = ::pread(fd, chunk.data() + carried, chunk.size() - carried, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;  // a short piece at the end of the file is not a record
        offset += got;
        const std::size_t have = carried + static_cast<std::size_t>(got);
        const std::size_t blocks = have / kLength;
        for (std::size_t b = 0; b < blocks && number < last; ++b) {
            if (!visit(static_cast<std::size_t>(++number), chunk.data() + b * kLength)) return true;
        }
        carried = have - blocks * kLength;
        if (carried > 0) std::memmove(chunk.data(), chunk.data() + blocks * kLength, carried);
    }
    return true;
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
