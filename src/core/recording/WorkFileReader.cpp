#include "recording/WorkFileReader.h"

#include <cstring>
#include <vector>

#include "people/Exchanger.h"
#include "platform/FileHandle.h"
#include "recording/WorkLine.h"

namespace stampwell {

std::string_view CWorkFileReader::Decipher(const char* cipher, char* plain) {
    constexpr std::size_t kLength = WorkLine::kRecordLength;
    const std::uint8_t* stream = ExchangerKeystream();
    for (std::size_t i = 0; i < kLength; ++i) {
        plain[i] = static_cast<char>(static_cast<std::uint8_t>(cipher[i]) ^ stream[i]);
    }
    const void* zero = std::memchr(plain, 0, kLength);
    return std::string_view(
        plain, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - plain) : kLength);
}

bool CWorkFileReader::ForEach(const std::filesystem::path& path,
                              const std::function<bool(std::size_t, std::string_view)>& visit) {
    FileHandle file = OpenFile(path, "rb");
    if (!file) return false;
    constexpr std::size_t kLength = WorkLine::kRecordLength;
    constexpr std::size_t kBlocksPerChunk = 8192;
    std::vector<char> chunk(kLength * kBlocksPerChunk);
    char plain[kLength];
    std::size_t number = 0;
    for (;;) {
        std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
        std::size_t blocks = got / kLength;
        for (std::size_t b = 0; b < blocks; ++b) {
            std::string_view text = Decipher(chunk.data() + b * kLength, plain);
            if (!visit(++number, text)) return true;
        }
        // A short piece at the end of the file is not a record.
        if (got < chunk.size()) break;
    }
    return std::ferror(file.get()) == 0;
}

}  // namespace stampwell
