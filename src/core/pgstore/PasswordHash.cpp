#include "pgstore/PasswordHash.h"

#include <nettle/pbkdf2.h>
#include <sys/random.h>

#include <array>
#include <cstdint>
#include <vector>

namespace stampwell {

namespace {

constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kHashBytes = 32;

std::string Hex(const std::uint8_t* bytes, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

bool FromHex(const std::string& text, std::vector<std::uint8_t>& bytes) {
    if (text.size() % 2 != 0) return false;
    auto nibble = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = nibble(text[i]);
        const int low = nibble(text[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

std::string Derive(const std::string& password, unsigned iterations,
                   const std::vector<std::uint8_t>& salt) {
    std::array<std::uint8_t, kHashBytes> hash{};
    pbkdf2_hmac_sha256(password.size(), reinterpret_cast<const std::uint8_t*>(password.data()),
                       iterations, salt.size(), salt.data(), hash.size(), hash.data());
    return Hex(hash.data(), hash.size());
}

}  // namespace

std::string CPasswordHash::Make(const std::string& password) {
    std::vector<std::uint8_t> salt(kSaltBytes);
    if (::getrandom(salt.data(), salt.size(), 0) != static_cast<ssize_t>(salt.size())) return {};
    return "pbkdf2-sha256$" + std::to_string(kIterations) + "$" + Hex(salt.data(), salt.size()) +
           "$" + Derive(password, kIterations, salt);
}

std::string CPasswordHash::WithHead(const std::string& password, const std::string& head) {
    const std::string kind = "pbkdf2-sha256$";
    if (head.compare(0, kind.size(), kind) != 0) return {};
    const auto second = head.find('$', kind.size());
    if (second == std::string::npos || head.find('$', second + 1) != std::string::npos) return {};
    const std::string count = head.substr(kind.size(), second - kind.size());
    if (count.empty() || count.size() > 8 ||
        count.find_first_not_of("0123456789") != std::string::npos) {
        return {};
    }
    std::vector<std::uint8_t> salt;
    if (!FromHex(head.substr(second + 1), salt)) return {};
    const unsigned iterations = static_cast<unsigned>(std::stoul(count));
    // A count no program of ours wrote would only keep the login busy.
    if (iterations == 0 || iterations > 10 * kIterations) return {};
    return head + "$" + Derive(password, iterations, salt);
}

bool CPasswordHash::Matches(const std::string& password, const std::string& hash) {
    const auto last = hash.rfind('$');
    if (last == std::string::npos) return false;
    const std::string actual = WithHead(password, hash.substr(0, last));
    if (actual.empty() || actual.size() != hash.size()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < actual.size(); ++i)
        difference |= static_cast<unsigned char>(actual[i] ^ hash[i]);
    return difference == 0;
}

}  // namespace stampwell
