#include "workfile/IndexText.h"

#include "platform/FileSystem.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace {
constexpr std::size_t kLength = WorkLine::kRecordLength;
}

std::string CIndexText::ToHex(std::string_view block) {
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : block) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex.empty() ? "-" : hex;
}

bool CIndexText::FromHex(const std::string& hex, std::string& bytes) {
    bytes.clear();
    if (hex == "-") return true;
    if (hex.size() != 2 * kLength) return false;
    auto value = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int high = value(hex[i]), low = value(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

std::string CIndexText::BlockAt(int fd, std::uint64_t offset) {
    char block[kLength];
    if (!CFileSystem::ReadAt(fd, offset, block, kLength)) return {};
    return std::string(block, kLength);
}

}  // namespace stampwell
