#include "people/PersonText.h"

#include <string_view>

namespace stampwell {

namespace {
// C0 controls, DEL and the C1 controls (U+0080..U+009F): never shown raw on a terminal later.
bool HasControl(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) return true;
        if (c == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return true;
        }
    }
    return false;
}

constexpr std::string_view kWideBlank = "\xE3\x80\x80";

bool StartsWithBlank(std::string_view text) {
    return !text.empty() && (text.front() == ' ' || text.front() == '\t' ||
                             text.substr(0, kWideBlank.size()) == kWideBlank);
}

bool EndsWithBlank(std::string_view text) {
    return !text.empty() && (text.back() == ' ' || text.back() == '\t' ||
                             (text.size() >= kWideBlank.size() &&
                              text.substr(text.size() - kWideBlank.size()) == kWideBlank));
}
}  // namespace

bool CPersonText::IsCardId(const std::string& card) {
    if (card.size() != 16) return false;
    for (char c : card) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

std::string CPersonText::NormalizeCardId(std::string card) {
    for (char& c : card) {
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    }
    return card;
}

bool CPersonText::IsMailAddress(const std::string& address) {
    std::size_t at = address.find('@');
    if (at == std::string::npos || at == 0 || at + 1 >= address.size()) return false;
    if (address.find('@', at + 1) != std::string::npos) return false;
    if (address.find_first_of(" \t") != std::string::npos) return false;
    return address.find(kWideBlank) == std::string::npos;
}

bool CPersonText::IsStorableName(const std::string& name) {
    return !StartsWithBlank(name) && !EndsWithBlank(name) && !HasControl(name);
}

bool CPersonText::HasControlCharacter(const std::string& text) {
    return HasControl(text);
}

}  // namespace stampwell
