#include "workfile/NameCache.h"

#include "text/TextCodec.h"

namespace stampwell {

std::size_t CNameCache::Hash::operator()(std::string_view text) const {
    // A 32-byte name field eight bytes at a time.
    std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ text.size();
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        hash = (hash ^ word) * 0xFF51AFD7ED558CCDULL;
    }
    for (; i < text.size(); ++i) hash = (hash ^ static_cast<unsigned char>(text[i])) * 31;
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

const std::string& CNameCache::Utf8(std::string_view cp932) {
    auto it = m_names.find(cp932);
    if (it == m_names.end()) {
        it = m_names.emplace(std::string(cp932), CTextCodec::FromCp932(cp932)).first;
    }
    return it->second;
}

const std::string& CNameCache::Trimmed(std::string_view padded) {
    while (!padded.empty() && padded.back() == ' ') padded.remove_suffix(1);
    return Utf8(padded);
}

}  // namespace stampwell
